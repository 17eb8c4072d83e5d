// The library's conventions: the counted initialisation, 161 before it, 159
// for NULL, releases that accept anything, buffers, and the per-thread last
// error.
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <unistd.h>

#include "fixture.h"

namespace dravik_test {
namespace {

int walkNothing(const char*, void*) { return 1; }

// Every call that needs the library, reduced to its result code.
struct Call {
  const char* name;
  std::function<int()> run;
};

int pointerCode(const void* result) { return result ? 0 : GetDravikLastError(); }

std::vector<Call> everyCall() {
  static uint32_t flags = 0;
  static uint32_t length = 4;
  static char* out = nullptr;
  static DravikCertificateInfo info;
  return {
      {"SetInputCodePage", [] { return SetInputCodePage(5); }},
      {"SetOutputCodePage", [] { return SetOutputCodePage(5); }},
      {"SetOutputFormat", [] { return SetOutputFormat(3); }},
      {"InsertCertificateToSign", [] { return InsertCertificateToSign(1); }},
      {"InsertSigningTimeToSign", [] { return InsertSigningTimeToSign(1); }},
      {"GetPKCS7Flags", [] { return GetPKCS7Flags(&flags); }},
      {"SetPKCS7Flags", [] { return SetPKCS7Flags(0); }},
      {"GetCertificateVerifyFlags", [] { return GetCertificateVerifyFlags(&flags); }},
      {"SetCertificateVerifyFlags", [] { return SetCertificateVerifyFlags(0); }},
      {"GetCertificateRequestFlags", [] { return GetCertificateRequestFlags(&flags); }},
      {"SetCertificateRequestFlags", [] { return SetCertificateRequestFlags(6); }},
      {"SetBasicConstraints", [] { return SetBasicConstraints(0, 1); }},
      {"AddExtendedKeyUsage", [] { return AddExtendedKeyUsage("1.3.6.1.5.5.7.3.4", 0); }},
      {"ResetExtensions", [] { return ResetExtensions(); }},
      {"SetKeysPasswordCallbackFun", [] { return SetKeysPasswordCallbackFun(nullptr); }},
      {"SetKeysNewPasswordCallbackFun", [] { return SetKeysNewPasswordCallbackFun(nullptr); }},
      {"SetPrivateKeyErrorCallbackFun", [] { return SetPrivateKeyErrorCallbackFun(nullptr); }},
      {"SetPSEPasswordCallbackFun", [] { return SetPSEPasswordCallbackFun(nullptr); }},
      {"SetPSEErrorCallbackFun", [] { return SetPSEErrorCallbackFun(nullptr); }},
      {"SetTokenPinCallbackFun", [] { return SetTokenPinCallbackFun(nullptr); }},
      {"CADB_set_device_request_callback", [] { return CADB_set_device_request_callback(nullptr); }},
      {"AllocBuffer", [] { return pointerCode(AllocBuffer(4)); }},
      {"AddPSEPrivateKeyFromBufferEx", [] { return AddPSEPrivateKeyFromBufferEx("/x", nullptr, "x", 1, 0); }},
      {"ClearPrivateKeys", [] { return ClearPrivateKeys(); }},
      {"ClearPrivateKeysAt", [] { return ClearPrivateKeysAt("/x"); }},
      {"GetSignCTX", [] { return pointerCode(GetSignCTX()); }},
      {"AddSigner", [] { return AddSigner(nullptr, 4, "x", &length); }},
      {"SignBufferEx", [] { return SignBufferEx(nullptr, "x", 1, &out, &length, 0); }},
      {"DK_GetCertificateContext", [] { return pointerCode(DK_GetCertificateContext(4, "x", 1)); }},
      {"DK_GetCertificateContextParam", [] { return DK_GetCertificateContextParam(nullptr, 14, 0, &out, &length); }},
      {"GetCertificateSubjectBuffer", [] { return pointerCode(GetCertificateSubjectBuffer("x", 1)); }},
      {"GetCertificateIssuerBuffer", [] { return pointerCode(GetCertificateIssuerBuffer("x", 1)); }},
      {"GetCertificateSerialBuffer", [] { return pointerCode(GetCertificateSerialBuffer("x", 1)); }},
      {"GetCertificateNotBeforeBuffer", [] { return pointerCode(GetCertificateNotBeforeBuffer("x", 1)); }},
      {"GetCertificateNotAfterBuffer", [] { return pointerCode(GetCertificateNotAfterBuffer("x", 1)); }},
      {"GetCertFingerprintBuffer", [] { return pointerCode(GetCertFingerprintBuffer("x", 1)); }},
      {"GetCertificateInfoBufferEx", [] { return GetCertificateInfoBufferEx("x", 1, &info); }},
      {"ConvertEncodedObject", [] { return ConvertEncodedObject(2, "x", 1, 3, &out, &length, 0); }},
      {"AddCAs", [] { return AddCAs("/x"); }},
      {"AddCertificates", [] { return AddCertificates("/x"); }},
      {"AddCRLs", [] { return AddCRLs("/x"); }},
      {"CADB_by_dir", [] { return CADB_by_dir("/x", 64, walkNothing, nullptr) ? 0 : GetDravikLastError(); }},
      {"CADB_is_dir", [] { return CADB_is_dir("/") ? 0 : GetDravikLastError(); }},
      {"FileExists", [] { return FileExists("/") ? 0 : GetDravikLastError(); }},
      {"TokenInserted", [] { return TokenInserted("etoken0:") ? 0 : GetDravikLastError(); }},
      {"GetTokenInfo", [] { return GetTokenInfo("etoken0:", 1, nullptr, &length); }},
      {"LogoutToken", [] { return LogoutToken("etoken0:") ? 0 : GetDravikLastError(); }},
      {"CopyCertificate", [] { return CopyCertificate("/x", "etoken0:", 0); }},
      {"PKCS7Final", [] { return PKCS7Final(); }},
  };
}

TEST(DravikConventions, EveryCallBeforeInitialisationGives161) {
  DravikTest_Reset();
  for (const Call& call : everyCall()) {
    EXPECT_EQ(call.run(), DRAVIK_E_NOT_INITIALISED) << call.name;
    EXPECT_EQ(GetDravikLastError(), DRAVIK_E_NOT_INITIALISED) << call.name;
  }
  EXPECT_EQ(DravikTest_LiveBuffers(), 0u);
  EXPECT_EQ(DravikTest_LiveContexts(), 0u);
  DravikTest_Reset();
}

TEST(DravikConventions, MissingGostEngineGives178) {
  // A fresh process, so that no engine is loaded yet.
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(
      {
        setenv("DRAVIK_GOST_ENGINE", "/nonexistent/gost.so", 1);
        int first = PKCS7Init(nullptr, 0);
        int error = GetDravikLastError();
        int after = SetOutputFormat(3);
        _exit(first == DRAVIK_E_ENGINE && error == DRAVIK_E_ENGINE && after == DRAVIK_E_NOT_INITIALISED ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

class Conventions : public DravikFixture {};

TEST_F(Conventions, InitialisationIsCountedSoThatOneFinalBreaksNoOtherUser) {
  ASSERT_EQ(SetOutputFormat(DRAVIK_FORMAT_DER), 0);
  ASSERT_EQ(PKCS7Init(nullptr, 0), 0);
  ASSERT_EQ(PKCS7Final(), 0);
  uint32_t flags = 1;
  EXPECT_EQ(GetPKCS7Flags(&flags), 0);
  EXPECT_EQ(PKCS7Final(), 0);
  EXPECT_EQ(GetPKCS7Flags(&flags), DRAVIK_E_NOT_INITIALISED);
  EXPECT_EQ(PKCS7Final(), DRAVIK_E_NOT_INITIALISED);
  EXPECT_EQ(PKCS7Init(nullptr, 1), DRAVIK_E_PARAMETER);
  EXPECT_EQ(GetPKCS7Flags(&flags), DRAVIK_E_NOT_INITIALISED);
  // A new start has the defaults again.
  ASSERT_EQ(PKCS7Init(home().c_str(), 0), 0);
  DravikTest_JournalClear();
  EXPECT_EQ(GetPKCS7Flags(&flags), 0);
  DravikJournalEntry entry;
  ASSERT_EQ(DravikTest_JournalEntry(0, &entry), 0);
  EXPECT_EQ(entry.outputFormat, DRAVIK_FORMAT_PEM);
  EXPECT_EQ(entry.insertCertificate, 1);
  EXPECT_EQ(entry.insertSigningTime, 1);
  EXPECT_EQ(entry.inputCodePage, DRAVIK_CP_UTF8);
}

TEST_F(Conventions, NullParametersGive159) {
  uint32_t length = 0;
  char* out = nullptr;
  struct Case {
    const char* name;
    std::function<int()> run;
  } cases[] = {
      {"GetPKCS7Flags", [] { return GetPKCS7Flags(nullptr); }},
      {"GetCertificateVerifyFlags", [] { return GetCertificateVerifyFlags(nullptr); }},
      {"GetCertificateRequestFlags", [] { return GetCertificateRequestFlags(nullptr); }},
      {"AddExtendedKeyUsage", [] { return AddExtendedKeyUsage(nullptr, 0); }},
      {"AddPSEPrivateKeyFromBufferEx", [] { return AddPSEPrivateKeyFromBufferEx(nullptr, nullptr, "x", 1, 0); }},
      {"AddSigner", [&] { return AddSigner(nullptr, 4, "x", &length); }},
      {"SignBufferEx", [&] { return SignBufferEx(nullptr, "x", 1, &out, &length, 0); }},
      {"DK_GetCertificateContext", [] { return pointerCode(DK_GetCertificateContext(4, nullptr, 0)); }},
      {"GetCertificateSubjectBuffer", [] { return pointerCode(GetCertificateSubjectBuffer(nullptr, 0)); }},
      {"GetCertificateInfoBufferEx", [] { return GetCertificateInfoBufferEx("x", 1, nullptr); }},
      {"ConvertEncodedObject", [&] { return ConvertEncodedObject(2, nullptr, 0, 3, &out, &length, 0); }},
      {"AddCAs", [] { return AddCAs(nullptr); }},
      {"AddCertificates", [] { return AddCertificates(nullptr); }},
      {"AddCRLs", [] { return AddCRLs(nullptr); }},
      {"CADB_by_dir path", [] { return CADB_by_dir(nullptr, 64, walkNothing, nullptr) ? 0 : GetDravikLastError(); }},
      {"CADB_by_dir callback", [] { return CADB_by_dir("/", 64, nullptr, nullptr) ? 0 : GetDravikLastError(); }},
      {"CADB_is_dir", [] { return CADB_is_dir(nullptr) ? 0 : GetDravikLastError(); }},
      {"FileExists", [] { return FileExists(nullptr) ? 0 : GetDravikLastError(); }},
      {"TokenInserted", [] { return TokenInserted(nullptr) ? 0 : GetDravikLastError(); }},
      {"GetTokenInfo device", [&] { return GetTokenInfo(nullptr, 1, nullptr, &length); }},
      {"GetTokenInfo size", [] { return GetTokenInfo("etoken0:", 1, nullptr, nullptr); }},
      {"LogoutToken", [] { return LogoutToken(nullptr) ? 0 : GetDravikLastError(); }},
      {"CopyCertificate", [] { return CopyCertificate(nullptr, "etoken0:", 0); }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.run(), DRAVIK_E_NULL_PARAM) << c.name;
    EXPECT_EQ(GetDravikLastError(), DRAVIK_E_NULL_PARAM) << c.name;
  }
}

TEST_F(Conventions, ReleasesAcceptNullAndWhatTheLibraryNeverGave) {
  int local = 0;
  BufferFree(nullptr);
  FreeBuffer(nullptr);
  FreeSignCTX(nullptr);
  DK_FreeCertificateContext(nullptr);
  FreeCertificateInfo(nullptr);
  BufferFree(&local);
  FreeBuffer(&local);
  FreeSignCTX(reinterpret_cast<DravikSignContext*>(&local));
  DK_FreeCertificateContext(reinterpret_cast<DravikCertificateContext*>(&local));
  EXPECT_EQ(local, 0);
  // A failure can still be read after releasing what was held.
  EXPECT_EQ(SetOutputFormat(99), DRAVIK_E_PARAMETER);
  BufferFree(nullptr);
  FreeSignCTX(nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_PARAMETER);
}

TEST_F(Conventions, BuffersOfAnySizeAndEitherReleaseFunction) {
  char* empty = AllocBuffer(0);
  ASSERT_NE(empty, nullptr);
  char* sized = AllocBuffer(64);
  ASSERT_NE(sized, nullptr);
  EXPECT_EQ(std::string(sized, 64), std::string(64, '\0'));
  std::memset(sized, 'x', 64);
  EXPECT_EQ(DravikTest_LiveBuffers(), 2u);
  FreeBuffer(empty);
  BufferFree(sized);
  FreeBuffer(sized);  // already released: ignored
  EXPECT_EQ(DravikTest_LiveBuffers(), 0u);

  // Output buffers go through either function too.
  char* text = GetCertificateSubjectBuffer("x", 1);
  EXPECT_EQ(text, nullptr);
  ASSERT_EQ(DravikTest_ForceResult("AllocBuffer", 1, DRAVIK_E_MEMORY), 0);
  EXPECT_EQ(AllocBuffer(8), nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_MEMORY);
  char* again = AllocBuffer(8);
  EXPECT_NE(again, nullptr);
  FreeBuffer(again);
}

TEST_F(Conventions, LastErrorIsPerThreadAndResetOnEntry) {
  EXPECT_EQ(SetOutputFormat(42), DRAVIK_E_PARAMETER);
  int other = -1;
  std::thread([&] { other = GetDravikLastError(); }).join();
  EXPECT_EQ(other, 0);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_PARAMETER);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_PARAMETER);  // reading does not reset
  std::thread([&] {
    SetInputCodePage(1251);
    other = GetDravikLastError();
  }).join();
  EXPECT_EQ(other, DRAVIK_E_PARAMETER);
  EXPECT_EQ(SetOutputFormat(DRAVIK_FORMAT_PEM), 0);
  EXPECT_EQ(GetDravikLastError(), 0);
}

}  // namespace
}  // namespace dravik_test
