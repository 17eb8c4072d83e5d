#include <gtest/gtest.h>

#include <win32/desktop.h>
#include <win32/windows.h>
#include <win32/keys.h>
#include <win32/messages.h>
#include <win32/queue.h>
#include <win32/window.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PluginCore/FactoryBase.h"
#include "PluginCore/PluginEvent.h"
#include "PluginCore/Win/KeyCodes.h"
#include "PluginCore/Win/PluginWindowWin.h"
#include "../TestFactory.h"

namespace {

LRESULT CALLBACK browserProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProcW(h, m, w, l);
}

LRESULT CALLBACK otherProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProcW(h, m, w, l);
}

// A browser-side child window at screen (400, 200), 300 by 150.
struct BrowserWindow {
    HWND hwnd;
    BrowserWindow()
    {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &browserProc;
            wc.lpszClassName = L"TestBrowserChild";
            return RegisterClassExW(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        hwnd = CreateWindowExW(0, L"TestBrowserChild", L"plugin", WS_VISIBLE, 400, 200, 300, 150, nullptr, nullptr,
                               nullptr, nullptr);
    }
    ~BrowserWindow() { DestroyWindow(hwnd); }
};

// Records the events that reach it and handles those it is told to.
class Observer : public PB::PluginEventSink {
public:
    std::vector<std::string> seen;
    bool handleRefresh = false;
    bool handleRaw = false;
    PB::MouseEvent lastMouse{0, 0, 99};
    unsigned int lastKey = 0, lastOsKey = 0;

    bool HandleEvent(PB::PluginEvent* e, PB::PluginEventSource*) override
    {
        if (dynamic_cast<PB::WindowsEvent*>(e)) {
            seen.push_back("raw");
            return handleRaw;
        }
        if (dynamic_cast<PB::RefreshEvent*>(e)) {
            seen.push_back("refresh");
            return handleRefresh;
        }
        if (auto* m = dynamic_cast<PB::MouseEvent*>(e)) {
            lastMouse = *m;
            seen.push_back(dynamic_cast<PB::MouseScrollEvent*>(e) ? "scroll" : "mouse");
            return true;
        }
        if (auto* k = dynamic_cast<PB::KeyEvent*>(e)) {
            lastKey = k->m_key;
            lastOsKey = k->m_os_key_code;
            seen.push_back("key");
            return true;
        }
        if (dynamic_cast<PB::AttachedEvent*>(e))
            return false;
        seen.push_back("other");
        return true;
    }
};

TEST(KeyCodes, Table)
{
    const struct {
        unsigned int vk;
        unsigned int key;
    } cases[] = {
        {'A', 84}, {'Z', 84}, {'0', 84}, {'9', 84}, {0, 84},   {134, 84}, {146, 84}, {VK_ADD, 0},  {1, 35},
        {13, 52},  {27, 9},   {32, 58},  {96, 39},  {105, 48}, {112, 11}, {113, 22}, {120, 32},    {121, 12},
        {130, 21}, {131, 23}, {133, 25}, {144, 38}, {145, 53}, {107, 0},  {110, 6},  {VK_TAB, 60},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PB::translateVirtualKey(c.vk), c.key) << c.vk;
}

struct Windowed : ::testing::Test {
    BrowserWindow browser;
    std::unique_ptr<PB::PluginWindowWin> window{
        getPluginFactory()->createPluginWindowWin(PB::WindowContextWin{browser.hwnd})};
    std::shared_ptr<Observer> observer = std::make_shared<Observer>();

    void SetUp() override { window->AttachObserver(observer); }
    void TearDown() override { win32::desktop::releaseKeys(); }
    LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageW(browser.hwnd, msg, w, l); }
};

