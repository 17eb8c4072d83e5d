// The temporary folder and unique temporary files.
#include <win32/kernel.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string narrow(const std::wstring& wide) { return std::filesystem::path(wide).string(); }

class TempFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    saved_ = old ? old : "";
    had_ = old != nullptr;
    folder_ = std::filesystem::temp_directory_path() / ("win32-temp-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    ::setenv("TMPDIR", folder_.c_str(), 1);
  }
  void TearDown() override {
    if (had_)
      ::setenv("TMPDIR", saved_.c_str(), 1);
    else
      ::unsetenv("TMPDIR");
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_;
  std::string saved_;
  bool had_ = false;
};

TEST_F(TempFiles, FolderFromTheEnvironmentWithItsSeparator) {
  wchar_t buffer[MAX_PATH];
  const std::string expected = folder_.string() + "/";
  EXPECT_EQ(expected.size(), GetTempPathW(MAX_PATH, buffer));
  EXPECT_EQ(expected, narrow(buffer));
  EXPECT_EQ(expected.size() + 1, GetTempPathW(2, buffer));  // too small: the size needed

  ::unsetenv("TMPDIR");
  GetTempPathW(MAX_PATH, buffer);
  EXPECT_EQ("/tmp/", narrow(buffer));
}

TEST_F(TempFiles, EachCallCreatesAnotherPrivateFile) {
  wchar_t first[MAX_PATH];
  wchar_t second[MAX_PATH];
  const std::wstring folder = folder_.wstring() + L"/";
  const UINT a = GetTempFileNameW(folder.c_str(), L"", 0, first);
  const UINT b = GetTempFileNameW(folder.c_str(), L"", 0, second);
  ASSERT_NE(0u, a);
  ASSERT_NE(0u, b);
  EXPECT_NE(narrow(first), narrow(second));
  for (const wchar_t* name : {first, second}) {
    struct stat info {};
    ASSERT_EQ(0, ::stat(narrow(name).c_str(), &info)) << narrow(name);
    EXPECT_EQ(0, info.st_size);
    EXPECT_EQ(0600u, info.st_mode & 0777u);
    EXPECT_EQ(".TMP", narrow(name).substr(narrow(name).size() - 4));
  }
}

TEST_F(TempFiles, GivenNumberOnlyNamesAndFailuresAreReported) {
  wchar_t name[MAX_PATH];
  EXPECT_EQ(0x1A2Bu, GetTempFileNameW(L"/x/y", L"prefix", 0x1A2B, name));
  EXPECT_EQ("/x/y/pre1A2B.TMP", narrow(name));
  EXPECT_FALSE(std::filesystem::exists("/x/y/pre1A2B.TMP"));

  EXPECT_EQ(0u, GetTempFileNameW(L"/no/such/folder", L"", 0, name));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(0u, GetTempFileNameW(std::wstring(300, L'a').c_str(), L"", 0, name));
  EXPECT_EQ(static_cast<DWORD>(ERROR_BUFFER_OVERFLOW), GetLastError());
  EXPECT_EQ(0u, GetTempFileNameW(nullptr, L"", 0, name));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

}  // namespace
