// Key generation: containers, key pairs of every algorithm, and the
// certificate requests they come with, checked by the openssl tool.
#include "fixture.h"
#include "openssl_cli.h"
#include "pki.h"

namespace dravik_test {
namespace {

const char* const kPassword = "Gen-Pa55";

class KeyGeneration : public DravikFixture {
 protected:
  // A container at name (made when missing) with a new key pair; the request
  // file's text, or "" with *result set on failure.
  std::string generate(const std::string& container, const char* keyFile, int* result) {
    std::string request = pathText("request.pem");
    writeFile(request, "");
    int made = PSE_Generation(container.c_str(), 0, kPassword, 1);
    EXPECT_TRUE(made == 0 || made == DRAVIK_E_KEYS_EXIST) << made;
    *result = NewKeysGenerationEx(container.c_str(), 0, keyFile, 0, request.c_str());
    return *result == 0 ? readFile(request) : "";
  }

  std::string generate(const std::string& container, const char* keyFile = nullptr) {
    int result = 0;
    std::string request = generate(container, keyFile, &result);
    EXPECT_EQ(result, 0);
    return request;
  }

  CliResult requestText(const std::string& request) {
    writeFile(path("check.pem"), request);
    return runOpenssl(home(), {"req", "-in", pathText("check.pem"), "-verify", "-noout", "-text", "-nameopt",
                               "utf8,sep_comma_plus_space"});
  }

  // The new key signs once its request is certified.
  void expectUsable(const std::string& keyPath, const std::string& request) {
    std::string cert = certifyRequest(request, Pki::get().ca());
    ASSERT_EQ(
        AddPSEPrivateKeyFromBufferEx(keyPath.c_str(), kPassword, cert.data(), static_cast<uint32_t>(cert.size()), 0),
        0);
    DravikSignContext* context = GetSignCTX();
    uint32_t length = static_cast<uint32_t>(cert.size());
    EXPECT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length), 0);
    char* output = nullptr;
    uint32_t outputLength = 0;
    EXPECT_EQ(SignBufferEx(context, "data", 4, &output, &outputLength, DRAVIK_SIGN_ATTACHED), 0);
    BufferFree(output);
    FreeSignCTX(context);
  }
};

struct AlgorithmCase {
  const char* name;
  const char* algorithm;
  int bits;
  const char* keyText;  // what "openssl req -text" says of the key
};

void PrintTo(const AlgorithmCase& c, std::ostream* out) { *out << c.name; }

class Algorithms : public KeyGeneration, public ::testing::WithParamInterface<AlgorithmCase> {};

TEST_P(Algorithms, GenerateRealKeysWithVerifiableRequests) {
  const AlgorithmCase& c = GetParam();
  ASSERT_EQ(SetNewKeysAlgorithm(c.algorithm), 0);
  ASSERT_EQ(SetKeysLength(c.bits), 0);
  std::string container = pathText("keys");
  std::string request = generate(container);
  CliResult text = requestText(request);
  EXPECT_EQ(text.exitCode, 0) << text.output;
  EXPECT_NE(text.output.find("verify OK"), std::string::npos) << text.output;
  EXPECT_NE(text.output.find(c.keyText), std::string::npos) << text.output;
  char* name = GetPrivateKeyAlgorithm(container.c_str(), nullptr, nullptr, kPassword);
  EXPECT_EQ(takeText(name), c.algorithm);
  expectUsable(container, request);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Algorithms,
    ::testing::Values(AlgorithmCase{"Gost256XchA", "GOST3410-2012-256-XchA-ParamSet", 256, "CryptoPro-XchA-ParamSet"},
                      AlgorithmCase{"Gost256A", "GOST3410-2012-256-A-ParamSet", 256, "CryptoPro-A-ParamSet"},
                      AlgorithmCase{"Gost256Tc26A", "TC26-GOST3410-2012-256-A-ParamSet", 256, "(256 bit) ParamSet A"},
                      AlgorithmCase{"Gost512A", "GOST3410-2012-512-A-ParamSet", 512, "(512 bit) ParamSet A"},
                      AlgorithmCase{"Gost512C", "GOST3410-2012-512-C-ParamSet", 512, "(512 bit) ParamSet C"},
                      AlgorithmCase{"Rsa1024", "RSA", 1024, "(1024 bit)"}),
    [](const ::testing::TestParamInfo<AlgorithmCase>& info) { return std::string(info.param.name); });

