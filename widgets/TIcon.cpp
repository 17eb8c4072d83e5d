#include "widgets/TIcon.h"

#include "widgets/Win32/TIconImpWin32.h"

namespace {

const DWORD kIconStyle = 0x50000003;  // WS_CHILD, WS_VISIBLE, SS_ICON

}  // namespace

TIcon::TIcon() { imp = std::make_unique<TIconImpWin32>(this); }

TIconImpWin32* TIcon::iconImp() const { return dynamic_cast<TIconImpWin32*>(imp.get()); }

bool TIcon::setIcon(int, int, const std::wstring& name, TWidget* parentWidget) {
    if (!createWindow(WC_STATICW, L"", kIconStyle, 15, 15, 0, 0, parentWidget, typeStatic)) return false;
    return iconImp()->setIcon(name);
}