TEST_F(Windowed, SubclassingAndRestoring)
{
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(browser.hwnd, GWLP_WNDPROC)),
              &PB::PluginWindowWin::subclassProc);
    window.reset();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(browser.hwnd, GWLP_WNDPROC)), &browserProc);

    // Someone else subclasses after us: their procedure stays.
    window.reset(getPluginFactory()->createPluginWindowWin(PB::WindowContextWin{browser.hwnd}));
    SetWindowLongPtrW(browser.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&otherProc));
    window.reset();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(browser.hwnd, GWLP_WNDPROC)), &otherProc);
}

TEST_F(Windowed, PaintEraseAndDialogCodes)
{
    EXPECT_EQ(send(WM_PAINT), 0);  // nobody painted: validated and handled
    observer->handleRefresh = true;
    InvalidateRect(browser.hwnd, nullptr, TRUE);
    send(WM_PAINT);
    // (Default processing of the painted message may send more raw messages.)
    EXPECT_EQ(std::count(observer->seen.begin(), observer->seen.end(), "refresh"), 2);

    EXPECT_EQ(send(WM_ERASEBKGND), 0);
    window->setSuppressEraseBackground(true);
    LRESULT result = 7;
    EXPECT_TRUE(window->WinProc(browser.hwnd, WM_ERASEBKGND, 0, 0, result));
    EXPECT_EQ(send(WM_GETDLGCODE), 0x87);
    EXPECT_EQ(send(WM_MOUSEACTIVATE), 1);
}

TEST_F(Windowed, MouseAndKeys)
{
    // A wheel notch at screen (500, 300) over a client origin at (400, 200).
    send(WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, MAKELPARAM(500, 300));
    EXPECT_EQ(observer->seen.back(), "scroll");
    EXPECT_EQ(observer->lastMouse.m_x, 100);
    EXPECT_EQ(observer->lastMouse.m_y, 100);

    win32::desktop::setKeyDown(VK_SHIFT, true);
    win32::desktop::setKeyDown(VK_CONTROL, true);
    send(WM_LBUTTONDOWN, 0, MAKELPARAM(10, 20));
    EXPECT_EQ(observer->lastMouse.m_state, 3u);
    EXPECT_EQ(observer->lastMouse.m_x, 10);
    send(WM_MOUSEMOVE, 0, MAKELPARAM(-5, 7));
    EXPECT_EQ(observer->lastMouse.m_state, 0u);
    EXPECT_EQ(observer->lastMouse.m_x, -5);

    send(WM_KEYDOWN, 'Q');
    EXPECT_EQ(observer->lastKey, 84u);
    EXPECT_EQ(observer->lastOsKey, static_cast<unsigned int>('Q'));
}

TEST_F(Windowed, RawMessagesComeFirstAndCanBeTaken)
{
    observer->handleRaw = true;
    send(WM_LBUTTONDOWN);
    EXPECT_EQ(observer->seen, (std::vector<std::string>{"raw"}));
}

TEST_F(Windowed, GeometryFromTheWindowRectangle)
{
    const PB::Rect r = window->getWindowPosition();
    EXPECT_EQ(r.left, 400);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(window->getWindowWidth(), 300);
    EXPECT_EQ(window->getWindowHeight(), 150);
}

TEST_F(Windowed, ASecondObjectForTheWindowOutlivesTheFirst)
{
    auto second = std::make_shared<Observer>();
    std::unique_ptr<PB::PluginWindowWin> newer(
        getPluginFactory()->createPluginWindowWin(PB::WindowContextWin{browser.hwnd}));
    newer->AttachObserver(second);
    window.reset();  // the older object goes: the newer one still gets the input
    send(WM_LBUTTONDOWN, 0, MAKELPARAM(1, 2));
    EXPECT_EQ(second->seen, (std::vector<std::string>{"raw", "mouse"}));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(browser.hwnd, GWLP_WNDPROC)),
              &PB::PluginWindowWin::subclassProc);
    newer.reset();  // the last one puts the browser's procedure back
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(browser.hwnd, GWLP_WNDPROC)), &browserProc);
}

