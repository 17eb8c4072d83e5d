#pragma once
// The toolkit's own pictures: a 16-colour palette, the 32 x 32 key picture
// and six 16 x 16 pen pictures, drawn into icons pixel by pixel.

#include <win32/windows.h>

#include <array>
#include <cstdint>

struct PaletteColour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    constexpr COLORREF colorref() const { return RGB(red, green, blue); }
};

extern const std::array<PaletteColour, 16> iconPalette;
// One palette index per pixel, rows one after another.
extern const std::array<std::uint8_t, 32 * 32> keyIconPixels;
// In image-list order: 0 red, 1 dark red, 2 cyan, 3 blue, 4 outline only, 5 broad.
extern const std::array<std::array<std::uint8_t, 16 * 16>, 6> penPixels;

// An icon with the table's pixels on an opaque mask; null when a step fails.
// The caller destroys it.
HICON createIconFromPixels(HWND owner, const std::uint8_t* pixels, int width, int height);
