#include "widgets/Win32/IconPixels.h"

#include <cstddef>

namespace {

// Pictures are written as rows of hexadecimal digits, one palette index per
// pixel, and stored as one byte per pixel.
template <std::size_t N>
constexpr std::array<std::uint8_t, N - 1> pixelTable(const char (&rows)[N]) {
    std::array<std::uint8_t, N - 1> pixels{};
    for (std::size_t i = 0; i + 1 < N; ++i) {
        char c = rows[i];
        pixels[i] = static_cast<std::uint8_t>(c >= 'A' ? c - 'A' + 10 : c - '0');
    }
    return pixels;
}

// Releases what the icon builder makes, on every path.
struct MemoryDC {
    HDC dc = CreateCompatibleDC(nullptr);
    ~MemoryDC() {
        if (dc) DeleteDC(dc);
    }
};

struct Bitmap {
    HBITMAP handle;
    ~Bitmap() {
        if (handle) DeleteObject(handle);
    }
};

}  // namespace

const std::array<PaletteColour, 16> iconPalette = {{
    {0x00, 0x00, 0x00}, {0x7F, 0x7C, 0x7F}, {0xF0, 0xF0, 0xF0}, {0x56, 0x03, 0x19},
    {0xFF, 0x00, 0x00}, {0xB8, 0x86, 0x0B}, {0xFF, 0xDE, 0x26}, {0x01, 0x32, 0x20},
    {0x00, 0xFF, 0x00}, {0x00, 0xBF, 0xFF}, {0x00, 0xFF, 0xFF}, {0x00, 0x00, 0x8B},
    {0x00, 0x00, 0xFF}, {0x99, 0x33, 0x66}, {0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0xFF},
}};

// A gold key lying diagonally, black outline, white highlights, light grey ground.
const std::array<std::uint8_t, 32 * 32> keyIconPixels = pixelTable(
    "22222222222222222222222222222222"
    "22222220000022222222222222222222"
    "22222006666600222222222222222222"
    "222206F6666666022222222222222222"
    "22206F66666666602222222222222222"
    "2206FF66666666660222222222222222"
    "220F6666606666660222222222222222"
    "20666660020066666022222222222222"
    "20666660222066666022222222222222"
    "20666602222206666022222222222222"
    "20666660222066666022222222222222"
    "20666660020066666022222222222222"
    "22066666606666660222222222222222"
    "22066666666666660222222222222222"
    "22206666666666666022222222222222"
    "22220666666666666602222222222222"
    "22222006666600666660222222222222"
    "22222220000022066666022222222222"
    "22222222222222206666602222222222"
    "22222222222222220666660222222222"
    "22222222222222222066666022222222"
    "22222222222222222206666602222222"
    "22222222222222222220666660222222"
    "22222222222222222206666666022222"
    "22222222222222222066666666602222"
    "22222222222222222066660666660222"
    "22222222222222222206602066666022"
    "22222222222222222220022066666022"
    "22222222222222222222220666660222"
    "22222222222222222222206666602222"
    "22222222222222222222220666022222"
    "22222222222222222222222060222222");

