// Settings and request extensions: accepted values, refused values, and the
// journal's record of what was in force.
#include <functional>

#include "fixture.h"

namespace dravik_test {
namespace {

class Settings : public DravikFixture {
 protected:
  DravikJournalEntry last() {
    DravikJournalEntry entry{};
    EXPECT_EQ(DravikTest_JournalEntry(DravikTest_JournalSize() - 1, &entry), 0);
    return entry;
  }
};

TEST_F(Settings, ValuesAreAcceptedOrRefusedWith207) {
  struct Case {
    const char* what;
    int (*set)(int);
    int value;
    int expected;
  } cases[] = {
      {"UTF-8 input", SetInputCodePage, DRAVIK_CP_UTF8, 0},
      {"system input", SetInputCodePage, DRAVIK_CP_SYSTEM, 0},
      {"cp1251 input", SetInputCodePage, 1251, DRAVIK_E_PARAMETER},
      {"UTF-8 output", SetOutputCodePage, DRAVIK_CP_UTF8, 0},
      {"negative output", SetOutputCodePage, -5, DRAVIK_E_PARAMETER},
      {"DER", SetOutputFormat, DRAVIK_FORMAT_DER, 0},
      {"PEM", SetOutputFormat, DRAVIK_FORMAT_PEM, 0},
      {"Base64", SetOutputFormat, DRAVIK_FORMAT_BASE64, 0},
      {"format 0", SetOutputFormat, 0, DRAVIK_E_PARAMETER},
      {"format 2", SetOutputFormat, 2, DRAVIK_E_PARAMETER},
      {"format 7", SetOutputFormat, 7, DRAVIK_E_PARAMETER},
      {"certificate off", InsertCertificateToSign, 0, 0},
      {"certificate on", InsertCertificateToSign, 5, 0},
      {"time off", InsertSigningTimeToSign, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.set(c.value), c.expected) << c.what;
  uint32_t flags = 0;
  ASSERT_EQ(GetPKCS7Flags(&flags), 0);
  EXPECT_EQ(last().insertCertificate, 1);
  EXPECT_EQ(last().outputFormat, DRAVIK_FORMAT_BASE64);
  EXPECT_EQ(last().insertSigningTime, 0);
}

TEST_F(Settings, FlagsReadBackWhatWasWritten) {
  struct Case {
    const char* what;
    int (*get)(uint32_t*);
    int (*set)(uint32_t);
    uint32_t DravikJournalEntry::*inJournal;
  } cases[] = {
      {"PKCS#7", GetPKCS7Flags, SetPKCS7Flags, &DravikJournalEntry::pkcs7Flags},
      {"verification", GetCertificateVerifyFlags, SetCertificateVerifyFlags, &DravikJournalEntry::verifyFlags},
      {"request", GetCertificateRequestFlags, SetCertificateRequestFlags, &DravikJournalEntry::requestFlags},
  };
  for (const Case& c : cases) {
    uint32_t flags = 77;
    EXPECT_EQ(c.get(&flags), 0) << c.what;
    EXPECT_EQ(flags, 0u) << c.what;
    for (uint32_t value : {0x4u, 0xE0u | 0x8u, 0xFFFFFFFFu, 0u}) {
      ASSERT_EQ(c.set(value), 0) << c.what;
      EXPECT_EQ(c.get(&flags), 0) << c.what;
      EXPECT_EQ(flags, value) << c.what;
      EXPECT_EQ(last().*c.inJournal, value) << c.what;  // the journal shows the value in force
    }
  }
}

TEST_F(Settings, RequestExtensionsTakeWellFormedValues) {
  EXPECT_EQ(SetBasicConstraints(0, 1), 0);
  EXPECT_EQ(AddExtendedKeyUsage("1.3.6.1.5.5.7.3.4", 0), 0);
  EXPECT_EQ(AddExtendedKeyUsage("1.3.6.1.5.5.7.3.2", 0), 0);
  EXPECT_EQ(std::string(last().arguments), "oid=\"1.3.6.1.5.5.7.3.2\", critical=0");
  for (const char* bad : {"", "not.an.oid", "1.2.x", "1."}) {
    EXPECT_EQ(AddExtendedKeyUsage(bad, 0), DRAVIK_E_EXTENSION_PARSE) << bad;
  }
  EXPECT_EQ(ResetExtensions(), 0);
  EXPECT_EQ(AddExtendedKeyUsage("1.3.6.1.5.5.7.3.4", 1), 0);
}

}  // namespace
}  // namespace dravik_test
