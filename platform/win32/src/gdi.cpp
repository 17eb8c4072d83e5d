// Painting, device contexts, objects, fonts and text, bitmaps and icons.
#include "gdi.h"

#include <algorithm>
#include <cwctype>

namespace win32 {
namespace detail {

namespace {

struct GdiTable {
  std::mutex mutex;
  std::map<HANDLE, std::shared_ptr<GdiObject>> objects;
  uintptr_t next = 0;
};

GdiTable& table() {
  static auto* instance = new GdiTable;  // never destroyed: handles may be released at exit
  return *instance;
}

}  // namespace

HANDLE addGdiObject(std::shared_ptr<GdiObject> object) {
  GdiTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  ++t.next;
  HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x40000000 + (t.next << 4)));
  t.objects[handle] = std::move(object);
  return handle;
}

std::shared_ptr<GdiObject> findGdiObject(HANDLE handle) {
  GdiTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto found = t.objects.find(handle);
  return found == t.objects.end() ? nullptr : found->second;
}

void removeGdiObject(HANDLE handle) {
  std::shared_ptr<GdiObject> removed;  // released outside the lock
  GdiTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto found = t.objects.find(handle);
  if (found == t.objects.end()) return;
  removed = found->second;
  t.objects.erase(found);
}

FontMetrics fontMetrics(HFONT font) {
  FontMetrics metrics;
  auto object = findGdi<FontObject>(font, GdiKind::Font);
  if (object) {
    metrics.height = object->height;
    metrics.width = object->width;
  }
  return metrics;
}

FontMetrics dcFontMetrics(HDC dc) {
  auto object = findGdi<DCObject>(dc, GdiKind::DC);
  return fontMetrics(object ? static_cast<HFONT>(object->font) : nullptr);
}

}  // namespace detail
}  // namespace win32

using namespace win32::detail;
using win32::desktop::record;

