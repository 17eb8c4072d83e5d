// The test control: forced results, the journal and its masking, reset.
#include <functional>
#include <iterator>

#include "fixture.h"
#include "pki.h"

namespace dravik_test {
namespace {

class TestControl : public DravikFixture {
 protected:
  std::vector<DravikJournalEntry> journal() {
    std::vector<DravikJournalEntry> entries(DravikTest_JournalSize());
    for (uint32_t i = 0; i < entries.size(); ++i) EXPECT_EQ(DravikTest_JournalEntry(i, &entries[i]), 0);
    return entries;
  }
};

TEST_F(TestControl, TheNthCallReportsTheForcedCode) {
  struct Case {
    const char* function;
    std::function<int()> call;
    int forced;
  } cases[] = {
      {"SetOutputFormat", [] { return SetOutputFormat(3); }, DRAVIK_E_INTERNAL},
      {"GetSignCTX",
       [] {
         DravikSignContext* context = GetSignCTX();
         FreeSignCTX(context);
         return context ? 0 : GetDravikLastError();
       },
       DRAVIK_E_MEMORY},
      {"TokenInserted", [] { return TokenInserted("etoken0:"); }, 1},
      {"LogoutToken", [] { return LogoutToken("etoken0:"); }, 1},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(DravikTest_ForceResult(c.function, 2, c.forced), 0) << c.function;
    EXPECT_EQ(c.call(), 0) << c.function;
    EXPECT_EQ(c.call(), c.forced) << c.function;
    EXPECT_EQ(c.call(), 0) << c.function;
  }
  EXPECT_EQ(DravikTest_ForceResult("NoSuchFunction", 1, 5), DRAVIK_E_PARAMETER);
  EXPECT_EQ(DravikTest_ForceResult("BufferFree", 1, 5), DRAVIK_E_PARAMETER);
  EXPECT_EQ(DravikTest_ForceResult("SetOutputFormat", 0, 5), DRAVIK_E_PARAMETER);
  EXPECT_EQ(DravikTest_ForceResult(nullptr, 1, 5), DRAVIK_E_NULL_PARAM);
}

TEST_F(TestControl, JournalRecordsCallsWithSecretsMaskedAndTheFlagsInForce) {
  const Identity& who = Pki::get().user(KeyKind::Gost256);
  std::string where = pathText("container");
  makeContainer(where, "Secret-Pa55", who.keyPem());
  Prompts::psePasswords = {std::string("Typed-Pa55")};
  Prompts::pseErrors = {0};
  std::string cert = who.certPem();
  DravikTest_JournalClear();
  ASSERT_EQ(SetPKCS7Flags(DRAVIK_PKCS7_NO_SMIME_CAPABILITIES), 0);
  EXPECT_EQ(AddPSEPrivateKeyFromBufferEx(where.c_str(), "Given-Pa55", cert.data(), static_cast<uint32_t>(cert.size()),
                                         0),
            DRAVIK_E_CONTAINER);
  ASSERT_EQ(AddPSEPrivateKeyFromBufferEx(where.c_str(), "Secret-Pa55", cert.data(),
                                         static_cast<uint32_t>(cert.size()), 0),
            0);
  DravikSignContext* context = GetSignCTX();
  uint32_t length = static_cast<uint32_t>(cert.size());
  ASSERT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length), 0);
  char* output = nullptr;
  uint32_t outputLength = 0;
  ASSERT_EQ(SignBufferEx(context, "private text", 12, &output, &outputLength, 1), 0);
  BufferFree(output);
  FreeSignCTX(context);

  std::vector<DravikJournalEntry> entries = journal();
  const char* functions[] = {"SetPKCS7Flags", "AddPSEPrivateKeyFromBufferEx", "AddPSEPrivateKeyFromBufferEx",
                             "GetSignCTX", "AddSigner", "SignBufferEx", "BufferFree", "FreeSignCTX"};
  ASSERT_EQ(entries.size(), std::size(functions));
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_STREQ(entries[i].function, functions[i]);
    EXPECT_EQ(entries[i].sequence, i + 1);
    std::string arguments = entries[i].arguments;
    for (const char* secret : {"Secret-Pa55", "Given-Pa55", "Typed-Pa55", "private text", "BEGIN CERTIFICATE"})
      EXPECT_EQ(arguments.find(secret), std::string::npos) << functions[i] << ": " << arguments;
  }
  EXPECT_EQ(entries[0].pkcs7Flags, 0u);  // in force when the call began
  EXPECT_EQ(entries[1].result, DRAVIK_E_CONTAINER);
  EXPECT_NE(std::string(entries[1].arguments).find("password=***"), std::string::npos);
  EXPECT_NE(std::string(entries[5].arguments).find("data=<12 bytes>"), std::string::npos);
  EXPECT_EQ(entries[5].pkcs7Flags, DRAVIK_PKCS7_NO_SMIME_CAPABILITIES);
  EXPECT_EQ(entries[5].result, 0);

  DravikJournalEntry entry;
  EXPECT_EQ(DravikTest_JournalEntry(8, &entry), DRAVIK_E_INDEX);
  EXPECT_EQ(DravikTest_JournalEntry(0, nullptr), DRAVIK_E_NULL_PARAM);
  DravikTest_JournalClear();
  EXPECT_EQ(DravikTest_JournalSize(), 0u);
}