// Names each event by kind (with the button of a button event) and answers
// every event but the raw message with the given answer.
class Describing : public PB::PluginEventSink {
public:
    std::vector<std::string> seen;
    bool answer = true;
    std::uintptr_t timerId = 0;

    bool HandleEvent(PB::PluginEvent* e, PB::PluginEventSource*) override
    {
        if (dynamic_cast<PB::AttachedEvent*>(e))
            return false;
        if (dynamic_cast<PB::WindowsEvent*>(e))
            return false;
        seen.push_back(describe(e));
        if (auto* timer = dynamic_cast<PB::TimerEvent*>(e))
            timerId = timer->timerId;
        return answer;
    }

private:
    static std::string describe(PB::PluginEvent* e)
    {
        const auto button = [](PB::PluginEvent* b) {
            return std::to_string(static_cast<PB::MouseButtonEvent*>(b)->m_Btn);
        };
        if (dynamic_cast<PB::MouseDoubleClickEvent*>(e))
            return "double " + button(e);
        if (dynamic_cast<PB::MouseDownEvent*>(e))
            return "down " + button(e);
        if (dynamic_cast<PB::MouseUpEvent*>(e))
            return "up " + button(e);
        if (dynamic_cast<PB::MouseScrollEvent*>(e))
            return "scroll";
        if (dynamic_cast<PB::MouseMoveEvent*>(e))
            return "move";
        if (dynamic_cast<PB::KeyUpEvent*>(e))
            return "key up";
        if (dynamic_cast<PB::TimerEvent*>(e))
            return "timer";
        if (dynamic_cast<PB::ResizedEvent*>(e))
            return "resized";
        if (dynamic_cast<PB::RefreshEvent*>(e))
            return "refresh";
        return "other";
    }
};

struct MessageCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    const char* event;  // "" for none
    bool handledWhenTaken;
    bool handledWhenLeft;
};

TEST_F(Windowed, MessagesBecomeEventsAndAnswers)
{
    const MessageCase cases[] = {
        {"right down", WM_RBUTTONDOWN, 0, "down 1", true, false},
        {"right up", WM_RBUTTONUP, 0, "up 1", true, false},
        {"middle down", WM_MBUTTONDOWN, 0, "down 2", true, false},
        {"middle up", WM_MBUTTONUP, 0, "up 2", true, false},
        {"left up", WM_LBUTTONUP, 0, "up 0", true, false},
        {"left double click", WM_LBUTTONDBLCLK, 0, "double 0", true, false},
        {"right double click", WM_RBUTTONDBLCLK, 0, "", false, false},
        {"middle double click", WM_MBUTTONDBLCLK, 0, "", false, false},
        {"key up", WM_KEYUP, 'Q', "key up", true, false},
        {"timer", WM_TIMER, 17, "timer", true, false},
        {"size", WM_SIZE, 0, "resized", true, false},
        {"wheel", WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, "scroll", true, false},
        // Painted by an observer: default processing still follows.
        {"paint", WM_PAINT, 0, "refresh", false, true},
        {"cursor", WM_SETCURSOR, 0, "", false, false},
    };
    auto describing = std::make_shared<Describing>();
    window->DetachObserver(observer);
    window->AttachObserver(describing);
    for (const bool taken : {true, false}) {
        for (const MessageCase& c : cases) {
            describing->seen.clear();
            describing->answer = taken;
            LRESULT result = -1;
            EXPECT_EQ(window->WinProc(browser.hwnd, c.message, c.wParam, 0, result),
                      taken ? c.handledWhenTaken : c.handledWhenLeft)
                << c.name << (taken ? " taken" : " left");
            const std::vector<std::string> expected =
                *c.event ? std::vector<std::string>{c.event} : std::vector<std::string>{};
            EXPECT_EQ(describing->seen, expected) << c.name;
        }
    }
    EXPECT_EQ(describing->timerId, 17u);
    // The cursor message puts up the arrow.
    SetCursor(nullptr);
    send(WM_SETCURSOR);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace
