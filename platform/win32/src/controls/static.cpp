// Static texts and icons.
#include "../core.h"
#include "../gdi.h"

using namespace win32::detail;

namespace {

struct StaticState : ControlState {
  HANDLE image = nullptr;
  UINT imageType = IMAGE_ICON;
};

LRESULT setImage(HWND hwnd, StaticState& control, UINT type, HANDLE image) {
  if (type != IMAGE_ICON && type != IMAGE_BITMAP) return 0;
  std::shared_ptr<GdiObject> object;
  if (image) {
    object = findGdiObject(image);
    GdiKind wanted = type == IMAGE_ICON ? GdiKind::Icon : GdiKind::Bitmap;
    if (!object || object->kind != wanted) return 0;
  }
  HANDLE previous = control.imageType == type ? control.image : nullptr;
  control.image = image;
  control.imageType = type;
  // Icon statics take the size of their picture.
  DWORD kind = styleOf(hwnd) & SS_TYPEMASK;
  if (object && (kind == SS_ICON || kind == SS_BITMAP)) {
    const Pixels& pixels = type == IMAGE_ICON ? std::static_pointer_cast<IconObject>(object)->pixels
                                              : std::static_pointer_cast<BitmapObject>(object)->pixels;
    SetWindowPos(hwnd, nullptr, 0, 0, pixels.width, pixels.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return reinterpret_cast<LRESULT>(previous);
}

}  // namespace

namespace win32 {
namespace detail {

LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) attachControl<StaticState>(hwnd);
  auto control = controlState<StaticState>(hwnd);
  if (!control) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result;
  if (fontMessage(control.get(), message, wParam, &result)) return result;
  switch (message) {
    case STM_SETIMAGE:
      return setImage(hwnd, *control, static_cast<UINT>(wParam), reinterpret_cast<HANDLE>(lParam));
    case STM_SETICON:
      return setImage(hwnd, *control, IMAGE_ICON, reinterpret_cast<HANDLE>(wParam));
    case STM_GETIMAGE:
      return control->imageType == wParam ? reinterpret_cast<LRESULT>(control->image) : 0;
    case STM_GETICON:
      return control->imageType == IMAGE_ICON ? reinterpret_cast<LRESULT>(control->image) : 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_NCHITTEST:
      return (styleOf(hwnd) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONUP:
      if (styleOf(hwnd) & SS_NOTIFY) notifyCommand(hwnd, STN_CLICKED);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace detail
}  // namespace win32
