// Work on existing containers: password change, copying, the probe of a
// container's key and the lookup of a certificate's key.
#include "fixture.h"
#include "pki.h"

namespace dravik_test {
namespace {

const std::string kOld = "Old-Pa55";

class Containers : public DravikFixture {
 protected:
  std::string container(const std::string& name, const std::string& password) {
    std::string where = pathText(name);
    makeContainer(where, password, user().keyPem());
    return where;
  }

  static const Identity& user() { return Pki::get().user(KeyKind::Gost256); }

  // Loads the user's key from a fresh cache with password given, the PSE
  // callback answering typed and giving up after a wrong one.
  static int load(const std::string& where, const char* password, std::optional<std::string> typed = std::nullopt) {
    EXPECT_EQ(ClearPrivateKeys(), 0);
    Prompts::psePasswords = {typed};
    Prompts::pseErrors = {0};
    std::string cert = user().certPem();
    return AddPSEPrivateKeyFromBufferEx(where.c_str(), password, cert.data(), static_cast<uint32_t>(cert.size()), 0);
  }
};

TEST_F(Containers, ChangedPasswordOpensTheContainerAndTheOldOneNoLonger) {
  struct Case {
    const char* what;
    const char* given;                 // new password argument
    std::optional<std::string> typed;  // the new-password callback's answer
    std::string fresh;
  } cases[] = {
      {"given", "New-Pa55", std::nullopt, "New-Pa55"},
      {"asked for", nullptr, std::string("Typed-Pa55"), "Typed-Pa55"},
      {"made empty", "", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    std::string where = container(c.what, kOld);
    Prompts::psePasswords = {kOld};
    Prompts::newPasswords = {c.typed};
    ASSERT_EQ(PSE_ChangePassword(where.c_str(), 0, c.given), 0) << c.what;
    // The empty password is tried before anything else, so it opens silently.
    EXPECT_EQ(load(where, kOld.c_str(), kOld), c.fresh.empty() ? 0 : DRAVIK_E_CONTAINER) << c.what;
    EXPECT_EQ(load(where, c.fresh.c_str()), 0) << c.what;
  }
}

TEST_F(Containers, FailedPasswordChangeLeavesTheContainerAsItWas) {
  std::string where = container("c", kOld);
  std::filesystem::create_directories(path("c/key01.key.new"));  // the staged key cannot be written
  struct Case {
    const char* what;
    std::optional<std::string> old;    // PSE password answer
    std::optional<std::string> fresh;  // new-password answer
    int expected;
  } cases[] = {
      {"new password cancelled", kOld, std::nullopt, DRAVIK_E_ABORTED},
      {"old password cancelled", std::nullopt, std::string("x"), DRAVIK_E_ABORTED},
      {"staged key unwritable", kOld, std::string("New-Pa55"), DRAVIK_E_WRITE_OBJECTS},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(ClearPrivateKeys(), 0);
    Prompts::psePasswords = {c.old};
    Prompts::newPasswords = {c.fresh};
    EXPECT_EQ(PSE_ChangePassword(where.c_str(), 0, nullptr), c.expected) << c.what;
    EXPECT_EQ(load(where, kOld.c_str()), 0) << c.what;
  }
  EXPECT_EQ(PSE_ChangePassword(pathText("none").c_str(), 0, "x"), DRAVIK_E_CONTAINER);
}

TEST_F(Containers, CopiesOpenWithTheirPassword) {
  ASSERT_EQ(DravikTest_InsertToken("etoken0:", "Token", "1", "slot", nullptr), 0);
  std::string source = container("source", kOld);
  ASSERT_EQ(DravikTest_StoreKey(source.c_str(), kOld.c_str(), Pki::get().ca().keyPem().data(),
                                static_cast<uint32_t>(Pki::get().ca().keyPem().size())),
            0);
  container("taken", "");
  writeFile(path("file"), "x");
  struct Case {
    const char* what;
    std::string target;
    const char* targetPassword;
    int expected;
    const char* opensWith;
  } cases[] = {
      {"keeping the password", pathText("copy"), nullptr, 0, kOld.c_str()},
      {"under a new password", pathText("fresh"), "Fresh-1", 0, "Fresh-1"},
      {"onto a token", "etoken0:\\copy", nullptr, 0, kOld.c_str()},
      {"onto a container", pathText("taken"), nullptr, DRAVIK_E_FILE_EXISTS, nullptr},
      {"under a file", pathText("file/copy"), nullptr, DRAVIK_E_KEY_COPY, nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PSE_Copy(source.c_str(), kOld.c_str(), c.target.c_str(), c.targetPassword), c.expected) << c.what;
    if (c.opensWith) {
      EXPECT_EQ(load(c.target, c.opensWith), 0) << c.what;
      EXPECT_EQ(load(c.target, "wrong", std::string("wrong")), DRAVIK_E_CONTAINER) << c.what;
    }
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(path("copy/key02.key")));
  EXPECT_FALSE(std::filesystem::exists(path("file/copy")));
  EXPECT_EQ(PSE_Copy(pathText("none").c_str(), nullptr, pathText("x").c_str(), nullptr), DRAVIK_E_CONTAINER);
}

// The probe of a container: a password callback that answers without
// writing anything and an error callback that never retries.
bool askedForPassword = false;
int probePassword(char*, int) {
  askedForPassword = true;
  return 1;
}
int probeError(int) { return 0; }

TEST_F(Containers, KeyAlgorithmProbeTellsMissingContainersFromLockedOnes) {
  container("locked", kOld);
  container("open", "");
  ASSERT_EQ(DravikTest_CreateContainer(pathText("empty").c_str(), ""), 0);
  writeFile(path("locked.key"), user().encryptedKeyPem(kOld));
  writeFile(path("plain.key"), user().keyPem());
  ASSERT_EQ(SetPSEPasswordCallbackFun(probePassword), 0);
  ASSERT_EQ(SetPSEErrorCallbackFun(probeError), 0);
  struct Case {
    const char* name;
    const char* password;
    std::string algorithm;  // "" for a failure
    int code;
    bool asks;
  } cases[] = {
      {"locked", "580713", "", DRAVIK_E_CONTAINER, true},
      {"locked", kOld.c_str(), "GOST3410-2012-256-A-ParamSet", 0, false},
      {"open", "580713", "GOST3410-2012-256-A-ParamSet", 0, false},
      {"missing", "580713", "", DRAVIK_E_CONTAINER, false},
      {"empty", "580713", "", DRAVIK_E_KEY_NOT_LOADED, false},
      {"locked.key", "580713", "", DRAVIK_E_KEY_READ, false},
      {"plain.key", "580713", "GOST3410-2012-256-A-ParamSet", 0, false},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(ClearPrivateKeys(), 0);
    askedForPassword = false;
    char* algorithm = GetPrivateKeyAlgorithm(pathText(c.name).c_str(), nullptr, nullptr, c.password);
    EXPECT_EQ(GetDravikLastError(), c.code) << c.name;
    EXPECT_EQ(takeText(algorithm), c.algorithm) << c.name;
    EXPECT_EQ(askedForPassword, c.asks) << c.name;
  }
  EXPECT_EQ(Prompts::count("key-password"), 0);
}

TEST_F(Containers, KeyOfACertificateIsFoundByName) {
  ASSERT_EQ(DravikTest_InsertToken("etoken0:", "Token", "1", "slot", nullptr), 0);
  const Identity& other = Pki::get().user(KeyKind::Gost512);
  std::string both = container("both", "");
  ASSERT_EQ(DravikTest_StoreKey(both.c_str(), "", other.keyPem().data(), static_cast<uint32_t>(other.keyPem().size())),
            0);
  makeContainer("etoken0:\\work", "", other.keyPem());
  writeFile(path("user.key"), user().keyPem());
  struct Case {
    const Identity* who;
    std::string where;
    int answer;
    std::string name;
    int code;
  } cases[] = {
      {&other, both, 1, both + "/key02.key", 0},
      {&user(), both, 1, both + "/key01.key", 0},
      {&other, "etoken0:\\work\\", 1, "etoken0:\\work\\key01.key", 0},
      {&user(), pathText("user.key"), 1, pathText("user.key"), 0},
      {&Pki::get().stranger(), both, 0, "", 0},
      {&user(), pathText("missing"), 0, "", DRAVIK_E_CONTAINER},
  };
  for (const Case& c : cases) {
    std::string cert = c.who->certPem();
    char name[DRAVIK_KEY_NAME_BUFFER] = "";
    EXPECT_EQ(CertAndPSEPrivateKeysMatchBuffer(cert.data(), static_cast<uint32_t>(cert.size()), c.where.c_str(), name),
              c.answer)
        << c.where;
    EXPECT_EQ(GetDravikLastError(), c.code) << c.where;
    EXPECT_EQ(std::string(name), c.name) << c.where;
  }
  std::string cert = user().certPem();
  EXPECT_EQ(CertAndPSEPrivateKeysMatchBuffer(cert.data(), 4, both.c_str(), nullptr), 0);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_NULL_PARAM);
}

}  // namespace
}  // namespace dravik_test
