#include "widgets/TButton.h"

#include "widgets/Win32/TButtonImpWin32.h"

namespace {

const DWORD kPushButtonStyle = 0x50810000;  // WS_CHILD, WS_VISIBLE, WS_BORDER, WS_TABSTOP
const DWORD kCheckBoxStyle = 0x50010002;    // WS_CHILD, WS_VISIBLE, WS_TABSTOP, BS_CHECKBOX

int characters(const std::wstring& text) { return static_cast<int>(text.size()); }

}  // namespace

TButton::TButton() { imp = std::make_unique<TButtonImpWin32>(this); }

TButtonImpWin32* TButton::buttonImp() const { return dynamic_cast<TButtonImpWin32*>(imp.get()); }

bool TButton::create(const std::wstring& text, int x, int y, int width, int height, TWidget* parentWidget) {
    if (!createWindow(WC_BUTTONW, text, kPushButtonStyle, x, y, width, height, parentWidget, typePushButton))
        return false;
    if (width != 0 && height != 0) return true;
    TEXTMETRICW metrics;
    if (!win32()->textMetrics(metrics)) return true;
    if (width == 0) width = (characters(text) + 4) * metrics.tmAveCharWidth;
    if (height == 0) height = (metrics.tmHeight + 5) / 10 * 10;
    SetWindowPos(win32()->hwnd, nullptr, x, y, width, height, SWP_SHOWWINDOW);
    return true;
}

bool TButton::createCheckBox(const std::wstring& text, int x, int y, TWidget* parentWidget) {
    if (!createWindow(WC_BUTTONW, text, kCheckBoxStyle, x, y, 0, 0, parentWidget, typeCheckBox)) return false;
    TEXTMETRICW metrics;
    if (!win32()->textMetrics(metrics)) return true;
    SetWindowPos(win32()->hwnd, nullptr, x, y, (characters(text) + 7) * metrics.tmAveCharWidth,
                 (metrics.tmHeight + 5) / 10 * 10, SWP_SHOWWINDOW);
    return true;
}

int TButton::isChecked() const {
    TButtonImpWin32* platform = buttonImp();
    return platform ? platform->getCheck() : 0;
}