// Pens lying diagonally, tip at the lower left, on white with a grey outline
// and a light grey tip.
const std::array<std::array<std::uint8_t, 16 * 16>, 6> penPixels = {{
    // 0: red body, dark red core
    pixelTable(
        "FFFFFFFFFFFFF1FF"
        "FFFFFFFFFFFF143F"
        "FFFFFFFFFFF14341"
        "FFFFFFFFFF14341F"
        "FFFFFFFFF14341FF"
        "FFFFFFFF14341FFF"
        "FFFFFFF14341FFFF"
        "FFFFFF14341FFFFF"
        "FFFFF14341FFFFFF"
        "FFFF14341FFFFFFF"
        "FFF14341FFFFFFFF"
        "FF24341FFFFFFFFF"
        "F12241FFFFFFFFFF"
        "F1222FFFFFFFFFFF"
        "F211FFFFFFFFFFFF"
        "FFFFFFFFFFFFFFFF"),
    // 1: dark red body, red core
    pixelTable(
        "FFFFFFFFFFFFF1FF"
        "FFFFFFFFFFFF134F"
        "FFFFFFFFFFF13431"
        "FFFFFFFFFF13431F"
        "FFFFFFFFF13431FF"
        "FFFFFFFF13431FFF"
        "FFFFFFF13431FFFF"
        "FFFFFF13431FFFFF"
        "FFFFF13431FFFFFF"
        "FFFF13431FFFFFFF"
        "FFF13431FFFFFFFF"
        "FF23431FFFFFFFFF"
        "F12231FFFFFFFFFF"
        "F1222FFFFFFFFFFF"
        "F211FFFFFFFFFFFF"
        "FFFFFFFFFFFFFFFF"),
    // 2: cyan body, blue core
    pixelTable(
        "FFFFFFFFFFFFF1FF"
        "FFFFFFFFFFFF1ACF"
        "FFFFFFFFFFF1ACA1"
        "FFFFFFFFFF1ACA1F"
        "FFFFFFFFF1ACA1FF"
        "FFFFFFFF1ACA1FFF"
        "FFFFFFF1ACA1FFFF"
        "FFFFFF1ACA1FFFFF"
        "FFFFF1ACA1FFFFFF"
        "FFFF1ACA1FFFFFFF"
        "FFF1ACA1FFFFFFFF"
        "FF2ACA1FFFFFFFFF"
        "F122A1FFFFFFFFFF"
        "F1222FFFFFFFFFFF"
        "F211FFFFFFFFFFFF"
        "FFFFFFFFFFFFFFFF"),
    // 3: blue body, cyan core
    pixelTable(
        "FFFFFFFFFFFFF1FF"
        "FFFFFFFFFFFF1CAF"
        "FFFFFFFFFFF1CAC1"
        "FFFFFFFFFF1CAC1F"
        "FFFFFFFFF1CAC1FF"
        "FFFFFFFF1CAC1FFF"
        "FFFFFFF1CAC1FFFF"
        "FFFFFF1CAC1FFFFF"
        "FFFFF1CAC1FFFFFF"
        "FFFF1CAC1FFFFFFF"
        "FFF1CAC1FFFFFFFF"
        "FF2CAC1FFFFFFFFF"
        "F122C1FFFFFFFFFF"
        "F1222FFFFFFFFFFF"
        "F211FFFFFFFFFFFF"
        "FFFFFFFFFFFFFFFF"),
    // 4: outline only
    pixelTable(
        "FFFFFFFFFFFFF1FF"
        "FFFFFFFFFFFF1FFF"
        "FFFFFFFFFFF1FFF1"
        "FFFFFFFFFF1FFF1F"
        "FFFFFFFFF1FFF1FF"
        "FFFFFFFF1FFF1FFF"
        "FFFFFFF1FFF1FFFF"
        "FFFFFF1FFF1FFFFF"
        "FFFFF1FFF1FFFFFF"
        "FFFF1FFF1FFFFFFF"
        "FFF1FFF1FFFFFFFF"
        "FF2FFF1FFFFFFFFF"
        "F122F1FFFFFFFFFF"
        "F1222FFFFFFFFFFF"
        "F211FFFFFFFFFFFF"
        "FFFFFFFFFFFFFFFF"),
    // 5: a broader pen, cyan and blue
    pixelTable(
        "FFFFFFFFFFFF1AFF"
        "FFFFFFFFFFF1AACF"
        "FFFFFFFFFF1AACAA"
        "FFFFFFFFF1AACAA1"
        "FFFFFFFF1AACAA1F"
        "FFFFFFF1AACAA1FF"
        "FFFFFF1AACAA1FFF"
        "FFFFF1AACAA1FFFF"
        "FFFF1AACAA1FFFFF"
        "FFF1AACAA1FFFFFF"
        "FF1AACAA1FFFFFFF"
        "FF2ACAA1FFFFFFFF"
        "F122AA1FFFFFFFFF"
        "F12221FFFFFFFFFF"
        "F211FFFFFFFFFFFF"
        "FFFFFFFFFFFFFFFF"),
}};

HICON createIconFromPixels(HWND, const std::uint8_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) return nullptr;
    MemoryDC memory;
    if (!memory.dc) return nullptr;
    Bitmap colour{CreateBitmap(width, height, 2, static_cast<UINT>(GetDeviceCaps(memory.dc, BITSPIXEL) / 2), nullptr)};
    // An all-zero mask: every pixel is opaque.
    Bitmap mask{CreateBitmap(width, height, 1, 1, nullptr)};
    if (!colour.handle || !mask.handle) return nullptr;
    HGDIOBJ previous = SelectObject(memory.dc, colour.handle);
    HBRUSH white = CreateSolidBrush(0xFFFFFF);
    RECT all{0, 0, width, height};
    if (white) {
        FillRect(memory.dc, &all, white);
        DeleteObject(white);
    }
    bool drawn = true;
    for (int y = 0; y < height && drawn; ++y) {
        for (int x = 0; x < width && drawn; ++x) {
            const PaletteColour& entry = iconPalette[pixels[y * width + x] & 0x0F];
            drawn = SetPixel(memory.dc, x, y, entry.colorref()) != CLR_INVALID;
        }
    }
    HICON icon = nullptr;
    if (drawn) {
        ICONINFO info{};
        info.fIcon = FALSE;
        info.hbmMask = mask.handle;
        info.hbmColor = colour.handle;
        icon = CreateIconIndirect(&info);
    }
    SelectObject(memory.dc, previous);
    return icon;
}