namespace {

HANDLE stockObject(int index);

std::shared_ptr<FontObject> makeFont(const LOGFONTW& log) {
  auto font = std::make_shared<FontObject>();
  font->log = log;
  font->height = log.lfHeight == 0 ? 16 : std::abs(log.lfHeight);
  font->width = log.lfWidth != 0 ? std::abs(log.lfWidth) : (font->height + 1) / 2;
  return font;
}

HANDLE stockObject(int index) {
  static std::mutex mutex;
  static std::map<int, HANDLE> made;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = made.find(index);
  if (found != made.end()) return found->second;
  std::shared_ptr<GdiObject> object;
  if (index >= WHITE_BRUSH && index <= NULL_BRUSH) {
    static const COLORREF colours[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000, 0};
    auto brush = std::make_shared<BrushObject>();
    brush->color = colours[index];
    brush->hollow = index == NULL_BRUSH;
    object = brush;
  } else if (index >= WHITE_PEN && index <= NULL_PEN) {
    object = std::make_shared<PenObject>();
  } else if (index >= OEM_FIXED_FONT && index <= DEFAULT_GUI_FONT && index != 15) {
    LOGFONTW log{};
    log.lfHeight = 16;
    log.lfWeight = FW_NORMAL;
    const wchar_t* face = L"MS Shell Dlg";
    std::wcsncpy(log.lfFaceName, face, LF_FACESIZE - 1);
    object = makeFont(log);
  } else if (index == 1000) {
    // The 1 x 1 bitmap every memory DC starts with.
    auto bitmap = std::make_shared<BitmapObject>();
    bitmap->pixels.width = bitmap->pixels.height = 1;
    bitmap->pixels.data.assign(1, 0);
    bitmap->bitsPerPixel = 1;
    object = bitmap;
  } else if (index >= 2000 && index < 2100) {
    auto brush = std::make_shared<BrushObject>();
    brush->color = GetSysColor(index - 2000);
    object = brush;
  } else {
    return nullptr;
  }
  object->stock = true;
  HANDLE handle = addGdiObject(object);
  made[index] = handle;
  return handle;
}

std::shared_ptr<DCObject> findDC(HDC dc) { return findGdi<DCObject>(dc, GdiKind::DC); }

HDC makeDC(HWND hwnd, bool memory) {
  auto dc = std::make_shared<DCObject>();
  dc->hwnd = hwnd;
  dc->memory = memory;
  dc->font = stockObject(SYSTEM_FONT);
  dc->brush = stockObject(WHITE_BRUSH);
  dc->pen = stockObject(BLACK_PEN);
  dc->bitmap = memory ? stockObject(1000) : nullptr;
  return static_cast<HDC>(addGdiObject(dc));
}

std::shared_ptr<BitmapObject> selectedBitmap(HDC dc) {
  auto object = findDC(dc);
  if (!object || !object->memory) return nullptr;
  return findGdi<BitmapObject>(object->bitmap, GdiKind::Bitmap);
}

RECT unionRect(const RECT& a, const RECT& b) {
  if (a.right <= a.left || a.bottom <= a.top) return b;
  if (b.right <= b.left || b.bottom <= b.top) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

// Text as it takes room: mnemonic markers removed unless DT_NOPREFIX.
std::wstring visibleText(const std::wstring& text, bool prefix) {
  if (!prefix) return text;
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') out += L'&', ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

// Breaks text into lines as DrawTextW lays it out.
std::vector<std::wstring> layoutLines(const std::wstring& text, UINT format, int maxWidth,
                                      int charWidth) {
  std::vector<std::wstring> paragraphs;
  if (format & DT_SINGLELINE) {
    std::wstring line;
    for (wchar_t c : text)
      if (c != L'\r' && c != L'\n') line += c;
    paragraphs.push_back(line);
  } else {
    std::wstring current;
    for (wchar_t c : text) {
      if (c == L'\r') continue;
      if (c == L'\n') {
        paragraphs.push_back(current);
        current.clear();
      } else {
        current += c;
      }
    }
    paragraphs.push_back(current);
  }
  if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) return paragraphs;
  std::vector<std::wstring> lines;
  for (const auto& paragraph : paragraphs) {
    std::vector<std::wstring> words;
    std::wstring word;
    for (wchar_t c : paragraph) {
      if (c == L' ') {
        words.push_back(word);
        word.clear();
      } else {
        word += c;
      }
    }
    words.push_back(word);
    std::wstring line;
    bool empty = true;
    for (const auto& w : words) {
      std::wstring candidate = empty ? w : line + L" " + w;
      if (!empty && static_cast<int>(candidate.size()) * charWidth > maxWidth) {
        lines.push_back(line);
        line = w;
      } else {
        line = candidate;
      }
      empty = false;
    }
    lines.push_back(line);
  }
  return lines;
}

std::shared_ptr<IconObject> makeIcon(int size, COLORREF colour, const std::wstring& origin,
                                     bool shared) {
  auto icon = std::make_shared<IconObject>();
  icon->pixels.width = icon->pixels.height = size;
  icon->pixels.data.assign(static_cast<size_t>(size * size), colour);
  icon->shared = shared;
  icon->origin = origin;
  return icon;
}

}  // namespace

namespace win32 {
namespace desktop {

std::vector<TextOut> textDrawn(HDC dc) {
  auto object = findDC(dc);
  return object ? object->drawn : std::vector<TextOut>();
}

}  // namespace desktop
}  // namespace win32

namespace win32 {
namespace detail {

void validateLocked(Window& window) {
  window.paintPending = false;
  window.erasePending = false;
  window.update = RECT{};
}

}  // namespace detail
}  // namespace win32

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    std::vector<HWND> all;
    {
      Guard guard(desktopMutex());
      for (auto& entry : state().windows) all.push_back(entry.first);
    }
    for (HWND each : all) InvalidateRect(each, nullptr, erase);
    return TRUE;
  }
  RECT client;
  if (!GetClientRect(hwnd, &client)) return FALSE;
  {
    Guard guard(desktopMutex());
    auto window = findWindowLocked(hwnd);
    if (!window) return FALSE;
    RECT area = rect ? *rect : client;
    window->update = window->paintPending ? unionRect(window->update, area) : area;
    window->paintPending = true;
    if (erase) window->erasePending = true;
    wakeThreadLocked(window->thread);
  }
  record("InvalidateRect", handleText(hwnd) + (erase ? " erase" : ""));
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window) return FALSE;
  validateLocked(*window);
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window) return FALSE;
  if (rect) *rect = window->paintPending ? window->update : RECT{};
  return window->paintPending ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  auto window = findWindow(hwnd);
  if (!window) return FALSE;
  bool pending;
  {
    Guard guard(desktopMutex());
    pending = window->paintPending && !window->messageOnly;
  }
  if (pending) SendMessageW(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) InvalidateRect(hwnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
  if (flags & RDW_VALIDATE) ValidateRect(hwnd, rect);
  if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  auto window = findWindow(hwnd);
  if (!window || !paint) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  *paint = PAINTSTRUCT{};
  bool erase;
  {
    Guard guard(desktopMutex());
    paint->rcPaint = window->paintPending ? window->update : RECT{};
    erase = window->erasePending;
    validateLocked(*window);
  }
  paint->hdc = makeDC(hwnd, false);
  if (erase) paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) ? FALSE : TRUE;
  record("BeginPaint", handleText(hwnd));
  return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  removeGdiObject(paint->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (hwnd && !IsWindow(hwnd)) return nullptr;
  return makeDC(hwnd, false);
}

