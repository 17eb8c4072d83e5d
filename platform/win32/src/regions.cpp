// Rectangular regions and window regions.
#include <win32/rect.h>

#include <algorithm>

#include "gdi.h"

using namespace win32::detail;
using win32::desktop::record;

namespace {

std::shared_ptr<RegionObject> findRegion(HRGN region) {
  return findGdi<RegionObject>(region, GdiKind::Region);
}

int regionType(const RECT& box) { return IsRectEmpty(&box) ? NULLREGION : SIMPLEREGION; }

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto region = std::make_shared<RegionObject>();
  // Edges given in any order make the same rectangle; an empty one is the empty region.
  RECT box{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
  if (!IsRectEmpty(&box)) region->box = box;
  return static_cast<HRGN>(addGdiObject(region));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

int GetRgnBox(HRGN region, LPRECT rect) {
  auto object = findRegion(region);
  if (!object || !rect) return RGN_ERROR;
  *rect = object->box;
  return regionType(object->box);
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  std::shared_ptr<RegionObject> object;
  if (region) {
    object = findRegion(region);
    if (!object) return 0;
  }
  {
    Guard guard(desktopMutex());
    auto window = findWindowLocked(hwnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    window->hasRegion = object != nullptr;
    window->region = object ? object->box : RECT{};
  }
  // The window keeps the rectangle; the handle is the system's now, and nothing else uses it.
  if (region) removeGdiObject(region);
  record("SetWindowRgn", handleText(hwnd) + (object ? " region" : " none"));
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
  auto object = findRegion(region);
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window || !object || !window->hasRegion) return RGN_ERROR;
  object->box = window->region;
  return regionType(object->box);
}
