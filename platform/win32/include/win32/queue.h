// Messages and message queues.
//
// Every thread that touches a window gets its own queue. A window belongs to the thread that
// created it: SendMessageW from that thread calls the window procedure directly; from another
// thread the call is queued to the owner and delivered when the owner next looks at its queue
// (GetMessageW, PeekMessageW, its own SendMessageW, a modal loop). The sender meanwhile serves
// calls sent to itself, and gives up after the desktop's send timeout (desktop.h) with 0 and
// ERROR_TIMEOUT, so no test can hang on a thread that never pumps.
//
// GetMessageW waits at most the desktop's message-wait limit; when nothing arrives it answers
// -1 with ERROR_TIMEOUT instead of blocking for ever.
//
// WM_PAINT is produced when nothing is posted and a visible window of the thread has an
// update region; WM_TIMER when a timer is due.
#pragma once

#include <win32/types.h>
#include <win32/window.h>

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
#define SMTO_NORMAL 0x0000
#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002
// Like SendMessageW with the sender's own bound on the wait; 0 and ERROR_TIMEOUT on expiry.
LRESULT SendMessageTimeoutW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeoutMs, DWORD_PTR* result);
// hwnd NULL posts to the calling thread's queue.
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Positive for a message, 0 for WM_QUIT, -1 on failure or when the wait limit passes.
BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMessage);
// Waits (bounded by the message-wait limit) until the queue has something; FALSE on timeout.
BOOL WaitMessage();
// Posts WM_CHAR for WM_KEYDOWN of keys that make characters (US layout).
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL InSendMessage();

typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
