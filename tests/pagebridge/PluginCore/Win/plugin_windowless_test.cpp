#include <gtest/gtest.h>

#include <win32/desktop.h>
#include <win32/windows.h>
#include <win32/gdi.h>
#include <win32/messages.h>

#include <memory>
#include <string>
#include <vector>

#include "PluginCore/FactoryBase.h"
#include "PluginCore/PluginEvent.h"
#include "PluginCore/Win/PluginWindowlessWin.h"
#include "../TestFactory.h"

namespace {

struct HostWindow : PB::WindowlessHostWindow {
    std::vector<std::pair<int, int>> sizes;
    void setWindowSize(int w, int h) override { sizes.emplace_back(w, h); }
};

class Observer : public PB::PluginEventSink {
public:
    std::vector<std::string> seen;
    bool paints = false;
    // When set, raw messages are taken with this result.
    bool takesRaw = false;
    LRESULT rawResult = 0;
    PB::MouseEvent lastMouse{0, 0, 0};
    bool HandleEvent(PB::PluginEvent* e, PB::PluginEventSource*) override
    {
        if (dynamic_cast<PB::AttachedEvent*>(e))
            return false;
        if (auto* raw = dynamic_cast<PB::WindowsEvent*>(e)) {
            seen.push_back("raw");
            if (takesRaw)
                raw->lRes = rawResult;
            return takesRaw;
        }
        if (dynamic_cast<PB::RefreshEvent*>(e)) {
            seen.push_back("refresh");
            return paints;
        }
        if (auto* m = dynamic_cast<PB::MouseEvent*>(e)) {
            lastMouse = *m;
            seen.push_back("mouse");
            return true;
        }
        seen.push_back(dynamic_cast<PB::ResizedEvent*>(e) ? "resized" : "other");
        return true;
    }
};

struct Windowless : ::testing::Test {
    HDC dc = CreateCompatibleDC(nullptr);
    std::shared_ptr<HostWindow> host = std::make_shared<HostWindow>();
    std::unique_ptr<PB::PluginWindowlessWin> window{
        getPluginFactory()->createPluginWindowless(PB::WindowContextWindowless{dc, host})};
    std::shared_ptr<Observer> observer = std::make_shared<Observer>();
    void SetUp() override { window->AttachObserver(observer); }
    void TearDown() override
    {
        window.reset();
        DeleteDC(dc);
    }
};

TEST_F(Windowless, PositionsClippingAndInvalidation)
{
    window->setWindowPosition(100, 50, 200, 100);
    window->setWindowPosition(100, 50, 200, 100);  // unchanged: nothing sent
    EXPECT_EQ(observer->seen, (std::vector<std::string>{"resized"}));
    EXPECT_EQ(host->sizes, (std::vector<std::pair<int, int>>{{200, 100}}));
    const PB::Rect pos = window->getWindowPosition();
    EXPECT_EQ(pos.top, 50);
    EXPECT_EQ(pos.left, 100);
    EXPECT_EQ(pos.bottom, 150);
    EXPECT_EQ(pos.right, 300);

    window->setWindowClipping(1, 2, 3, 4);
    EXPECT_EQ(window->getWindowClipping().right, 4);

    window->InvalidateWindow();  // no function yet: nothing
    std::vector<std::uint32_t> invalidated;
    window->setInvalidateWindowFunc([&invalidated](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
        invalidated = {a, b, c, d};
    });
    window->InvalidateWindow();
    EXPECT_EQ(invalidated, (std::vector<std::uint32_t>{0, 0, 200, 100}));
}

TEST_F(Windowless, DrawingTheDefaultLabel)
{
    window->setWindowPosition(100, 50, 200, 100);
    EXPECT_TRUE(window->HandleDraw(dc, PB::Rect()));
    const auto drawn = win32::desktop::textDrawn(dc);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].text, L"PageBridge Plugin");
    EXPECT_EQ(drawn[0].x, 200);
    EXPECT_EQ(drawn[0].y, 100);
    EXPECT_EQ(drawn[0].align, static_cast<UINT>(TA_CENTER | TA_BASELINE));

    observer->paints = true;
    EXPECT_TRUE(window->HandleDraw(dc, PB::Rect()));
    EXPECT_EQ(win32::desktop::textDrawn(dc).size(), 1u);  // nothing more drawn
}

TEST_F(Windowless, InputRelativeToTheArea)
{
    window->setWindowPosition(100, 50, 200, 100);
    observer->seen.clear();
    LRESULT result = 42;
    EXPECT_TRUE(window->HandleEvent(WM_LBUTTONDOWN, 0, MAKELPARAM(130, 70), result));
    EXPECT_EQ(observer->lastMouse.m_x, 30);
    EXPECT_EQ(observer->lastMouse.m_y, 20);
    EXPECT_EQ(result, 42);  // left untouched

    observer->seen.clear();
    EXPECT_FALSE(window->HandleEvent(WM_MOUSEWHEEL, 0, 0, result));
    EXPECT_EQ(observer->seen, (std::vector<std::string>{"raw"}));
}

TEST_F(Windowless, ATakenRawMessageAnswersWithItsResult)
{
    observer->takesRaw = true;
    observer->rawResult = 77;
    LRESULT result = 42;
    EXPECT_TRUE(window->HandleEvent(WM_LBUTTONDOWN, 0, 0, result));
    EXPECT_EQ(result, 77);
    EXPECT_EQ(observer->seen, (std::vector<std::string>{"raw"}));  // nothing made of it

    observer->takesRaw = false;
    result = 42;
    EXPECT_FALSE(window->HandleEvent(WM_TIMER, 0, 0, result));
    EXPECT_EQ(result, 42);
}

}  // namespace
