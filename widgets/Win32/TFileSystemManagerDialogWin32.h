#pragma once
// The system's folder chooser (SHBrowseForFolderW) and file chooser
// (GetOpenFileNameW, for saving too, without the must-exist checks), made
// topmost over the page.

#include <win32/windows.h>

#include <string>
#include <vector>

class TFileSystemManagerDialogWin32 {
public:
    TFileSystemManagerDialogWin32();
    virtual ~TFileSystemManagerDialogWin32();
    TFileSystemManagerDialogWin32(const TFileSystemManagerDialogWin32&) = delete;
    TFileSystemManagerDialogWin32& operator=(const TFileSystemManagerDialogWin32&) = delete;

    // Owned by the foreground window.
    bool show();
    bool browseFolder(HWND owner);
    bool openFile(HWND owner);
    // "All (*.*)" always; "description (*.a;*.b;)" too, preselected, when
    // both a description and patterns are given.
    void setFileFilter(const std::wstring& description, const std::vector<std::wstring>& patterns);
    // The path is kept; its folder, when it exists, is where the chooser opens.
    void setPath(const std::wstring& value);
    void setTitle(const std::wstring& value);
    void setOpenMode(bool value) { openMode = value; }
    void setFolderMode(bool value) { folderMode = value; }

    static int CALLBACK browseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
    static UINT_PTR CALLBACK openHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring initialDir;
    std::wstring path;
    std::wstring title;
    bool folderMode = false;
    bool openMode = true;
    bool customFilterSelected = false;
    // Description and pattern texts, each ended by a NUL; the string's own
    // terminating NUL ends the list.
    std::wstring filterString;
};
