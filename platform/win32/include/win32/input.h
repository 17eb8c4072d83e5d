// Keyboard state, focus, activation and the cursor.
//
// The keyboard state is process-wide and changes only through the desktop (desktop.h): a test
// or an answer file holds keys down, or the desktop presses them while playing the user.
#pragma once

#include <win32/keys.h>
#include <win32/types.h>

// High bit set while the key is down, low bit for the toggle state.
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);

// Focus is per thread; SetFocus sends WM_KILLFOCUS and WM_SETFOCUS and answers the previous
// focus. A window of another thread cannot take the focus (NULL, ERROR_ACCESS_DENIED).
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);
// The foreground window is process-wide; a modal dialog takes it while it runs.
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
// Headless: answers TRUE for a live window (or NULL) and records the call.
BOOL LockWindowUpdate(HWND hwnd);

#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_HAND MAKEINTRESOURCEW(32649)
// System cursors only (instance NULL); anything else fails with ERROR_RESOURCE_NAME_NOT_FOUND.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
