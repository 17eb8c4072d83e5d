// Dialog boxes: in-memory templates, modal and modeless dialogs, the dialog manager.
//
// Templates keep the platform's binary layout, strings included: they are sequences of 16-bit
// (UTF-16) units, unlike every other wide string of this layer. Dialog units convert to pixels
// with the base units of GetDialogBaseUnits (8 x 16), or of the template's font (DS_SETFONT).
//
// A modal dialog (DialogBoxIndirectParamW) runs its own loop on the calling thread. When the
// loop starts, the desktop (desktop.h) lets a test or an answer file play the user; when
// nothing is left to do and the dialog is still open, nobody answered: the dialog is closed
// (WM_CLOSE, which the dialog manager turns into IDCANCEL), and if it still stays open it is
// ended with IDCANCEL. Nothing waits for a person.
//
// Keys in the dialog manager (IsDialogMessageW): Enter sends WM_COMMAND for the focused push
// button when it has an identifier, otherwise for the default identifier (DM_GETDEFID, IDOK);
// Escape sends IDCANCEL; Tab and Shift+Tab move the focus among WS_TABSTOP controls. A control
// whose WM_GETDLGCODE answers DLGC_WANTALLKEYS gets the key instead.
#pragma once

#include <win32/controls.h>
#include <win32/queue.h>
#include <win32/styles.h>
#include <win32/types.h>

#pragma pack(push, 2)
struct DLGTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  short x;
  short y;
  short cx;
  short cy;
};
struct DLGITEMTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  short x;
  short y;
  short cx;
  short cy;
  WORD id;
};
#pragma pack(pop)
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner,
                                DLGPROC dialogProc, LPARAM initParam);
HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner,
                                DLGPROC dialogProc, LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);
LONG GetDialogBaseUnits();
BOOL MapDialogRect(HWND dialog, LPRECT rect);

HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxCount);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
