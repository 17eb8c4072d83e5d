// CADB_by_dir over folders and tokens, and the existence questions.
#include <algorithm>

#include "fixture.h"
#include "pki.h"

namespace dravik_test {
namespace {


int collect(const char* name, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(name);
  return 1;
}

int stopAtFirst(const char* name, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(name);
  return 0;
}

class Walks : public DravikFixture {
 protected:
  void SetUp() override {
    DravikFixture::SetUp();
    Pki& pki = Pki::get();
    writeFile(path("store/b-user.cer"), pki.user(KeyKind::Gost256).certDer());
    writeFile(path("store/a-ca.pem"), pki.ca().certPem());
    writeFile(path("store/notes.txt"), "notes");
    writeFile(path("store/user.key"), pki.user(KeyKind::Gost256).keyPem());
    writeFile(path("store/sub/c-deep.pem"), pki.user(KeyKind::Gost512).certPem());
    makeContainer(pathText("store/keys"), "", pki.user(KeyKind::Gost512).keyPem());
  }

  std::vector<std::string> walk(const std::string& where, int flags, int* result,
                                DravikWalkCallback callback = collect) {
    std::vector<std::string> names;
    *result = CADB_by_dir(where.c_str(), flags, callback, &names);
    return names;
  }

  std::vector<std::string> under(const std::string& root, std::vector<std::string> relative) {
    for (std::string& name : relative) name = root + "/" + name;
    return relative;
  }
};

TEST_F(Walks, FlagsChooseTheEntriesReported) {
  std::string root = pathText("store");
  struct Case {
    const char* what;
    int flags;
    std::vector<std::string> names;
  } cases[] = {
      {"files", DRAVIK_WALK_FILES, {"a-ca.pem", "b-user.cer", "notes.txt", "user.key"}},
      {"files, recursive",
       DRAVIK_WALK_FILES | DRAVIK_WALK_RECURSIVE,
       {"a-ca.pem", "b-user.cer", "keys/key01.key", "notes.txt", "sub/c-deep.pem", "user.key"}},
      {"entries", DRAVIK_WALK_ENTRIES, {"a-ca.pem", "b-user.cer", "keys", "notes.txt", "sub", "user.key"}},
      {"certificates, recursive",
       DRAVIK_WALK_CERTIFICATES | DRAVIK_WALK_RECURSIVE,
       {"a-ca.pem", "b-user.cer", "sub/c-deep.pem"}},
      {"containers and keys", DRAVIK_WALK_CONTAINERS, {"keys", "user.key"}},
      {"other objects", DRAVIK_WALK_OBJECTS, {"notes.txt"}},
      {"nothing selected", DRAVIK_WALK_RECURSIVE, {}},
  };
  for (const Case& c : cases) {
    int result = 0;
    EXPECT_EQ(walk(root, c.flags, &result), under(root, c.names)) << c.what;
    EXPECT_EQ(result, 1) << c.what;
  }
  int result = 0;
  EXPECT_EQ(walk(root + "/", DRAVIK_WALK_FILES, &result), under(root, {"a-ca.pem", "b-user.cer", "notes.txt", "user.key"}));
}

TEST_F(Walks, LinksAreReportedButNeverDescended) {
  std::string root = pathText("store");
  std::filesystem::create_directory_symlink(path("store"), path("store/sub/loop"));
  std::filesystem::create_symlink(path("store/a-ca.pem"), path("store/sub/linked.pem"));
  int result = 0;
  EXPECT_EQ(walk(root + "/sub", DRAVIK_WALK_ENTRIES | DRAVIK_WALK_RECURSIVE, &result),
            under(root + "/sub", {"c-deep.pem", "linked.pem", "loop"}));
  EXPECT_EQ(walk(root + "/sub", DRAVIK_WALK_CERTIFICATES, &result), under(root + "/sub", {"c-deep.pem", "linked.pem"}));
}

TEST_F(Walks, StopsWhenAskedAndFailsOnWhatIsNoFolder) {
  int result = 0;
  EXPECT_EQ(walk(pathText("store"), DRAVIK_WALK_FILES, &result, stopAtFirst).size(), 1u);
  EXPECT_EQ(result, 1);
  for (const std::string& where : {pathText("missing"), pathText("store/notes.txt")}) {
    EXPECT_TRUE(walk(where, DRAVIK_WALK_FILES, &result).empty()) << where;
    EXPECT_EQ(result, 0) << where;
    EXPECT_EQ(GetDravikLastError(), DRAVIK_E_READ_INPUT) << where;
  }
}

TEST_F(Walks, TokenWalksUseDevicePathsAndHideTheDescriptions) {
  ASSERT_EQ(DravikTest_InsertToken("pkcs113:\\smarttoken", "Smart", "1", "Slot", ""), 0);
  makeContainer("pkcs113:\\smarttoken\\box", "", Pki::get().user(KeyKind::Gost256).keyPem());
  writeFile(path("store/user.pem"), Pki::get().user(KeyKind::Gost256).certPem());
  Prompts::pins = {};
  ASSERT_EQ(CopyCertificate(pathText("store/user.pem").c_str(), "pkcs113:\\smarttoken", 0), 0);
  std::string fingerprint = takeText(GetCertFingerprintBuffer(Pki::get().user(KeyKind::Gost256).certDer().data(),
                                                              static_cast<uint32_t>(
                                                                  Pki::get().user(KeyKind::Gost256).certDer().size())));
  int result = 0;
  std::vector<std::string> expected = {"pkcs113:\\smarttoken\\" + fingerprint + ".cer", "pkcs113:\\smarttoken\\box",
                                       "pkcs113:\\smarttoken\\box\\key01.key"};
  std::vector<std::string> names = walk("pkcs113:\\smarttoken", DRAVIK_WALK_ENTRIES | DRAVIK_WALK_RECURSIVE, &result);
  std::sort(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
  EXPECT_EQ(walk("pkcs113:\\smarttoken", DRAVIK_WALK_CONTAINERS | DRAVIK_WALK_RECURSIVE, &result),
            (std::vector<std::string>{"pkcs113:\\smarttoken\\box", "pkcs113:\\smarttoken\\box\\key01.key"}));
  EXPECT_EQ(walk("pkcs113:\\smarttoken\\box", DRAVIK_WALK_ENTRIES, &result),
            (std::vector<std::string>{"pkcs113:\\smarttoken\\box\\key01.key"}));

  // An absent token is asked for; giving up ends the walk with 184.
  ASSERT_EQ(DravikTest_RemoveToken("pkcs113:\\smarttoken"), 0);
  EXPECT_TRUE(walk("pkcs113:\\smarttoken", DRAVIK_WALK_ENTRIES, &result).empty());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_ABORTED);
  EXPECT_EQ(Prompts::count("device:pkcs113:\\smarttoken:"), 1);
}

TEST_F(Walks, ExistenceQuestionsAskForNothing) {
  ASSERT_EQ(DravikTest_InsertToken("etoken1:", "T", "1", "S", ""), 0);
  makeContainer("etoken1:\\box", "", Pki::get().user(KeyKind::Gost256).keyPem());
  struct Case {
    std::string path;
    int isDir;
    int exists;
  } cases[] = {
      {pathText("store"), 1, 1},
      {pathText("store/notes.txt"), 0, 1},
      {pathText("store/none"), 0, 0},
      {"etoken1:", 1, 1},
      {"etoken1:\\box", 1, 1},
      {"etoken1:\\box\\key01.key", 0, 1},
      {"etoken1:\\none", 0, 0},
      {"etoken7:", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CADB_is_dir(c.path.c_str()), c.isDir) << c.path;
    EXPECT_EQ(FileExists(c.path.c_str()), c.exists) << c.path;
  }
  ASSERT_EQ(DravikTest_RemoveToken("etoken1:"), 0);
  EXPECT_EQ(FileExists("etoken1:\\box"), 0);
  EXPECT_EQ(CADB_is_dir("etoken1:"), 0);
  EXPECT_TRUE(Prompts::log.empty());
}

}  // namespace
}  // namespace dravik_test
