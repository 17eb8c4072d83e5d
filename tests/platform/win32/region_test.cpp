// Rectangle arithmetic, rectangular regions and window regions.
#include "DesktopFixture.h"

namespace {

using win32test::DesktopTest;
using win32test::recordingClass;

struct IntersectCase {
  const char* name;
  RECT a;
  RECT b;
  BOOL overlap;
  RECT common;
};

class Intersect : public ::testing::TestWithParam<IntersectCase> {};

TEST_P(Intersect, GivesTheCommonPartOrNothing) {
  const IntersectCase& c = GetParam();
  RECT out{9, 9, 9, 9};
  EXPECT_EQ(c.overlap, IntersectRect(&out, &c.a, &c.b));
  EXPECT_TRUE(EqualRect(&out, &c.common));
  EXPECT_EQ(c.overlap, IntersectRect(&out, &c.b, &c.a));  // either order
}

INSTANTIATE_TEST_SUITE_P(
    Rects, Intersect,
    ::testing::Values(IntersectCase{"inside", {0, 0, 100, 50}, {10, 10, 20, 20}, TRUE, {10, 10, 20, 20}},
                      IntersectCase{"overlapping", {0, 0, 100, 50}, {50, 20, 150, 80}, TRUE, {50, 20, 100, 50}},
                      IntersectCase{"touching_edges", {0, 0, 10, 10}, {10, 0, 20, 10}, FALSE, {0, 0, 0, 0}},
                      IntersectCase{"apart", {0, 0, 10, 10}, {30, 30, 40, 40}, FALSE, {0, 0, 0, 0}},
                      IntersectCase{"empty_one", {5, 5, 5, 20}, {0, 0, 10, 10}, FALSE, {0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<IntersectCase>& info) { return info.param.name; });

TEST(Rects, PointsOnTheRightAndBottomEdgesAreOutside) {
  const RECT rect{10, 20, 30, 40};
  const struct {
    POINT point;
    BOOL inside;
  } cases[] = {{{10, 20}, TRUE}, {{29, 39}, TRUE}, {{30, 25}, FALSE}, {{15, 40}, FALSE}, {{9, 25}, FALSE}};
  for (const auto& c : cases) EXPECT_EQ(c.inside, PtInRect(&rect, c.point)) << c.point.x << "," << c.point.y;
  RECT moved = rect;
  OffsetRect(&moved, -10, 5);
  const RECT expected{0, 25, 20, 45}, flat{3, 3, 3, 9};
  EXPECT_TRUE(EqualRect(&moved, &expected));
  EXPECT_TRUE(IsRectEmpty(&flat));
  EXPECT_FALSE(IsRectEmpty(&rect));
}

class Regions : public DesktopTest {};

TEST_F(Regions, RectangularRegionsKnowTheirBox) {
  HRGN region = CreateRectRgn(30, 40, 10, 20);  // edges in any order
  RECT box{};
  EXPECT_EQ(SIMPLEREGION, GetRgnBox(region, &box));
  const RECT expected{10, 20, 30, 40};
  EXPECT_TRUE(EqualRect(&box, &expected));
  HRGN empty = CreateRectRgn(5, 5, 5, 50);
  EXPECT_EQ(NULLREGION, GetRgnBox(empty, &box));
  EXPECT_TRUE(DeleteObject(region));
  EXPECT_TRUE(DeleteObject(empty));
  EXPECT_EQ(RGN_ERROR, GetRgnBox(region, &box));
}

TEST_F(Regions, AWindowKeepsTheRegionItWasGiven) {
  HWND hwnd = keep(CreateWindowExW(0, recordingClass(), L"", WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                   nullptr, nullptr));
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(RGN_ERROR, GetWindowRgn(hwnd, probe));  // none yet

  const RECT part{10, 0, 120, 60};
  ASSERT_NE(0, SetWindowRgn(hwnd, CreateRectRgnIndirect(&part), TRUE));
  RECT box{};
  EXPECT_EQ(SIMPLEREGION, GetWindowRgn(hwnd, probe));
  GetRgnBox(probe, &box);
  EXPECT_TRUE(EqualRect(&box, &part));
  EXPECT_EQ(1u, journalCount("SetWindowRgn", "region"));
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));  // redraw asked for

  ASSERT_NE(0, SetWindowRgn(hwnd, nullptr, FALSE));
  EXPECT_EQ(RGN_ERROR, GetWindowRgn(hwnd, probe));
  HRGN gone = CreateRectRgn(0, 0, 1, 1);
  DeleteObject(gone);
  EXPECT_EQ(0, SetWindowRgn(hwnd, gone, FALSE));  // no region any more
  EXPECT_EQ(0, SetWindowRgn(nullptr, nullptr, FALSE));
  DeleteObject(probe);
}

}  // namespace
