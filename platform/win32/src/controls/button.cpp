// Push buttons, check boxes and radio buttons.
#include "../core.h"

using namespace win32::detail;

namespace {

struct ButtonState : ControlState {
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  bool focused = false;
};

DWORD buttonType(HWND hwnd) { return styleOf(hwnd) & BS_TYPEMASK; }

bool hasCheck(DWORD type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
         type == BS_3STATE || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

void clicked(HWND hwnd, ButtonState& button) {
  DWORD type = buttonType(hwnd);
  if (type == BS_AUTOCHECKBOX) button.check = button.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
  if (type == BS_AUTO3STATE) button.check = (button.check + 1) % 3;
  if (type == BS_AUTORADIOBUTTON) button.check = BST_CHECKED;
  notifyCommand(hwnd, BN_CLICKED);
}

}  // namespace

namespace win32 {
namespace detail {

LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) attachControl<ButtonState>(hwnd);
  auto button = controlState<ButtonState>(hwnd);
  if (!button) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result;
  if (fontMessage(button.get(), message, wParam, &result)) return result;
  DWORD type = buttonType(hwnd);
  switch (message) {
    case WM_GETDLGCODE:
      if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      return DLGC_BUTTON;
    case BM_GETCHECK:
      return hasCheck(type) ? button->check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (hasCheck(type)) {
        UINT wanted = static_cast<UINT>(wParam) & 3;
        if (wanted == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE)
          wanted = BST_CHECKED;
        button->check = wanted;
      }
      return 0;
    case BM_GETSTATE:
      return (hasCheck(type) ? button->check : 0) | (button->pushed ? BST_PUSHED : 0) |
             (button->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      button->pushed = wParam != 0;
      return 0;
    case BM_SETSTYLE: {
      DWORD style = styleOf(hwnd);
      SetWindowLongPtrW(hwnd, GWL_STYLE, (style & 0xFFFF0000u) | LOWORD(wParam));
      return 0;
    }
    case BM_CLICK:
      if (!IsWindowEnabled(hwnd)) return 0;
      SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
      return 0;
    case WM_LBUTTONDOWN:
      if (!IsWindowEnabled(hwnd)) return 0;
      SetFocus(hwnd);
      button->pushed = true;
      return 0;
    case WM_LBUTTONUP:
      if (button->pushed) {
        button->pushed = false;
        clicked(hwnd, *button);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) button->pushed = true;
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && button->pushed) {
        button->pushed = false;
        clicked(hwnd, *button);
      }
      return 0;
    case WM_SETFOCUS:
      button->focused = true;
      return 0;
    case WM_KILLFOCUS:
      button->focused = false;
      button->pushed = false;
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace detail
}  // namespace win32