HDC GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int ReleaseDC(HWND, HDC dc) {
  auto object = findDC(dc);
  if (!object || object->memory) return 0;
  removeGdiObject(dc);
  return 1;
}

HDC CreateCompatibleDC(HDC) { return makeDC(nullptr, true); }

BOOL DeleteDC(HDC dc) {
  auto object = findDC(dc);
  if (!object) return FALSE;
  removeGdiObject(dc);
  return TRUE;
}

int GetDeviceCaps(HDC, int index) {
  switch (index) {
    case HORZRES:
      return 1920;
    case VERTRES:
      return 1080;
    case BITSPIXEL:
      return 32;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    default:
      return 0;
  }
}

HGDIOBJ GetStockObject(int index) { return stockObject(index); }

BOOL DeleteObject(HGDIOBJ object) {
  auto found = findGdiObject(object);
  if (!found || found->kind == GdiKind::DC || found->kind == GdiKind::Icon ||
      found->kind == GdiKind::ImageList)
    return FALSE;
  if (!found->stock) removeGdiObject(object);
  return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  auto target = findDC(dc);
  auto selected = findGdiObject(object);
  if (!target || !selected) return nullptr;
  HGDIOBJ previous = nullptr;
  switch (selected->kind) {
    case GdiKind::Font:
      previous = target->font;
      target->font = object;
      break;
    case GdiKind::Brush:
      previous = target->brush;
      target->brush = object;
      break;
    case GdiKind::Pen:
      previous = target->pen;
      target->pen = object;
      break;
    case GdiKind::Bitmap:
      if (!target->memory) return HGDI_ERROR;
      previous = target->bitmap;
      target->bitmap = object;
      break;
    default:
      return HGDI_ERROR;
  }
  return previous;
}

DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW:
      return 0xFFFFFF;
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
      return 0x000000;
    case COLOR_BTNFACE:
      return 0xF0F0F0;
    case COLOR_BACKGROUND:
      return 0x000000;
    default:
      return 0xC0C0C0;
  }
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= 100) return nullptr;
  return static_cast<HBRUSH>(stockObject(2000 + index));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto brush = std::make_shared<BrushObject>();
  brush->color = color;
  return static_cast<HBRUSH>(addGdiObject(brush));
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  auto object = findDC(dc);
  auto fill = findGdi<BrushObject>(brush, GdiKind::Brush);
  if (!object || !fill || !rect) return 0;
  auto bitmap = selectedBitmap(dc);
  if (bitmap && !fill->hollow) {
    Pixels& p = bitmap->pixels;
    for (int y = std::max<LONG>(rect->top, 0); y < std::min<LONG>(rect->bottom, p.height); ++y)
      for (int x = std::max<LONG>(rect->left, 0); x < std::min<LONG>(rect->right, p.width); ++x)
        p.data[static_cast<size_t>(y * p.width + x)] = fill->color;
  }
  return 1;
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || planes == 0 ||
      planes * bitsPerPixel == 0 || planes * bitsPerPixel > 32) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bitmap = std::make_shared<BitmapObject>();
  bitmap->pixels.width = width;
  bitmap->pixels.height = height;
  bitmap->pixels.data.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  bitmap->planes = planes;
  bitmap->bitsPerPixel = bitsPerPixel;
  if (bits && planes * bitsPerPixel == 32) {
    const auto* source = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < bitmap->pixels.data.size(); ++i) {
      DWORD bgr = source[i];  // 0x00RRGGBB in memory order
      bitmap->pixels.data[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
  }
  return static_cast<HBITMAP>(addGdiObject(bitmap));
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  return CreateBitmap(width, height, 1, 32, nullptr);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  auto object = findDC(dc);
  if (!object) return CLR_INVALID;
  if (!object->memory) return color;
  auto bitmap = selectedBitmap(dc);
  if (!bitmap || x < 0 || y < 0 || x >= bitmap->pixels.width || y >= bitmap->pixels.height)
    return CLR_INVALID;
  bitmap->pixels.data[static_cast<size_t>(y * bitmap->pixels.width + x)] = color & 0xFFFFFF;
  return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC dc, int x, int y) {
  auto bitmap = selectedBitmap(dc);
  if (!bitmap || x < 0 || y < 0 || x >= bitmap->pixels.width || y >= bitmap->pixels.height)
    return CLR_INVALID;
  return bitmap->pixels.data[static_cast<size_t>(y * bitmap->pixels.width + x)];
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HFONT>(addGdiObject(makeFont(*font)));
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
  auto found = findGdiObject(object);
  if (!found) return 0;
  if (found->kind == GdiKind::Font) {
    if (!buffer) return sizeof(LOGFONTW);
    if (size < static_cast<int>(sizeof(LOGFONTW))) return 0;
    auto font = std::static_pointer_cast<FontObject>(found);
    LOGFONTW log = font->log;
    log.lfHeight = font->height;
    log.lfWidth = font->width;
    *static_cast<LOGFONTW*>(buffer) = log;
    return sizeof(LOGFONTW);
  }
  if (found->kind == GdiKind::Bitmap) {
    if (!buffer) return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    auto bitmap = std::static_pointer_cast<BitmapObject>(found);
    BITMAP info{};
    info.bmWidth = bitmap->pixels.width;
    info.bmHeight = bitmap->pixels.height;
    info.bmPlanes = static_cast<WORD>(bitmap->planes);
    info.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
    info.bmWidthBytes = ((bitmap->pixels.width * static_cast<LONG>(bitmap->bitsPerPixel) + 15) / 16) * 2;
    *static_cast<BITMAP*>(buffer) = info;
    return sizeof(BITMAP);
  }
  return 0;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) {
  if (!findDC(dc) || !metrics) return FALSE;
  FontMetrics font = dcFontMetrics(dc);
  *metrics = TEXTMETRICW{};
  metrics->tmHeight = font.height;
  metrics->tmAscent = font.height * 3 / 4;
  metrics->tmDescent = font.height - metrics->tmAscent;
  metrics->tmAveCharWidth = font.width;
  metrics->tmMaxCharWidth = font.width;
  metrics->tmWeight = FW_NORMAL;
  metrics->tmDigitizedAspectX = 96;
  metrics->tmDigitizedAspectY = 96;
  metrics->tmFirstChar = 0x20;
  metrics->tmLastChar = 0xFFFC;
  metrics->tmDefaultChar = 0x1F;
  metrics->tmBreakChar = 0x20;
  metrics->tmPitchAndFamily = 0;
  metrics->tmCharSet = DEFAULT_CHARSET;
  return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, LPSIZE size) {
  if (!findDC(dc) || !size || length < 0 || (length > 0 && !text)) return FALSE;
  FontMetrics font = dcFontMetrics(dc);
  size->cx = length * font.width;
  size->cy = font.height;
  return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int length, LPRECT rect, UINT format) {
  auto object = findDC(dc);
  if (!object || !rect || !text) return 0;
  std::wstring source = length < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(length));
  FontMetrics font = dcFontMetrics(dc);
  std::wstring shown = visibleText(source, !(format & DT_NOPREFIX));
  int maxWidth = rect->right - rect->left;
  auto lines = layoutLines(shown, format, maxWidth, font.width);
  int widest = 0;
  for (const auto& line : lines) widest = std::max(widest, static_cast<int>(line.size()) * font.width);
  int height = static_cast<int>(lines.size()) * font.height;
  if (format & DT_CALCRECT) {
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }
  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = rect->top + (rect->bottom - rect->top - font.height) / 2;
    if (format & DT_BOTTOM) y = rect->bottom - font.height;
  }
  for (const auto& line : lines) {
    int width = static_cast<int>(line.size()) * font.width;
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (maxWidth - width) / 2;
    if (format & DT_RIGHT) x = rect->right - width;
    object->drawn.push_back(win32::desktop::TextOut{x, y, line, 0});
    y += font.height;
  }
  record("DrawTextW", toUtf8(shown));
  return height;
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length) {
  auto object = findDC(dc);
  if (!object || length < 0 || (length > 0 && !text)) return FALSE;
  std::wstring shown(text ? text : L"", static_cast<size_t>(length));
  object->drawn.push_back(win32::desktop::TextOut{x, y, shown, object->textAlign});
  record("TextOutW", std::to_string(x) + "," + std::to_string(y) + " \"" + toUtf8(shown) +
                         "\" align " + std::to_string(object->textAlign));
  return TRUE;
}

