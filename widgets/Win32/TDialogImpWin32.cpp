#include "widgets/Win32/TDialogImpWin32.h"

#include "widgets/TApplication.h"
#include "widgets/TWidget.h"

#include <cstring>

namespace {

// WS_POPUP, WS_VISIBLE, WS_CAPTION, DS_CENTER: no system menu, no font of its own.
const DWORD kDialogStyle = 0x90C00800;

// A DLGTEMPLATE followed by empty menu, class and title: 24 bytes.
#pragma pack(push, 2)
struct EmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};
#pragma pack(pop)
static_assert(sizeof(EmptyDialogTemplate) == 24, "the template's binary layout");

}  // namespace

bool TDialogImpWin32::setClientSize(int width, int height) {
    HWND window = getHwnd();
    RECT outer;
    RECT client;
    if (!window || !GetWindowRect(window, &outer) || !GetClientRect(window, &client)) return false;
    int frameWidth = (outer.right - outer.left) - (client.right - client.left);
    int frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
    return SetWindowPos(window, nullptr, 0, 0, frameWidth + width, frameHeight + height,
                        SWP_NOMOVE | SWP_SHOWWINDOW) != FALSE;
}

bool TDialogImpWin32::close() {
    HWND window = getHwnd();
    return window && EndDialog(window, 0);
}

bool TDialogImpWin32::endDialog(int result) {
    HWND window = getHwnd();
    return window && EndDialog(window, result);
}

INT_PTR TDialogImpWin32::showModal(const wchar_t* title, int x, int y, int width, int height,
                                   TWidget* parentWidget) {
    HWND owner = nullptr;
    if (parentWidget) {
        TWidgetImpWin32* parentImp = parentWidget->win32();
        owner = parentImp ? parentImp->getHwnd() : nullptr;
    } else {
        owner = GetForegroundWindow();
    }
    parentHwnd = owner;
    if (title) text = title;
    return runModal(x, y, width, height, owner, reinterpret_cast<LPARAM>(static_cast<TWidgetImp*>(this)));
}

INT_PTR TDialogImpWin32::runModal(int x, int y, int width, int height, HWND owner, LPARAM initParam) {
    LONG units = GetDialogBaseUnits();
    int baseWidth = LOWORD(units);
    int baseHeight = HIWORD(units);
    EmptyDialogTemplate dialogTemplate{};
    dialogTemplate.header.style = kDialogStyle;
    dialogTemplate.header.dwExtendedStyle = WS_EX_TOPMOST;
    dialogTemplate.header.cdit = 0;
    dialogTemplate.header.x = static_cast<short>(MulDiv(x, 4, baseWidth));
    dialogTemplate.header.y = static_cast<short>(MulDiv(y, 8, baseHeight));
    dialogTemplate.header.cx = static_cast<short>(MulDiv(width, 4, baseWidth));
    dialogTemplate.header.cy = static_cast<short>(MulDiv(height, 8, baseHeight));
    return DialogBoxIndirectParamW(TApplication::moduleHandle(), &dialogTemplate.header, owner,
                                   &TWidgetImpWin32::windowProc, initParam);
}
