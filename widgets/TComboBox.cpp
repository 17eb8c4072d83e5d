#include "widgets/TComboBox.h"

#include "widgets/Win32/TComboBoxImpWin32.h"

namespace {

// WS_CHILD, WS_VISIBLE, WS_BORDER, WS_VSCROLL, WS_TABSTOP, CBS_AUTOHSCROLL, CBS_DROPDOWNLIST
const DWORD kComboStyle = 0x50A10043;

}  // namespace

TComboBox::TComboBox() { imp = std::make_unique<TComboBoxImpWin32>(this); }

bool TComboBox::create(int x, int y, int width, TWidget* parentWidget) {
    if (!createWindow(WC_COMBOBOXW, L"", kComboStyle, x, y, width, 0, parentWidget, typeComboBox)) return false;
    SetWindowPos(win32()->hwnd, nullptr, x, y, width, win32()->lineHeight() * 3, SWP_SHOWWINDOW);
    return true;
}

bool TComboBox::addItem(std::intptr_t data, const std::wstring& text) {
    TWidgetImpWin32* platform = win32();
    if (!platform || !platform->getHwnd()) return false;
    LRESULT index = platform->send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) return false;
    platform->send(CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    platform->send(CB_SETCURSEL, static_cast<WPARAM>(index));
    return true;
}
