#include "widgets/Win32/TFileSystemManagerDialogWin32.h"

#include "widgets/WideText.h"

#include <boost/filesystem.hpp>

namespace {

// BIF_RETURNONLYFSDIRS, BIF_DONTGOBELOWDOMAIN, BIF_NEWDIALOGSTYLE
const UINT kFolderFlags = 0x43;
// Room for any path of the host, not only the 260 characters of the platform's own limit.
const DWORD kPathBuffer = 4096;

void makeTopmost(HWND window) {
    if (window) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// Releases the shell's item list on every path.
struct ItemList {
    PIDLIST_ABSOLUTE list;
    ~ItemList() {
        if (list) ILFree(list);
    }
};

}  // namespace

TFileSystemManagerDialogWin32::TFileSystemManagerDialogWin32() = default;

TFileSystemManagerDialogWin32::~TFileSystemManagerDialogWin32() = default;

bool TFileSystemManagerDialogWin32::show() {
    HWND owner = GetForegroundWindow();
    return folderMode ? browseFolder(owner) : openFile(owner);
}

bool TFileSystemManagerDialogWin32::browseFolder(HWND owner) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.empty() ? nullptr : title.c_str();
    info.ulFlags = kFolderFlags;
    info.lpfn = &TFileSystemManagerDialogWin32::browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(initialDir.c_str());
    ItemList chosen{SHBrowseForFolderW(&info)};
    if (!chosen.list) return false;
    wchar_t buffer[MAX_PATH];
    if (!SHGetPathFromIDListW(chosen.list, buffer)) return false;
    path = buffer;
    return true;
}

bool TFileSystemManagerDialogWin32::openFile(HWND owner) {
    std::wstring file(kPathBuffer, L'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filterString.c_str();
    request.nFilterIndex = customFilterSelected ? 2 : 1;
    request.lpstrFile = &file[0];
    request.nMaxFile = kPathBuffer;
    request.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    request.lpstrTitle = title.empty() ? nullptr : title.c_str();
    request.Flags = OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
    if (openMode) request.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    request.lpfnHook = &TFileSystemManagerDialogWin32::openHook;
    if (GetOpenFileNameW(&request) != TRUE) return false;
    path = file.c_str();
    return true;
}

void TFileSystemManagerDialogWin32::setFileFilter(const std::wstring& description,
                                                  const std::vector<std::wstring>& patterns) {
    filterString = std::wstring(L"All (*.*)") + L'\0' + L"*.*" + L'\0';
    customFilterSelected = false;
    if (description.empty() || patterns.empty()) return;
    std::wstring list;
    for (const std::wstring& pattern : patterns) list += L"*." + pattern + L";";
    filterString += description + L" (" + list + L")" + L'\0' + list + L'\0';
    customFilterSelected = true;
}

void TFileSystemManagerDialogWin32::setPath(const std::wstring& value) {
    if (value.empty()) return;
    path = value;
    boost::system::error_code error;
    boost::filesystem::path folder = boost::filesystem::path(utf8FromWide(value)).parent_path();
    if (!folder.empty() && boost::filesystem::exists(folder, error)) initialDir = wideFromUtf8(folder.string());
}

void TFileSystemManagerDialogWin32::setTitle(const std::wstring& value) {
    if (!value.empty()) title = value;
}

int CALLBACK TFileSystemManagerDialogWin32::browseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        makeTopmost(window);
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
        SendMessageW(window, BFFM_SETEXPANDED, TRUE, data);
    }
    return 0;
}

UINT_PTR CALLBACK TFileSystemManagerDialogWin32::openHook(HWND window, UINT message, WPARAM, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (message == WM_NOTIFY && header && header->code == CDN_INITDONE) makeTopmost(GetParent(window));
    return 0;
}
