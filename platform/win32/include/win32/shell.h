// The shell's folder chooser and item identifier lists.
//
// Headless as the file choosers (commdlg.h): the desktop asks a test or an answer file. The
// callback gets BFFM_INITIALIZED with the chooser window, which answers BFFM_SETSELECTIONW and
// BFFM_SETEXPANDED by taking the path as the chooser's starting folder.
// An item identifier list returned here holds a path; free it with ILFree (or CoTaskMemFree,
// which releases the same std::malloc allocation).
#pragma once

#include <win32/messages.h>
#include <win32/types.h>

struct ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* LPCITEMIDLIST;

typedef int(CALLBACK* BFFCALLBACK)(HWND, UINT, LPARAM, LPARAM);
struct BROWSEINFOW {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;
  LPWSTR pszDisplayName;
  LPCWSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
typedef BROWSEINFOW* LPBROWSEINFOW;

#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_DONTGOBELOWDOMAIN 0x00000002
#define BIF_STATUSTEXT 0x00000004
#define BIF_EDITBOX 0x00000010
#define BIF_NEWDIALOGSTYLE 0x00000040
#define BIF_BROWSEINCLUDEFILES 0x00004000

#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_SETSELECTIONW (WM_USER + 103)
#define BFFM_SETEXPANDED (WM_USER + 106)

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info);
// Copies the path (at most MAX_PATH characters with its NUL) into path.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path);
void ILFree(LPITEMIDLIST list);
