// The system file and folder choosers, answered through the desktop.
#include "DesktopFixture.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using win32::desktop::ModalKind;
using win32::desktop::User;
using win32test::DesktopTest;

// A scratch folder with one file, removed afterwards.
class Choosers : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    char pattern[] = "/tmp/win32-chooser-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    folder_ = pattern;
    file_ = folder_ + "/existing.cer";
    std::FILE* out = std::fopen(file_.c_str(), "w");
    ASSERT_NE(nullptr, out);
    std::fclose(out);
  }
  void TearDown() override {
    std::remove(file_.c_str());
    rmdir(folder_.c_str());
    DesktopTest::TearDown();
  }
  static std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

  std::string folder_;
  std::string file_;
};

struct FileCase {
  const char* name;
  bool save;
  DWORD flags;
  const char* answer;  // relative to the scratch folder; null: nobody answers
  bool accepted;
};

class FileChoosers : public Choosers, public ::testing::WithParamInterface<FileCase> {};

TEST_P(FileChoosers, ChosenOrCancelled) {
  const FileCase& c = GetParam();
  std::wstring answer = c.answer ? wide(folder_ + "/" + c.answer) : std::wstring();
  bool chooseAnswered = false;
  win32::desktop::Handler handler;
  if (c.answer)
    handler = [&](User& user) {
      EXPECT_EQ(c.save ? ModalKind::SaveFile : ModalKind::OpenFile, user.kind());
      chooseAnswered = user.choose(answer);
    };
  win32::desktop::ScopedHandler scoped(handler);
  wchar_t path[MAX_PATH] = L"";
  wchar_t title[MAX_PATH] = L"";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = OPENFILENAMEW_SIZE_32BIT;
  ofn.lpstrFilter = L"All (*.*)\0*.*\0Certificates (*.cer;*.crt;)\0*.cer;*.crt;\0";
  ofn.nFilterIndex = 2;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = MAX_PATH;
  ofn.Flags = c.flags;
  BOOL result = c.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  EXPECT_EQ(c.accepted, result != 0);
  EXPECT_EQ(c.accepted, chooseAnswered);
  EXPECT_EQ(0u, CommDlgExtendedError());
  if (c.accepted) {
    EXPECT_EQ(answer, path);
    EXPECT_EQ(wide(c.answer), title);
    EXPECT_EQ(folder_.size() + 1, ofn.nFileOffset);
    EXPECT_EQ(L'c', path[ofn.nFileExtension]);
  } else {
    EXPECT_EQ(std::wstring(), path);
  }
}

const DWORD kOpenFlags = 0xA1824;  // with the must-exist checks
const DWORD kSaveFlags = 0xA0024;

INSTANTIATE_TEST_SUITE_P(
    Answers, FileChoosers,
    ::testing::Values(FileCase{"open_existing", false, kOpenFlags, "existing.cer", true},
                      FileCase{"open_missing_refused", false, kOpenFlags, "missing.cer", false},
                      FileCase{"save_new_name", true, kSaveFlags, "new.cer", true},
                      FileCase{"open_chooser_for_saving", false, kSaveFlags, "new.cer", true},
                      FileCase{"save_in_missing_folder", true, kSaveFlags | OFN_PATHMUSTEXIST, "nowhere/new.cer", false},
                      FileCase{"nobody_answers", false, kOpenFlags, nullptr, false}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return info.param.name; });

HWND hookParent = nullptr;
UINT_PTR CALLBACK openHook(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_INITDONE) {
    hookParent = GetParent(hwnd);
    SetWindowPos(hookParent, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  return 0;
}

TEST_F(Choosers, HookSeesTheChooserAndTheRequestIsHandedOn) {
  hookParent = nullptr;
  win32::desktop::ChooserRequest seen;
  bool topmost = false;
  win32::desktop::ScopedHandler handler([&](User& user) {
    seen = user.request();
    topmost = (GetWindowLongW(user.window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    EXPECT_EQ(hookParent, user.window());
    user.cancel();
  });
  wchar_t path[MAX_PATH] = L"start.cer";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFilter = L"All (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = L"/tmp";
  ofn.lpstrTitle = L"Open certificate";
  ofn.Flags = kOpenFlags;
  ofn.lpfnHook = openHook;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(0u, CommDlgExtendedError());
  EXPECT_NE(nullptr, hookParent);
  EXPECT_TRUE(topmost);
  EXPECT_EQ(L"Open certificate", seen.title);
  EXPECT_EQ(L"/tmp", seen.initialDir);
  EXPECT_EQ(L"start.cer", seen.initialPath);
  ASSERT_EQ(1u, seen.filters.size());
  EXPECT_EQ(L"*.*", seen.filters[0].second);
  EXPECT_EQ(1u, journalCount("GetOpenFileNameW.cancel"));
}

TEST_F(Choosers, TooSmallBufferFails) {
  win32::desktop::ScopedHandler handler([&](User& user) { user.choose(wide(file_)); });
  wchar_t path[4] = L"";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = path;
  ofn.nMaxFile = 4;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(static_cast<DWORD>(FNERR_BUFFERTOOSMALL), CommDlgExtendedError());
  ofn.lStructSize = 10;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(static_cast<DWORD>(CDERR_STRUCTSIZE), CommDlgExtendedError());
}

int CALLBACK browseCallback(HWND hwnd, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    SendMessageW(hwnd, BFFM_SETEXPANDED, TRUE, data);
  }
  return 0;
}

struct FolderCase {
  const char* name;
  bool answer;
  bool useFile;  // answer with the file instead of the folder
  bool chosen;
};

class FolderChooser : public Choosers, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FolderChooser, ChoosesExistingFoldersOnly) {
  const FolderCase& c = GetParam();
  std::wstring start = wide(folder_);
  std::wstring initial;
  win32::desktop::Handler handler;
  if (c.answer)
    handler = [&](User& user) {
      EXPECT_EQ(ModalKind::Folder, user.kind());
      initial = user.request().initialPath;
      user.choose(c.useFile ? wide(file_) : initial);
    };
  win32::desktop::ScopedHandler scoped(handler);
  wchar_t display[MAX_PATH] = L"";
  BROWSEINFOW info{};
  info.pszDisplayName = display;
  info.lpszTitle = L"Choose a folder";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE;
  info.lpfn = browseCallback;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
  EXPECT_EQ(c.chosen, list != nullptr);
  if (c.answer) {
    EXPECT_EQ(start, initial);
  }
  if (list) {
    wchar_t path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(list, path));
    EXPECT_EQ(start, path);
    EXPECT_EQ(start.substr(start.rfind(L'/') + 1), display);
    ILFree(list);
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, FolderChooser,
                         ::testing::Values(FolderCase{"initial_folder", true, false, true},
                                           FolderCase{"a_file_is_refused", true, true, false},
                                           FolderCase{"nobody_answers", false, false, false}),
                         [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

}  // namespace
