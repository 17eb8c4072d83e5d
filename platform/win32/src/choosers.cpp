// The system file and folder choosers, answered through the desktop.
#include "modal.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

using namespace win32::detail;
using win32::desktop::ModalKind;
using win32::desktop::ModalState;
using win32::desktop::record;

struct ITEMIDLIST {
  uint32_t magic;
  wchar_t path[1];
};

namespace {

const uint32_t kIdListMagic = 0x50494431;  // "PID1"
thread_local DWORD commonDialogError = 0;

struct ChooserState : ControlState {
  std::wstring selection;
};

bool isDirectory(const std::wstring& path) {
  struct stat info;
  return !path.empty() && stat(toUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::wstring& path) {
  struct stat info;
  return !path.empty() && stat(toUtf8(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

size_t nameStart(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? 0 : slash + 1;
}

std::wstring parentOf(const std::wstring& path) {
  size_t start = nameStart(path);
  if (start == 0) return L".";
  return start == 1 ? path.substr(0, 1) : path.substr(0, start - 1);
}

// The window that stands for the chooser while the desktop answers it; the owner is disabled
// meanwhile, as under any modal window.
class ChooserWindow {
 public:
  ChooserWindow(HWND owner, const std::wstring& title) : owner_(owner ? GetAncestor(owner, GA_ROOT) : nullptr) {
    hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770Chooser", title.c_str(),
                            WS_POPUP | WS_CAPTION | WS_VISIBLE, 560, 240, 800, 600, owner_, nullptr,
                            nullptr, nullptr);
    disabledOwner_ = owner_ && IsWindowEnabled(owner_);
    if (disabledOwner_) EnableWindow(owner_, FALSE);
    auto queue = currentQueue();
    Guard guard(desktopMutex());
    depth_ = ++queue->modalDepth;
  }
  ~ChooserWindow() {
    {
      auto queue = currentQueue();
      Guard guard(desktopMutex());
      --queue->modalDepth;
    }
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (disabledOwner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
  }
  ChooserWindow(const ChooserWindow&) = delete;
  ChooserWindow& operator=(const ChooserWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  int depth() const { return depth_; }
  std::wstring selection() const {
    auto state = controlState<ChooserState>(hwnd_);
    return state ? state->selection : std::wstring();
  }

 private:
  HWND owner_;
  HWND hwnd_ = nullptr;
  bool disabledOwner_ = false;
  int depth_ = 1;
};

std::vector<std::pair<std::wstring, std::wstring>> parseFilter(LPCWSTR filter) {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  if (!filter) return pairs;
  for (const wchar_t* at = filter; *at;) {
    std::wstring description = at;
    at += description.size() + 1;
    if (!*at) break;
    std::wstring patterns = at;
    at += patterns.size() + 1;
    pairs.emplace_back(description, patterns);
  }
  return pairs;
}

BOOL runFileChooser(LPOPENFILENAMEW ofn, bool save) {
  commonDialogError = 0;
  const char* api = save ? "GetSaveFileNameW" : "GetOpenFileNameW";
  if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEW) && ofn->lStructSize != OPENFILENAMEW_SIZE_32BIT)) {
    commonDialogError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
    commonDialogError = CDERR_INITIALIZATION;
    return FALSE;
  }
  ModalState modal;
  modal.kind = save ? ModalKind::SaveFile : ModalKind::OpenFile;
  auto& request = modal.request;
  request.kind = modal.kind;
  request.owner = ofn->hwndOwner;
  request.title = ofn->lpstrTitle ? ofn->lpstrTitle : (save ? L"Save As" : L"Open");
  request.initialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : L"";
  request.initialPath = std::wstring(ofn->lpstrFile, wcsnlen(ofn->lpstrFile, ofn->nMaxFile));
  request.filters = parseFilter(ofn->lpstrFilter);
  request.filterIndex = static_cast<int>(ofn->nFilterIndex);
  request.flags = ofn->Flags;
  DWORD flags = ofn->Flags;
  modal.validate = [flags](const std::wstring& path) -> std::string {
    if (path.empty()) return "no file name";
    if ((flags & OFN_FILEMUSTEXIST) && !isFile(path)) return "the file must exist";
    if ((flags & OFN_PATHMUSTEXIST) && !isDirectory(parentOf(path))) return "the folder must exist";
    if (isDirectory(path)) return "a folder is not a file";
    return std::string();
  };
  record(api, toUtf8(request.title) + " flags " + std::to_string(flags));
  ChooserWindow chooser(ofn->hwndOwner, request.title);
  modal.window = chooser.hwnd();
  modal.depth = chooser.depth();
  if ((flags & OFN_ENABLEHOOK) && ofn->lpfnHook && chooser.hwnd()) {
    // The hook lives in a child dialog of the chooser, as with the explorer-style chooser.
    HWND child = CreateWindowExW(0, L"#32770", L"", WS_CHILD, 0, 0, 0, 0, chooser.hwnd(), nullptr,
                                 nullptr, nullptr);
    ofn->lpfnHook(child, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(ofn));
    OFNOTIFYW note{};
    note.hdr.hwndFrom = chooser.hwnd();
    note.hdr.code = CDN_INITDONE;
    note.lpOFN = ofn;
    ofn->lpfnHook(child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
  }
  playUser(modal);
  if (!modal.chosen) {
    record(std::string(api) + ".cancel", toUtf8(request.title));
    return FALSE;
  }
  const std::wstring& path = modal.choice;
  if (path.size() + 1 > ofn->nMaxFile) {
    commonDialogError = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::copy(path.begin(), path.end(), ofn->lpstrFile);
  ofn->lpstrFile[path.size()] = L'\0';
  size_t name = nameStart(path);
  size_t dot = path.find_last_of(L'.');
  ofn->nFileOffset = static_cast<WORD>(std::min<size_t>(name, 0xFFFF));
  ofn->nFileExtension = static_cast<WORD>(dot != std::wstring::npos && dot >= name ? std::min<size_t>(dot + 1, 0xFFFF) : 0);
  if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
    std::wstring title = path.substr(name);
    size_t n = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
    std::copy_n(title.data(), n, ofn->lpstrFileTitle);
    ofn->lpstrFileTitle[n] = L'\0';
  }
  record(std::string(api) + ".chosen", toUtf8(path));
  return TRUE;
}

}  // namespace

namespace win32 {
namespace detail {

LRESULT CALLBACK chooserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) attachControl<ChooserState>(hwnd);
  auto chooser = controlState<ChooserState>(hwnd);
  if (chooser && (message == BFFM_SETSELECTIONW || message == BFFM_SETEXPANDED)) {
    if (wParam && lParam) {
      chooser->selection = reinterpret_cast<LPCWSTR>(lParam);
    } else if (lParam) {
      auto* list = reinterpret_cast<const ITEMIDLIST*>(lParam);
      if (list->magic == kIdListMagic) chooser->selection = list->path;
    }
    record(message == BFFM_SETSELECTIONW ? "BFFM_SETSELECTIONW" : "BFFM_SETEXPANDED",
           toUtf8(chooser->selection));
    return 0;
  }
  return DefDlgProcW(hwnd, message, wParam, lParam);
}

}  // namespace detail
}  // namespace win32

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn) { return runFileChooser(ofn, false); }

