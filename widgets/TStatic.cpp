#include "widgets/TStatic.h"

#include "widgets/Win32/TStaticImpWin32.h"

namespace {

const DWORD kStaticStyle = 0x50000000;  // WS_CHILD, WS_VISIBLE, SS_LEFT

}  // namespace

TStatic::TStatic() { imp = std::make_unique<TStaticImpWin32>(this); }

bool TStatic::create(int x, int y, int width, const std::wstring& text, TWidget* parentWidget) {
    if (!createWindow(WC_STATICW, text, kStaticStyle, x, y, width, 0, parentWidget, typeStatic)) return false;
    HWND window = win32()->hwnd;
    HDC dc = GetWindowDC(window);
    if (!dc) return true;
    RECT measured{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
              width != 0 ? DT_CALCRECT | DT_WORDBREAK : DT_CALCRECT);
    ReleaseDC(window, dc);
    SetWindowPos(window, nullptr, x, y, width != 0 ? width : measured.right - measured.left,
                 measured.bottom - measured.top, SWP_SHOWWINDOW);
    return true;
}
