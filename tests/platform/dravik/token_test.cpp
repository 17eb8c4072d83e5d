// Simulated tokens: presence, information, the PIN and device prompts,
// logout, keys in token containers and certificates copied onto tokens.
#include "fixture.h"
#include "pki.h"

namespace dravik_test {
namespace {

const char* const kToken = "etoken0:";
const char* const kPkcs11 = "pkcs110:\\rtPKCS11ECP";
const std::string kPin = "1234";

class Tokens : public DravikFixture {
 protected:
  void SetUp() override {
    DravikFixture::SetUp();
    ASSERT_EQ(DravikTest_InsertToken(kToken, "Work token", "SN-0042", "Virtual reader 0", kPin.c_str()), 0);
  }

  // A container on the token holding the user's key, with no password.
  std::string tokenContainer(const Identity& who, const char* device = kToken) {
    std::string where = std::string(device) + "\\work";
    makeContainer(where, "", who.keyPem());
    return where;
  }

  static int load(const std::string& where, const Identity& who) {
    std::string cert = who.certPem();
    return AddPSEPrivateKeyFromBufferEx(where.c_str(), nullptr, cert.data(), static_cast<uint32_t>(cert.size()), 0);
  }

  static std::string info(const char* device, int code, int* result) {
    uint32_t size = 0;
    *result = GetTokenInfo(device, code, nullptr, &size);
    if (*result != 0) return "";
    std::string text(size, 'x');
    *result = GetTokenInfo(device, code, &text[0], &size);
    EXPECT_EQ(size, text.size());
    EXPECT_EQ(text.back(), '\0');
    text.pop_back();
    return text;
  }
};

TEST_F(Tokens, PresenceFollowsInsertionAndRemoval) {
  struct Case {
    const char* device;
    int expected;
  } cases[] = {{kToken, 1}, {"etoken0:\\work", 1}, {"etoken1:", 0}, {"rutoken0:", 0}, {"file system:", 0},
               {"etoken0", 0}};
  for (const Case& c : cases) EXPECT_EQ(TokenInserted(c.device), c.expected) << c.device;
  ASSERT_EQ(DravikTest_RemoveToken(kToken), 0);
  EXPECT_EQ(TokenInserted(kToken), 0);
  ASSERT_EQ(DravikTest_InsertToken(kToken, nullptr, nullptr, nullptr, nullptr), 0);  // keeps its data
  EXPECT_EQ(TokenInserted(kToken), 1);
  int result = 0;
  EXPECT_EQ(info(kToken, DRAVIK_TOKEN_LABEL, &result), "Work token");
  EXPECT_EQ(DravikTest_RemoveToken("etoken5:"), DRAVIK_E_OPEN);
  EXPECT_EQ(DravikTest_InsertToken("not a device", "", "", "", ""), DRAVIK_E_PARAMETER);
  EXPECT_EQ(DravikTest_InsertToken("etoken0:\\inside", "", "", "", ""), DRAVIK_E_PARAMETER);
}

TEST_F(Tokens, InformationFollowsTheSizeQueryProtocol) {
  ASSERT_EQ(DravikTest_InsertToken(kPkcs11, "\xD0\xA0\xD1\x83\xD1\x82\xD0\xBE\xD0\xBA\xD0\xB5\xD0\xBD", "", "Slot 3", ""),
            0);
  struct Case {
    const char* device;
    int code;
    int expected;
    const char* text;
  } cases[] = {
      {kToken, DRAVIK_TOKEN_LABEL, 0, "Work token"},
      {kToken, DRAVIK_TOKEN_SERIAL_NUMBER, 0, "SN-0042"},
      {kToken, DRAVIK_TOKEN_SLOT_NAME, 0, "Virtual reader 0"},
      {kPkcs11, DRAVIK_TOKEN_LABEL, 0, "\xD0\xA0\xD1\x83\xD1\x82\xD0\xBE\xD0\xBA\xD0\xB5\xD0\xBD"},
      {kPkcs11, DRAVIK_TOKEN_SERIAL_NUMBER, 0, ""},
      {kToken, 4, DRAVIK_E_PARAMETER, ""},
      {kToken, 0, DRAVIK_E_PARAMETER, ""},
      {"etoken1:", DRAVIK_TOKEN_LABEL, DRAVIK_E_OPEN, ""},
      {"C:\\keys", DRAVIK_TOKEN_LABEL, DRAVIK_E_OPEN, ""},
  };
  for (const Case& c : cases) {
    int result = -1;
    EXPECT_EQ(info(c.device, c.code, &result), c.text) << c.device << " " << c.code;
    EXPECT_EQ(result, c.expected) << c.device << " " << c.code;
  }
  EXPECT_EQ(Prompts::count("device"), 0);  // information never asks for a device

  char small[4];
  uint32_t size = sizeof small;
  EXPECT_EQ(GetTokenInfo(kToken, DRAVIK_TOKEN_LABEL, small, &size), DRAVIK_E_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 11u);
}

TEST_F(Tokens, KeyOnATokenNeedsThePinOncePerLogin) {
  const Identity& who = Pki::get().user(KeyKind::Gost512);
  std::string where = tokenContainer(who);
  Prompts::pins = {std::string("0000"), kPin, kPin};
  ASSERT_EQ(load(where, who), 0);
  std::vector<std::string> expected = {"pin:etoken0::Work token:1", "pin:etoken0::Work token:2"};
  EXPECT_EQ(Prompts::log, expected);
  ASSERT_EQ(load(where, who), 0);
  EXPECT_EQ(Prompts::count("pin"), 2);  // logged in and cached

  EXPECT_EQ(LogoutToken("etoken0:\\work"), 1);
  EXPECT_EQ(LogoutToken("etoken3:"), 0);
  ASSERT_EQ(load(where, who), 0);
  EXPECT_EQ(Prompts::count("pin"), 3);

  // The key signs.
  DravikSignContext* context = GetSignCTX();
  std::string cert = who.certPem();
  uint32_t length = static_cast<uint32_t>(cert.size());
  ASSERT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length), 0);
  char* output = nullptr;
  uint32_t outputLength = 0;
  EXPECT_EQ(SignBufferEx(context, "t", 1, &output, &outputLength, DRAVIK_SIGN_ATTACHED), 0);
  BufferFree(output);
  FreeSignCTX(context);

