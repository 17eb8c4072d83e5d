// Internal GDI objects shared by painting, the controls and the desktop.
#pragma once

#include "core.h"

namespace win32 {
namespace detail {

enum class GdiKind { Font, Brush, Pen, Bitmap, DC, Icon, ImageList, Region };

struct GdiObject {
  explicit GdiObject(GdiKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  GdiKind kind;
  bool stock = false;
};

struct FontObject : GdiObject {
  FontObject() : GdiObject(GdiKind::Font) {}
  LOGFONTW log{};
  int height = 16;
  int width = 8;
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(GdiKind::Brush) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct PenObject : GdiObject {
  PenObject() : GdiObject(GdiKind::Pen) {}
};

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> data;
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(GdiKind::Bitmap) {}
  Pixels pixels;
  UINT planes = 1;
  UINT bitsPerPixel = 32;
};

struct IconObject : GdiObject {
  IconObject() : GdiObject(GdiKind::Icon) {}
  Pixels pixels;
  bool shared = false;  // system icons: never destroyed
  std::wstring origin;  // what it shows, e.g. "IDI_QUESTION" or "SHELL32.DLL,15"
};

struct DCObject : GdiObject {
  DCObject() : GdiObject(GdiKind::DC) {}
  HWND hwnd = nullptr;
  bool memory = false;
  HGDIOBJ font = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ pen = nullptr;
  HGDIOBJ bitmap = nullptr;
  UINT textAlign = 0;
  COLORREF textColor = 0;
  COLORREF backColor = 0xFFFFFF;
  int backMode = OPAQUE;
  std::vector<desktop::TextOut> drawn;
};

struct RegionObject : GdiObject {
  RegionObject() : GdiObject(GdiKind::Region) {}
  RECT box{};  // empty for an empty region
};

struct ImageListObject : GdiObject {
  ImageListObject() : GdiObject(GdiKind::ImageList) {}
  int cx = 16;
  int cy = 16;
  UINT flags = 0;
  std::vector<std::shared_ptr<IconObject>> images;
};

HANDLE addGdiObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> findGdiObject(HANDLE handle);
template <class T>
std::shared_ptr<T> findGdi(HANDLE handle, GdiKind kind) {
  auto object = findGdiObject(handle);
  if (!object || object->kind != kind) return nullptr;
  return std::static_pointer_cast<T>(object);
}
void removeGdiObject(HANDLE handle);

// Metrics of the font selected into a DC (the system font when none).
struct FontMetrics {
  int height = 16;
  int width = 8;
};
FontMetrics fontMetrics(HFONT font);
FontMetrics dcFontMetrics(HDC dc);

}  // namespace detail
}  // namespace win32