UINT SetTextAlign(HDC dc, UINT align) {
  auto object = findDC(dc);
  if (!object) return GDI_ERROR;
  UINT previous = object->textAlign;
  object->textAlign = align;
  record("SetTextAlign", std::to_string(align));
  return previous;
}

UINT GetTextAlign(HDC dc) {
  auto object = findDC(dc);
  return object ? object->textAlign : GDI_ERROR;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  auto object = findDC(dc);
  if (!object) return CLR_INVALID;
  COLORREF previous = object->textColor;
  object->textColor = color;
  return previous;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  auto object = findDC(dc);
  if (!object) return CLR_INVALID;
  COLORREF previous = object->backColor;
  object->backColor = color;
  return previous;
}

int SetBkMode(HDC dc, int mode) {
  auto object = findDC(dc);
  if (!object) return 0;
  int previous = object->backMode;
  object->backMode = mode;
  return previous;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  static const struct {
    ULONG_PTR id;
    const wchar_t* origin;
    COLORREF colour;
  } kIcons[] = {{32512, L"IDI_APPLICATION", 0xFFFFFF}, {32513, L"IDI_HAND", 0x0000FF},
                {32514, L"IDI_QUESTION", 0xFF0000},    {32515, L"IDI_EXCLAMATION", 0x00FFFF},
                {32516, L"IDI_ASTERISK", 0xFF8000},    {32517, L"IDI_WINLOGO", 0x00FF00}};
  if (instance || !IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  static std::mutex mutex;
  static std::map<ULONG_PTR, HICON> loaded;
  ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
  std::lock_guard<std::mutex> lock(mutex);
  auto found = loaded.find(id);
  if (found != loaded.end()) return found->second;
  for (const auto& icon : kIcons) {
    if (icon.id != id) continue;
    HICON handle = static_cast<HICON>(addGdiObject(makeIcon(32, icon.colour, icon.origin, true)));
    loaded[id] = handle;
    return handle;
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HICON CreateIconIndirect(ICONINFO* info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto colour = findGdi<BitmapObject>(info->hbmColor, GdiKind::Bitmap);
  auto mask = findGdi<BitmapObject>(info->hbmMask, GdiKind::Bitmap);
  if (!mask || (info->hbmColor && !colour)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto icon = std::make_shared<IconObject>();
  icon->pixels = colour ? colour->pixels : mask->pixels;
  if (!colour) icon->pixels.height /= 2;
  icon->origin = L"pixels";
  return static_cast<HICON>(addGdiObject(icon));
}

BOOL DestroyIcon(HICON icon) {
  auto object = findGdi<IconObject>(icon, GdiKind::Icon);
  if (!object) {
    SetLastError(ERROR_INVALID_ICON_HANDLE);
    return FALSE;
  }
  if (!object->shared) removeGdiObject(icon);
  return TRUE;
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  auto object = findGdi<IconObject>(icon, GdiKind::Icon);
  if (!object || !info) {
    SetLastError(ERROR_INVALID_ICON_HANDLE);
    return FALSE;
  }
  auto colour = std::make_shared<BitmapObject>();
  colour->pixels = object->pixels;
  auto mask = std::make_shared<BitmapObject>();
  mask->pixels.width = object->pixels.width;
  mask->pixels.height = object->pixels.height;
  mask->pixels.data.assign(object->pixels.data.size(), 0);
  mask->bitsPerPixel = 1;
  info->fIcon = TRUE;
  info->xHotspot = static_cast<DWORD>(object->pixels.width / 2);
  info->yHotspot = static_cast<DWORD>(object->pixels.height / 2);
  info->hbmColor = static_cast<HBITMAP>(addGdiObject(colour));
  info->hbmMask = static_cast<HBITMAP>(addGdiObject(mask));
  return TRUE;
}

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
  if (cx <= 0 || cy <= 0) return nullptr;
  auto list = std::make_shared<ImageListObject>();
  list->cx = cx;
  list->cy = cy;
  list->flags = flags;
  return static_cast<HIMAGELIST>(addGdiObject(list));
}

BOOL ImageList_Destroy(HIMAGELIST list) {
  if (!findGdi<ImageListObject>(list, GdiKind::ImageList)) return FALSE;
  removeGdiObject(list);
  return TRUE;
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
  auto object = findGdi<ImageListObject>(list, GdiKind::ImageList);
  auto image = findGdi<IconObject>(icon, GdiKind::Icon);
  if (!object || !image || index < -1 || index >= static_cast<int>(object->images.size()))
    return -1;
  auto copy = std::make_shared<IconObject>(*image);
  copy->shared = false;
  if (index == -1) {
    object->images.push_back(copy);
    return static_cast<int>(object->images.size()) - 1;
  }
  object->images[static_cast<size_t>(index)] = copy;
  return index;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP) {
  auto object = findGdi<ImageListObject>(list, GdiKind::ImageList);
  auto bitmap = findGdi<BitmapObject>(image, GdiKind::Bitmap);
  if (!object || !bitmap) return -1;
  auto copy = std::make_shared<IconObject>();
  copy->pixels = bitmap->pixels;
  copy->origin = L"bitmap";
  object->images.push_back(copy);
  return static_cast<int>(object->images.size()) - 1;
}

int ImageList_GetImageCount(HIMAGELIST list) {
  auto object = findGdi<ImageListObject>(list, GdiKind::ImageList);
  return object ? static_cast<int>(object->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  auto object = findGdi<ImageListObject>(list, GdiKind::ImageList);
  if (!object || !cx || !cy) return FALSE;
  *cx = object->cx;
  *cy = object->cy;
  return TRUE;
}

BOOL ImageList_Remove(HIMAGELIST list, int index) {
  auto object = findGdi<ImageListObject>(list, GdiKind::ImageList);
  if (!object || index < -1 || index >= static_cast<int>(object->images.size())) return FALSE;
  if (index == -1)
    object->images.clear();
  else
    object->images.erase(object->images.begin() + index);
  return TRUE;
}

void InitCommonControls() { record("InitCommonControls", ""); }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  return init && init->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

UINT ExtractIconExW(LPCWSTR file, int index, HICON* large, HICON* small, UINT icons) {
  const int kShellIcons = 100;
  if (!file) return 0;
  std::wstring name = upperAscii(file);
  const std::wstring library = L"SHELL32.DLL";
  bool shell = name.size() >= library.size() &&
               name.compare(name.size() - library.size(), library.size(), library) == 0 &&
               (name.size() == library.size() ||
                name[name.size() - library.size() - 1] == L'\\' ||
                name[name.size() - library.size() - 1] == L'/');
  if (!shell) return 0;
  if (index == -1 && !large && !small) return kShellIcons;
  UINT handed = 0;
  for (UINT i = 0; i < icons; ++i) {
    int at = index + static_cast<int>(i);
    if (at < 0 || at >= kShellIcons) break;
    std::wstring origin = L"SHELL32.DLL," + std::to_wstring(at);
    COLORREF colour = RGB(at * 2, 255 - at * 2, 128);
    if (large) {
      large[i] = static_cast<HICON>(addGdiObject(makeIcon(32, colour, origin, false)));
      ++handed;
    }
    if (small) {
      small[i] = static_cast<HICON>(addGdiObject(makeIcon(16, colour, origin, false)));
      ++handed;
    }
  }
  return handed;
}
