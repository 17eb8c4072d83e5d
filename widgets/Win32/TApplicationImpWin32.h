#pragma once
// The Win32 application: the module handle, the "widgetsLib" window class
// and a message loop. The dialogs use the dialog manager's own loop; the
// class and the loop are here for windows of the toolkit's own class.

#include "widgets/TApplicationImp.h"

#include <win32/windows.h>

class TApplicationImpWin32 : public TApplicationImp {
public:
    // Takes the process's module handle.
    TApplicationImpWin32();

    // Registers "widgetsLib" with the toolkit's window procedure.
    bool registerClass() override;
    // Dispatches messages until WM_QUIT (or a failed read) and answers the
    // last message's wParam; thread messages (no window) are skipped.
    int run() override;

    HINSTANCE instance;
};
