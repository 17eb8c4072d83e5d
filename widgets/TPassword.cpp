#include "widgets/TPassword.h"

#include "widgets/Win32/TPasswordImpWin32.h"

namespace {

// WS_CHILD, WS_VISIBLE, WS_BORDER, WS_TABSTOP, ES_AUTOHSCROLL, ES_PASSWORD
const DWORD kPasswordStyle = 0x508100A0;

}  // namespace

TPassword::TPassword() { imp = std::make_unique<TPasswordImpWin32>(this); }

bool TPassword::create(const std::wstring& text, int x, int y, int width, TWidget* parentWidget) {
    if (!createWindow(WC_EDITW, text, kPasswordStyle, x, y, width, 0, parentWidget, typePassword)) return false;
    SetWindowPos(win32()->hwnd, nullptr, x, y, width, win32()->lineHeight(), SWP_SHOWWINDOW);
    return true;
}

bool TPassword::setMaxLength(int length) {
    TWidgetImpWin32* platform = win32();
    if (!platform || !platform->getHwnd() || length < 0) return false;
    platform->send(EM_LIMITTEXT, static_cast<WPARAM>(length));
    return true;
}

bool TPassword::setMaxBytes(int bytes) {
    auto* platform = dynamic_cast<TPasswordImpWin32*>(imp.get());
    if (!platform || bytes < 0) return false;
    platform->maxBytes = static_cast<std::size_t>(bytes);
    return true;
}

std::wstring TPassword::getText() const {
    TWidgetImpWin32* platform = win32();
    return platform ? platform->windowText() : std::wstring();
}

int TPassword::getTextLength() const {
    TWidgetImpWin32* platform = win32();
    HWND window = platform ? platform->getHwnd() : nullptr;
    return window ? GetWindowTextLengthW(window) : 0;
}
