#include "widgets/TEdit.h"

#include "widgets/Win32/TEditImpWin32.h"

namespace {

const DWORD kEditStyle = 0x50810080;  // WS_CHILD, WS_VISIBLE, WS_BORDER, WS_TABSTOP, ES_AUTOHSCROLL

}  // namespace

TEdit::TEdit() { imp = std::make_unique<TEditImpWin32>(this); }

bool TEdit::create(const std::wstring& text, int x, int y, int width, TWidget* parentWidget) {
    if (!createWindow(WC_EDITW, text, kEditStyle, x, y, width, 0, parentWidget, typeEdit)) return false;
    SetWindowPos(win32()->hwnd, nullptr, x, y, width, win32()->lineHeight(), SWP_SHOWWINDOW);
    return true;
}

bool TEdit::setText(const std::wstring& text) {
    TWidgetImpWin32* platform = win32();
    HWND window = platform ? platform->getHwnd() : nullptr;
    return window && SetWindowTextW(window, text.c_str());
}

std::wstring TEdit::getText() const {
    TWidgetImpWin32* platform = win32();
    return platform ? platform->windowText() : std::wstring();
}

int TEdit::getTextLength() const {
    TWidgetImpWin32* platform = win32();
    HWND window = platform ? platform->getHwnd() : nullptr;
    return window ? GetWindowTextLengthW(window) : 0;
}

void TEdit::setReadOnly(bool readOnly) {
    if (TWidgetImpWin32* platform = win32()) platform->send(EM_SETREADONLY, readOnly ? TRUE : FALSE);
}