BOOL GetSaveFileNameW(LPOPENFILENAMEW ofn) { return runFileChooser(ofn, true); }

DWORD CommDlgExtendedError() { return commonDialogError; }

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info) {
  if (!info) return nullptr;
  ModalState modal;
  modal.kind = ModalKind::Folder;
  auto& request = modal.request;
  request.kind = ModalKind::Folder;
  request.owner = info->hwndOwner;
  request.title = info->lpszTitle ? info->lpszTitle : L"";
  request.flags = info->ulFlags;
  bool files = (info->ulFlags & BIF_BROWSEINCLUDEFILES) != 0;
  modal.validate = [files](const std::wstring& path) -> std::string {
    if (isDirectory(path) || (files && isFile(path))) return std::string();
    return "not an existing folder";
  };
  record("SHBrowseForFolderW", toUtf8(request.title) + " flags " + std::to_string(info->ulFlags));
  ChooserWindow chooser(info->hwndOwner, request.title.empty() ? L"Browse For Folder" : request.title);
  modal.window = chooser.hwnd();
  modal.depth = chooser.depth();
  if (info->lpfn && chooser.hwnd()) info->lpfn(chooser.hwnd(), BFFM_INITIALIZED, 0, info->lParam);
  request.initialPath = request.initialDir = chooser.selection();
  playUser(modal);
  if (!modal.chosen) {
    record("SHBrowseForFolderW.cancel", toUtf8(request.title));
    return nullptr;
  }
  const std::wstring& path = modal.choice;
  size_t bytes = sizeof(ITEMIDLIST) + path.size() * sizeof(wchar_t);
  auto* list = static_cast<ITEMIDLIST*>(std::calloc(1, bytes));
  if (!list) return nullptr;
  list->magic = kIdListMagic;
  std::copy(path.begin(), path.end(), list->path);
  list->path[path.size()] = L'\0';
  if (info->pszDisplayName) {
    std::wstring name = path.substr(nameStart(path));
    size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
    std::copy_n(name.data(), n, info->pszDisplayName);
    info->pszDisplayName[n] = L'\0';
  }
  record("SHBrowseForFolderW.chosen", toUtf8(path));
  return list;
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path) {
  if (!list || !path || list->magic != kIdListMagic) return FALSE;
  size_t length = std::wcslen(list->path);
  if (length >= MAX_PATH) {
    path[0] = L'\0';
    return FALSE;
  }
  std::copy_n(list->path, length + 1, path);
  return TRUE;
}

void ILFree(LPITEMIDLIST list) { std::free(list); }