  // Taking the token out ends the login and takes the keys away.
  ASSERT_EQ(DravikTest_RemoveToken(kToken), 0);
  ASSERT_EQ(DravikTest_InsertToken(kToken, nullptr, nullptr, nullptr, nullptr), 0);
  Prompts::pins = {kPin};
  ASSERT_EQ(load(where, who), 0);
  EXPECT_EQ(Prompts::count("pin"), 4);
}

TEST_F(Tokens, PinPromptEndsOnCancelOrAfterTooManyAttempts) {
  const Identity& who = Pki::get().user(KeyKind::Gost256);
  std::string where = tokenContainer(who);
  Prompts::pins = {std::nullopt};
  EXPECT_EQ(load(where, who), DRAVIK_E_ABORTED);
  Prompts::pins.assign(20, std::string("9999"));
  EXPECT_EQ(load(where, who), DRAVIK_E_ABORTED);
  EXPECT_EQ(Prompts::count("pin"), 1 + DRAVIK_MAX_PROMPTS);
  ASSERT_EQ(SetTokenPinCallbackFun(nullptr), 0);
  EXPECT_EQ(load(where, who), DRAVIK_E_ABORTED);
}

void insertTheToken(const char* device) { DravikTest_InsertToken(device, "Late", "1", "S", ""); }

TEST_F(Tokens, AbsentTokenIsRequestedThroughTheDeviceCallback) {
  const Identity& who = Pki::get().user(KeyKind::Gost256);
  ASSERT_EQ(DravikTest_InsertToken("rutoken2:", "Spare", "7", "Reader 2", ""), 0);
  std::string where = tokenContainer(who, "rutoken2:");
  struct Case {
    const char* what;
    std::vector<int> answers;
    bool insertOnRequest;
    bool withCallback;
    int expected;
    int requests;
  } cases[] = {
      {"inserted, then looked again", {1}, true, true, 0, 1},
      {"user gives up", {0}, false, true, DRAVIK_E_ABORTED, 1},
      {"looks again forever", std::vector<int>(30, 1), false, true, DRAVIK_E_ABORTED, DRAVIK_MAX_PROMPTS},
      {"no callback", {}, false, false, DRAVIK_E_ABORTED, 0},
  };
  for (const Case& c : cases) {
    if (TokenInserted("rutoken2:")) {
      ASSERT_EQ(DravikTest_RemoveToken("rutoken2:"), 0);
    }
    Prompts::reset();
    Prompts::install();
    if (!c.withCallback) {
      ASSERT_EQ(CADB_set_device_request_callback(nullptr), 0);
    }
    Prompts::deviceAnswers.assign(c.answers.begin(), c.answers.end());
    Prompts::onDeviceRequest = c.insertOnRequest ? insertTheToken : nullptr;
    EXPECT_EQ(load(where, who), c.expected) << c.what;
    EXPECT_EQ(Prompts::count("device:rutoken2::"), c.requests) << c.what;
  }
}

TEST_F(Tokens, CertificatesAreCopiedOntoTheTokenAndReadBack) {
  const Identity& who = Pki::get().user(KeyKind::Gost256);
  writeFile(path("user.pem"), who.certPem());
  std::string source = pathText("user.pem");
  Prompts::pins = {kPin};
  ASSERT_EQ(CopyCertificate(source.c_str(), kToken, 0), 0);
  EXPECT_EQ(CopyCertificate(source.c_str(), kToken, 0), DRAVIK_E_FILE_EXISTS);
  EXPECT_EQ(CopyCertificate(source.c_str(), kToken, 1), 0);
  EXPECT_EQ(Prompts::count("pin"), 1);

  char* fingerprint = GetCertFingerprintBuffer(who.certPem().data(), static_cast<uint32_t>(who.certPem().size()));
  std::string onToken = std::string(kToken) + "\\" + takeText(fingerprint) + ".cer";
  EXPECT_EQ(FileExists(onToken.c_str()), 1);
  DravikCertificateContext* context = DK_GetCertificateContext(DRAVIK_SOURCE_NAME, onToken.c_str(), 0);
  ASSERT_NE(context, nullptr);
  char* der = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(DK_GetCertificateContextParam(context, DRAVIK_CERT_PARAM_ENCODED, 0, &der, &length), 0);
  EXPECT_EQ(takeBuffer(der, length), who.certDer());
  DK_FreeCertificateContext(context);

  struct Case {
    const char* what;
    std::string source;
    std::string target;
    int expected;
  } cases[] = {
      {"missing source", pathText("missing.pem"), kToken, DRAVIK_E_CERT_READ},
      {"source is no certificate", pathText("user.pem") + ".x", kToken, DRAVIK_E_CERT_READ},
      {"container that does not exist", source, std::string(kToken) + "\\nowhere", DRAVIK_E_OPEN},
      {"a token path leaving the token", source, std::string(kToken) + "\\..\\..", DRAVIK_E_PARAMETER},
      {"a folder of the file system", source, home().string(), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CopyCertificate(c.source.c_str(), c.target.c_str(), 1), c.expected) << c.what;
}

}  // namespace
}  // namespace dravik_test
