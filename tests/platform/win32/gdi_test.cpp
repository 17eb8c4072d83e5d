// The font and text model, device contexts, bitmaps, icons and image lists.
#include "DesktopFixture.h"

namespace {

using win32test::DesktopTest;

class Gdi : public DesktopTest {};

struct DrawCase {
  const char* name;
  const wchar_t* text;
  int width;
  UINT format;
  LONG right;
  LONG bottom;
};

class TextLayout : public ::testing::TestWithParam<DrawCase> {};

TEST_P(TextLayout, CalcRectMeasures) {
  const DrawCase& c = GetParam();
  HDC dc = GetDC(nullptr);
  RECT rect{0, 0, c.width, 0};
  int height = DrawTextW(dc, c.text, -1, &rect, c.format | DT_CALCRECT);
  EXPECT_EQ(c.bottom, height);
  EXPECT_EQ(c.right, rect.right);
  EXPECT_EQ(c.bottom, rect.bottom);
  ReleaseDC(nullptr, dc);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextLayout,
    ::testing::Values(DrawCase{"single_line", L"Cancel", 0, 0, 48, 16},
                      DrawCase{"mnemonic_takes_no_room", L"&OK", 0, 0, 16, 16},
                      DrawCase{"doubled_ampersand", L"a&&b", 0, 0, 24, 16},
                      DrawCase{"no_prefix", L"&OK", 0, DT_NOPREFIX, 24, 16},
                      DrawCase{"line_breaks", L"one\ntwo lines", 0, 0, 72, 32},
                      DrawCase{"single_line_ignores_breaks", L"ab\ncd", 0, DT_SINGLELINE, 32, 16},
                      DrawCase{"word_wrap", L"aaaa bbbb cccc", 80, DT_WORDBREAK, 72, 32},
                      DrawCase{"long_word_widens", L"abcdefghijkl x", 40, DT_WORDBREAK, 96, 32}),
    [](const ::testing::TestParamInfo<DrawCase>& info) { return info.param.name; });

struct FontCase {
  LONG height;
  LONG width;
  LONG expectedHeight;
  LONG expectedWidth;
};

TEST_F(Gdi, FontsDecideMetricsAndExtents) {
  const FontCase cases[] = {{0, 0, 16, 8}, {-12, 0, 12, 6}, {13, 0, 13, 7}, {20, 5, 20, 5}};
  HDC dc = GetDC(nullptr);
  for (const auto& c : cases) {
    LOGFONTW log{};
    log.lfHeight = c.height;
    log.lfWidth = c.width;
    HFONT font = CreateFontIndirectW(&log);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics;
    ASSERT_TRUE(GetTextMetricsW(dc, &metrics));
    EXPECT_EQ(c.expectedHeight, metrics.tmHeight);
    EXPECT_EQ(c.expectedWidth, metrics.tmAveCharWidth);
    EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"Retry", 5, &size));
    EXPECT_EQ(5 * c.expectedWidth, size.cx);
    EXPECT_EQ(c.expectedHeight, size.cy);
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(font));
  }
  ReleaseDC(nullptr, dc);
}

TEST_F(Gdi, TextOutIsRecordedWithItsAlignment) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(static_cast<UINT>(TA_LEFT), SetTextAlign(dc, TA_CENTER | TA_BASELINE));
  ASSERT_TRUE(TextOutW(dc, 100, 50, L"PageBridge Plugin", 17));
  auto drawn = win32::desktop::textDrawn(dc);
  ASSERT_EQ(1u, drawn.size());
  EXPECT_EQ(100, drawn[0].x);
  EXPECT_EQ(50, drawn[0].y);
  EXPECT_EQ(L"PageBridge Plugin", drawn[0].text);
  EXPECT_EQ(30u, drawn[0].align);
  EXPECT_EQ(1u, journalCount("TextOutW", "\"PageBridge Plugin\" align 30"));
  DeleteDC(dc);
}

TEST_F(Gdi, PixelsOfASelectedBitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(CLR_INVALID, SetPixel(dc, 1, 1, RGB(1, 2, 3)));  // the 1 x 1 default bitmap
  HBITMAP bitmap = CreateBitmap(4, 3, 2, GetDeviceCaps(dc, BITSPIXEL) / 2, nullptr);
  ASSERT_NE(nullptr, bitmap);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH white = CreateSolidBrush(0xFFFFFF);
  RECT all{0, 0, 4, 3};
  FillRect(dc, &all, white);
  DeleteObject(white);
  EXPECT_EQ(RGB(0xFF, 0xDE, 0x26), SetPixel(dc, 3, 2, RGB(0xFF, 0xDE, 0x26)));
  EXPECT_EQ(CLR_INVALID, SetPixel(dc, 4, 0, 0));
  EXPECT_EQ(RGB(0xFF, 0xDE, 0x26), GetPixel(dc, 3, 2));
  EXPECT_EQ(0xFFFFFFu, GetPixel(dc, 0, 0));
  HBITMAP mask = CreateBitmap(4, 3, 1, 1, nullptr);
  SelectObject(dc, old);
  ICONINFO info{FALSE, 0, 0, mask, bitmap};
  HICON icon = CreateIconIndirect(&info);
  ASSERT_NE(nullptr, icon);
  ICONINFO back{};
  ASSERT_TRUE(GetIconInfo(icon, &back));
  BITMAP size{};
  ASSERT_EQ(static_cast<int>(sizeof(BITMAP)), GetObjectW(back.hbmColor, sizeof(size), &size));
  EXPECT_EQ(4, size.bmWidth);
  EXPECT_EQ(3, size.bmHeight);
  DeleteObject(back.hbmColor);
  DeleteObject(back.hbmMask);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  DeleteObject(bitmap);
  DeleteObject(mask);
  DeleteDC(dc);
}

TEST_F(Gdi, SystemIconsAndCursors) {
  const LPCWSTR known[] = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK, IDI_APPLICATION};
  for (LPCWSTR name : known) {
    HICON icon = LoadIconW(nullptr, name);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(icon, LoadIconW(nullptr, name));  // shared
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(icon, LoadIconW(nullptr, name));
  }
  EXPECT_EQ(nullptr, LoadIconW(nullptr, MAKEINTRESOURCEW(1)));
  EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  ASSERT_NE(nullptr, arrow);
  SetCursor(arrow);
  EXPECT_EQ(arrow, GetCursor());
}

TEST_F(Gdi, ShellIconsIntoImageLists) {
  EXPECT_EQ(100u, ExtractIconExW(L"SHELL32.DLL", -1, nullptr, nullptr, 0));
  EXPECT_EQ(0u, ExtractIconExW(L"other.dll", 0, nullptr, nullptr, 1));
  HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK, 6, 0);
  ASSERT_NE(nullptr, list);
  for (int index : {6, 8, 7, 3, 4, 1, 15}) {
    HICON small = nullptr;
    ASSERT_EQ(1u, ExtractIconExW(L"c:\\windows\\system32\\shell32.dll", index, nullptr, &small, 1));
    EXPECT_NE(-1, ImageList_ReplaceIcon(list, -1, small));
    DestroyIcon(small);
  }
  EXPECT_EQ(7, ImageList_GetImageCount(list));  // grows past its initial room
  EXPECT_EQ(-1, ImageList_ReplaceIcon(list, 9, LoadIconW(nullptr, IDI_HAND)));
  EXPECT_EQ(2, ImageList_ReplaceIcon(list, 2, LoadIconW(nullptr, IDI_HAND)));
  EXPECT_TRUE(ImageList_Destroy(list));
  EXPECT_FALSE(ImageList_Destroy(list));
}

}  // namespace