TEST_F(KeyGeneration, RequestCarriesTheSubjectAndExtensionsBeingBuilt) {
  const char* const subject[][2] = {
      {"CN", "Иван Петров"}, {"C", "RU"}, {"INN", "007701234567"}, {"2.5.4.10", "Orvanta"}};
  for (const auto& attribute : subject) ASSERT_EQ(SetDistinguishedNameAttribute(attribute[0], attribute[1]), 0);
  ASSERT_EQ(SetBasicConstraints(0, 1), 0);
  ASSERT_EQ(AddExtendedKeyUsage("1.3.6.1.5.5.7.3.4", 0), 0);
  ASSERT_EQ(AddExtendedKeyUsage("1.3.6.1.5.5.7.3.2", 0), 0);
  ASSERT_EQ(SetKeyUsage(0x1F, 1), 0);
  ASSERT_EQ(AddCertificatePolicy("1.2.643.100.113.1", nullptr), 0);
  ASSERT_EQ(AddCertificatePolicy("1.2.643.100.113.2", "http://ca.example/cps"), 0);
  ASSERT_EQ(SetSubjectSignTool(), 0);
  std::string text = requestText(generate(pathText("first"))).output;
  for (const char* expected :
       {"Subject: CN=Иван Петров, C=RU, INN=007701234567, O=Orvanta", "X509v3 Key Usage: critical",
        "Digital Signature, Non Repudiation, Key Encipherment, Data Encipherment, Key Agreement\n",
        "X509v3 Basic Constraints: critical", "CA:FALSE", "E-mail Protection, TLS Web Client Authentication",
        "Policy: Class of Signing Tool KC1",
        "Policy: Class of Signing Tool KC2\n                      CPS: http://ca.example/cps",
        "Signing Tool of Subject: \n                    dravik"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

  // The description persists until reset; the subject and the extensions
  // reset apart.
  ASSERT_EQ(ResetExtensions(), 0);
  text = requestText(generate(pathText("second"))).output;
  EXPECT_NE(text.find("INN=007701234567"), std::string::npos) << text;
  EXPECT_EQ(text.find("X509v3"), std::string::npos) << text;
  ASSERT_EQ(ResetDistinguishedName(), 0);
  ASSERT_EQ(SetKeyUsage(DRAVIK_KEY_USAGE_DIGITAL_SIGNATURE | DRAVIK_KEY_USAGE_DECIPHER_ONLY, 0), 0);
  text = requestText(generate(pathText("third"))).output;
  EXPECT_NE(text.find("Subject: \n"), std::string::npos) << text;
  EXPECT_NE(text.find("X509v3 Key Usage: \n                    Digital Signature, Decipher Only"), std::string::npos)
      << text;
}

TEST_F(KeyGeneration, SettingsRefuseWhatCannotBeMade) {
  struct Case {
    const char* what;
    int result;
    int expected;
  } cases[] = {
      {"empty algorithm", SetNewKeysAlgorithm(""), DRAVIK_E_KEY_ALGORITHM},
      {"algorithm in another case", SetNewKeysAlgorithm("gost3410-2012-256-A-ParamSet"), DRAVIK_E_KEY_ALGORITHM},
      {"no algorithm", SetNewKeysAlgorithm(nullptr), DRAVIK_E_NULL_PARAM},
      {"length 0", SetKeysLength(0), DRAVIK_E_KEY_ALGORITHM},
      {"negative length", SetKeysLength(-1), DRAVIK_E_KEY_ALGORITHM},
      {"huge length", SetKeysLength(16385), DRAVIK_E_KEY_ALGORITHM},
      {"unknown usage bit", SetKeyUsage(0x200, 0), DRAVIK_E_PARAMETER},
      {"country of three letters", SetDistinguishedNameAttribute("C", "RUS"), DRAVIK_E_NAME_FORMAT},
      {"letters in an INN", SetDistinguishedNameAttribute("INN", "77O1"), DRAVIK_E_NAME_FORMAT},
      {"unknown attribute", SetDistinguishedNameAttribute("favouriteColour", "blue"), DRAVIK_E_NAME_FORMAT},
      {"empty value", SetDistinguishedNameAttribute("CN", ""), DRAVIK_E_NAME_FORMAT},
      {"invalid UTF-8", SetDistinguishedNameAttribute("CN", "\xC3("), DRAVIK_E_NAME_FORMAT},
      {"no value", SetDistinguishedNameAttribute("CN", nullptr), DRAVIK_E_NULL_PARAM},
      {"policy that is no OID", AddCertificatePolicy("policy one", nullptr), DRAVIK_E_EXTENSION_PARSE},
      {"CPS with a blank", AddCertificatePolicy("1.2.3", "http://a b"), DRAVIK_E_EXTENSION_PARSE},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;

  // A refused choice leaves the one in force; RSA needs 1024 bits or more.
  ASSERT_EQ(SetNewKeysAlgorithm("RSA"), 0);
  ASSERT_EQ(SetKeysLength(512), 0);
  int result = 0;
  generate(pathText("short"), nullptr, &result);
  EXPECT_EQ(result, DRAVIK_E_KEY_ALGORITHM);
}

TEST_F(KeyGeneration, ContainersAreMadeWhereTheyCanBe) {
  ASSERT_EQ(DravikTest_InsertToken("etoken0:", "Token", "1", "slot", nullptr), 0);
  writeFile(path("file"), "x");
  ASSERT_EQ(PSE_Generation(pathText("taken").c_str(), 0, "", 0), 0);
  struct Case {
    const char* what;
    std::string where;
    const char* password;
    int createFolders;
    std::vector<std::optional<std::string>> typed;  // new-password answers
    int expected;
    const char* opensWith;  // a password the new container accepts
  } cases[] = {
      {"a new folder", pathText("new"), kPassword, 0, {}, 0, kPassword},
      {"a container already there", pathText("taken"), kPassword, 0, {}, DRAVIK_E_KEYS_EXIST, ""},
      {"a file in the way", pathText("file"), kPassword, 1, {}, DRAVIK_E_CONTAINER_CREATE, nullptr},
      {"a missing parent", pathText("missing/c"), kPassword, 0, {}, DRAVIK_E_CONTAINER_CREATE, nullptr},
      {"a parent made on request", pathText("made\\c"), kPassword, 1, {}, 0, kPassword},
      {"the password asked for", pathText("asked"), nullptr, 0, {std::string("Typed-1")}, 0, "Typed-1"},
      {"asking cancelled", pathText("cancelled"), nullptr, 0, {std::nullopt}, DRAVIK_E_ABORTED, nullptr},
      {"a token, no password", "etoken0:\\gen", nullptr, 0, {}, 0, ""},
      {"a token's root", "etoken0:", nullptr, 0, {}, DRAVIK_E_CONTAINER_CREATE, nullptr},
  };
  const std::string key = Pki::get().user(KeyKind::Gost256).keyPem();
  for (const Case& c : cases) {
    Prompts::newPasswords.assign(c.typed.begin(), c.typed.end());
    EXPECT_EQ(PSE_Generation(c.where.c_str(), 0, c.password, c.createFolders), c.expected) << c.what;
    int stored = DravikTest_StoreKey(c.where.c_str(), c.opensWith ? c.opensWith : "", key.data(),
                                     static_cast<uint32_t>(key.size()));
    EXPECT_EQ(stored, c.opensWith ? 0 : DRAVIK_E_CONTAINER) << c.what;
  }
  EXPECT_EQ(Prompts::count("new-password:"), 2);
}

TEST_F(KeyGeneration, KeysGoIntoTheContainerOrTheKeyFileNamed) {
  std::string container = pathText("c");
  struct Case {
    const char* what;
    std::string keyFile;  // "" for none
    std::string stored;   // where the key lands
    std::string keyPath;  // what opens it
  } cases[] = {
      {"next key of the container", "", pathText("c/key01.key"), container},
      {"a name inside, Windows separators", container + "\\keys\\rsa00000001.key", pathText("c/keys/rsa00000001.key"),
       container},
      {"a file elsewhere", pathText("elsewhere/my.key"), pathText("elsewhere/my.key"), pathText("elsewhere/my.key")},
  };
  for (const Case& c : cases) {
    std::string request = generate(container, c.keyFile.empty() ? nullptr : c.keyFile.c_str());
    EXPECT_TRUE(std::filesystem::is_regular_file(c.stored)) << c.what;
    expectUsable(c.keyPath, request);
    std::string cert = certifyRequest(request, Pki::get().ca());
    char name[DRAVIK_KEY_NAME_BUFFER];
    EXPECT_EQ(
        CertAndPSEPrivateKeysMatchBuffer(cert.data(), static_cast<uint32_t>(cert.size()), c.keyPath.c_str(), name), 1)
        << c.what;
    EXPECT_EQ(std::filesystem::path(name), std::filesystem::path(c.stored)) << c.what;
  }
}

TEST_F(KeyGeneration, FailuresStoreNoKey) {
  std::string container = pathText("c");
  ASSERT_EQ(PSE_Generation(container.c_str(), 0, kPassword, 0), 0);
  ASSERT_EQ(ClearPrivateKeys(), 0);
  writeFile(path("taken.key"), "x");
  std::string taken = pathText("taken.key");
  std::string request = pathText("request.pem");
  struct Case {
    const char* what;
    std::string path;
    const char* keyFile;
    const char* requestFile;
    std::vector<std::optional<std::string>> typed;  // PSE password answers
    int expected;
  } cases[] = {
      {"no request file", container, nullptr, nullptr, {std::string(kPassword)}, DRAVIK_E_REQUEST_FILE},
      {"request folder missing",
       container,
       nullptr,
       "/nonexistent/dir/r.pem",
       {std::string(kPassword)},
       DRAVIK_E_REQUEST_WRITE},
      {"key file taken", container, taken.c_str(), request.c_str(), {std::string(kPassword)}, DRAVIK_E_FILE_EXISTS},
      {"password cancelled", container, nullptr, request.c_str(), {std::nullopt}, DRAVIK_E_ABORTED},
      {"no container", pathText("none"), nullptr, request.c_str(), {}, DRAVIK_E_CONTAINER},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(ClearPrivateKeys(), 0);
    Prompts::psePasswords.assign(c.typed.begin(), c.typed.end());
    EXPECT_EQ(NewKeysGenerationEx(c.path.c_str(), 0, c.keyFile, 0, c.requestFile), c.expected) << c.what;
  }
  EXPECT_FALSE(std::filesystem::exists(path("c/key01.key")));
  DravikTest_ForceResult("NewKeysGenerationEx", 1, DRAVIK_E_KEY_GENERATION);
  EXPECT_EQ(NewKeysGenerationEx(container.c_str(), 0, nullptr, 0, request.c_str()), DRAVIK_E_KEY_GENERATION);
  EXPECT_FALSE(std::filesystem::exists(path("c/key01.key")));
}

}  // namespace
}  // namespace dravik_test