TEST_F(TestControl, ResetForgetsSettingsCallbacksAndInitialisation) {
  ASSERT_EQ(SetPKCS7Flags(4), 0);
  ASSERT_EQ(DravikTest_ForceResult("SetOutputFormat", 1, 5), 0);
  DravikTest_SetTime(1000);
  DravikTest_Reset();
  EXPECT_EQ(DravikTest_JournalSize(), 0u);
  uint32_t flags = 9;
  EXPECT_EQ(GetPKCS7Flags(&flags), DRAVIK_E_NOT_INITIALISED);
  ASSERT_EQ(PKCS7Init(home().c_str(), 0), 0);
  EXPECT_EQ(GetPKCS7Flags(&flags), 0);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(SetOutputFormat(3), 0);  // the forced result is gone
  // No callbacks: a password-protected container cannot be opened.
  const Identity& who = Pki::get().user(KeyKind::Gost256);
  makeContainer(pathText("c"), "pw", who.keyPem());
  std::string cert = who.certPem();
  EXPECT_EQ(AddPSEPrivateKeyFromBufferEx(pathText("c").c_str(), nullptr, cert.data(),
                                         static_cast<uint32_t>(cert.size()), 0),
            DRAVIK_E_CONTAINER);
  EXPECT_TRUE(Prompts::log.empty());
}

TEST_F(TestControl, KeyAndRequestCallsAreForcibleAndKeepSecretsOutOfTheJournal) {
  for (const char* function :
       {"SetNewKeysAlgorithm", "SetKeysLength", "SetKeyUsage", "AddCertificatePolicy", "SetSubjectSignTool",
        "SetDistinguishedNameAttribute", "ResetDistinguishedName", "PSE_Generation", "NewKeysGenerationEx",
        "PSE_ChangePassword", "PSE_Copy", "GetPrivateKeyAlgorithm", "CertAndPSEPrivateKeysMatchBuffer",
        "SetSignEncapsulatedContentType", "MakeRevocationRequest", "DK_GetRequestContext",
        "DK_GetRequestContextParam", "GetRequestFingerprintBuffer", "GetRequestInfoBuffer",
        "GetX509NameAttributeNumber", "GetX509NameAttributeOID", "GetX509NameAttributeValue", "GetX509NameString"})
    EXPECT_EQ(DravikTest_ForceResult(function, 1, DRAVIK_E_INTERNAL), 0) << function;
  EXPECT_EQ(DravikTest_ForceResult("DK_FreeRequestContext", 1, 5), DRAVIK_E_PARAMETER);
  DravikTest_Reset();
  ASSERT_EQ(PKCS7Init(home().c_str(), 0), 0);

  const std::string c = pathText("c");
  const std::string copy = pathText("copy");
  ASSERT_EQ(PSE_Generation(c.c_str(), 0, "Gen-Secret", 0), 0);
  ASSERT_EQ(PSE_ChangePassword(c.c_str(), 0, "New-Secret"), 0);
  ASSERT_EQ(PSE_Copy(c.c_str(), "New-Secret", copy.c_str(), "Copy-Secret"), 0);
  BufferFree(GetPrivateKeyAlgorithm(copy.c_str(), nullptr, nullptr, "Probe-Secret"));
  std::string der = Pki::get().user(KeyKind::Gost256).certDer();
  DravikCertificateContext* revoked =
      DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, der.data(), static_cast<uint32_t>(der.size()));
  char* output = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(MakeRevocationRequest(revoked, 1, "Reason-Words", "Shared-Secret", "Private-Comment", nullptr, &output,
                                  &length),
            0);
  FreeBuffer(output);
  DK_FreeCertificateContext(revoked);
  for (const DravikJournalEntry& entry : journal()) {
    std::string arguments = entry.arguments;
    for (const char* secret : {"Gen-Secret", "New-Secret", "Copy-Secret", "Probe-Secret", "Shared-Secret",
                               "Private-Comment", "Reason-Words"})
      EXPECT_EQ(arguments.find(secret), std::string::npos) << entry.function << ": " << arguments;
  }
}

TEST_F(TestControl, ResetForgetsTheRequestAndTheKeyAlgorithm) {
  ASSERT_EQ(SetDistinguishedNameAttribute("CN", "Before reset"), 0);
  ASSERT_EQ(SetNewKeysAlgorithm("GOST3410-2012-512-B-ParamSet"), 0);
  DravikTest_Reset();
  ASSERT_EQ(PKCS7Init(home().c_str(), 0), 0);
  const std::string c = pathText("c");
  ASSERT_EQ(PSE_Generation(c.c_str(), 0, "", 0), 0);
  ASSERT_EQ(NewKeysGenerationEx(c.c_str(), 0, nullptr, 0, pathText("r.pem").c_str()), 0);
  std::string request = readFile(path("r.pem"));
  DravikRequestInfo info;
  ASSERT_EQ(GetRequestInfoBuffer(request.data(), static_cast<uint32_t>(request.size()), &info), 0);
  EXPECT_STREQ(info.subject, "");
  EXPECT_STREQ(info.keyAlgorithm, "GOST3410-2012-256-XchA-ParamSet");
  FreeRequestInfo(&info);
}

}  // namespace
}  // namespace dravik_test
