// A plug-in instance through the NPP functions: creation with the page's
// parameters, the page's onload handler, the scriptable object and the
// names, the plug-in window, and destruction.

#include <gtest/gtest.h>

#include <win32/messages.h>
#include <win32/window.h>
#include <win32/windows.h>

#include <thread>

#include "NpapiCore/NpapiPluginWin.h"
#include "NpapiFixture.h"
#include "PluginCore/PluginInfo.h"
#include "PluginCore/Win/PluginWindowWin.h"
#include "PluginCore/Win/PluginWindowlessWin.h"

namespace {

using test::FakeBrowser;
using test::FakeObject;

class NpapiInstance : public test::NpapiTest {};

TEST_F(NpapiInstance, NewHandsTheParametersAndSchedulesOnload)
{
    FakeObject* onload = browser->makeFunction("loaded");
    browser->window()->set("pluginLoaded", FakeBrowser::objectValue(onload));
    NPP instance = newInstance({{"onload", "pluginLoaded"}, {"color", "red"}, {"color", "blue"}, {"size", "3"}});
    ASSERT_NE(instance->pdata, nullptr);
    auto core = lastPlugin();
    EXPECT_EQ(core->getParam("color").value_or(""), "blue");  // a repeated name keeps the later value
    EXPECT_EQ(core->getParam("size").value_or(""), "3");
    EXPECT_EQ(PB::PluginCore::getBrowser(), "NPAPI");
    // onload runs from a page timer of 250 ms with the scriptable object.
    EXPECT_TRUE(onload->calls.empty());
    browser->pump();
    ASSERT_EQ(onload->calls.size(), 1u);
    EXPECT_EQ(onload->calls[0], "(plugin)");
    EXPECT_FALSE(data(instance)->plugin->setReady());  // ready once only

    EXPECT_EQ(destroy(instance), NPERR_NO_ERROR);
    EXPECT_EQ(instance->pdata, nullptr);
    EXPECT_EQ(destroy(instance), NPERR_INVALID_INSTANCE_ERROR);
}

TEST_F(NpapiInstance, ParametersWithoutValueAreDropped)
{
    instances.push_back(std::make_unique<NPP_t>());
    NPP instance = instances.back().get();
    instance->pdata = nullptr;
    char n1[] = "a", n2[] = "b", n3[] = "c", v1[] = "1", v3[] = "3";
    char* names[] = {n1, n2, n3};
    char* values[] = {v1, nullptr, v3};
    char type[] = "application/x-velon";
    ASSERT_EQ(plugin.newp(type, instance, NP_EMBED, 3, names, values, nullptr), NPERR_NO_ERROR);
    auto core = lastPlugin();
    EXPECT_EQ(core->getParam("a").value_or(""), "1");
    EXPECT_FALSE(core->getParam("b").is_initialized());
    EXPECT_EQ(core->getParam("c").value_or(""), "3");
}

TEST_F(NpapiInstance, CreationFailureLeavesNoInstance)
{
    NPError result = NPERR_NO_ERROR;
    NPP instance = newInstance({}, "application/x-broken", &result);
    EXPECT_EQ(result, NPERR_INCOMPATIBLE_VERSION_ERROR);
    EXPECT_EQ(instance->pdata, nullptr);
    EXPECT_EQ(plugin.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
}

TEST_F(NpapiInstance, ScriptableObjectIsOneObjectWithAReferencePerQuery)
{
    NPP instance = newInstance();
    NPObject* first = scriptable(instance);
    NPObject* second = scriptable(instance);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(browser->refCount(first), 3u);  // the instance's own and one per query
    browser->releaseObject(first);
    browser->releaseObject(second);
    EXPECT_EQ(browser->refCount(first), 1u);
}

TEST_F(NpapiInstance, AnswersNameAndDescription)
{
    NPP instance = newInstance();
    const struct {
        NPPVariable variable;
        NPError result;
        std::string text;
    } cases[] = {
        {NPPVpluginNameString, NPERR_NO_ERROR, PB::getPluginName("application/x-velon")},
        {NPPVpluginDescriptionString, NPERR_NO_ERROR, PB::getPluginDescription("application/x-velon")},
        {NPPVpluginWindowSize, NPERR_GENERIC_ERROR, ""},
    };
    for (const auto& c : cases) {
        const char* text = nullptr;
        EXPECT_EQ(plugin.getvalue(instance, c.variable, &text), c.result);
        EXPECT_EQ(text ? std::string(text) : std::string(), c.text);
    }
    EXPECT_EQ(plugin.setvalue(instance, NPNVisOfflineBool, nullptr), NPERR_NO_ERROR);
}

LRESULT CALLBACK childProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProcW(h, m, w, l);
}

HWND makeChild()
{
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &childProc;
        wc.lpszClassName = L"NpapiTestChild";
        return RegisterClassExW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExW(0, L"NpapiTestChild", L"plugin", WS_VISIBLE, 10, 20, 300, 150, nullptr, nullptr,
                           nullptr, nullptr);
}

NPWindow windowFor(void* handle, NPWindowType type = NPWindowTypeWindow)
{
    NPWindow window{};
    window.window = handle;
    window.x = 10;
    window.y = 20;
    window.width = 300;
    window.height = 150;
    window.clipRect = NPRect{20, 10, 170, 310};
    window.type = type;
    return window;
}

TEST_F(NpapiInstance, WindowedInstanceKeepsOneWindowPerHandle)
{
    NPP instance = newInstance();
    auto core = lastPlugin();
    HWND first = makeChild();
    HWND second = makeChild();
    NPWindow window = windowFor(first);
    EXPECT_EQ(plugin.setwindow(instance, &window), NPERR_NO_ERROR);
    PB::PluginWindow* attached = core->GetWindow();
    ASSERT_NE(dynamic_cast<PB::PluginWindowWin*>(attached), nullptr);
    EXPECT_EQ(plugin.setwindow(instance, &window), NPERR_NO_ERROR);
    EXPECT_EQ(core->GetWindow(), attached);  // the same handle: the same window

    window.window = second;
    EXPECT_EQ(plugin.setwindow(instance, &window), NPERR_NO_ERROR);
    auto* replaced = dynamic_cast<PB::PluginWindowWin*>(core->GetWindow());
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(replaced->getHWND(), second);

    NPEvent paint{WM_PAINT, 0, 0};
    EXPECT_EQ(plugin.event(instance, &paint), 0);  // windowed: messages come through the window
    EXPECT_EQ(plugin.setwindow(instance, nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(core->GetWindow(), nullptr);
    DestroyWindow(first);
    DestroyWindow(second);
}

TEST_F(NpapiInstance, WindowlessInstanceTellsTheBrowserAndTakesPaints)
{
    NPP instance = newInstance({{"windowless", "true"}});
    auto core = lastPlugin();
    ASSERT_EQ(browser->setValues.size(), 2u);
    EXPECT_EQ(browser->setValues[0].first, NPPVpluginWindowBool);
    EXPECT_EQ(browser->setValues[0].second, nullptr);
    EXPECT_EQ(browser->setValues[1].first, NPPVpluginTransparentBool);
    EXPECT_EQ(browser->setValues[1].second, reinterpret_cast<void*>(true));

    NPWindow window = windowFor(nullptr, NPWindowTypeDrawable);
    EXPECT_EQ(plugin.setwindow(instance, &window), NPERR_NO_ERROR);
    auto* windowless = dynamic_cast<PB::PluginWindowlessWin*>(core->GetWindow());
    ASSERT_NE(windowless, nullptr);
    window.x = 40;
    EXPECT_EQ(plugin.setwindow(instance, &window), NPERR_NO_ERROR);
    EXPECT_EQ(core->GetWindow(), windowless);
    EXPECT_EQ(windowless->getWindowPosition().left, 40);

    // A paint without a rectangle draws the whole area; one with a rectangle that.
    NPEvent whole{WM_PAINT, 0, 0};
    EXPECT_EQ(plugin.event(instance, &whole), 1);
    RECT area{1, 2, 3, 4};
    NPEvent part{WM_PAINT, 0, reinterpret_cast<uintptr_t>(&area)};
    EXPECT_EQ(plugin.event(instance, &part), 1);
    ASSERT_EQ(core->refreshed.size(), 2u);
    EXPECT_EQ(core->refreshed[0].top, 20);
    EXPECT_EQ(core->refreshed[0].left, 40);
    EXPECT_EQ(core->refreshed[0].bottom, 170);
    EXPECT_EQ(core->refreshed[0].right, 340);
    EXPECT_EQ(core->refreshed[1].top, 2);
    EXPECT_EQ(core->refreshed[1].left, 1);
    EXPECT_EQ(core->refreshed[1].bottom, 4);
    EXPECT_EQ(core->refreshed[1].right, 3);

    // A handled message's answer reaches the browser in 16 bits, clamped.
    const struct {
        std::intptr_t answer;
        int16_t expected;
    } answers[] = {{7, 7}, {-5, -5}, {100000, 32767}, {-100000, -32768}};
    for (const auto& a : answers) {
        core->rawAnswer = a.answer;
        NPEvent key{WM_KEYDOWN, 65, 0};
        EXPECT_EQ(plugin.event(instance, &key), a.expected) << a.answer;
    }
}

TEST_F(NpapiInstance, RepaintRequestsReachTheBrowserFromAnyThread)
{
    NPP instance = newInstance({{"windowless", "true"}});
    auto* win = dynamic_cast<PB::Npapi::NpapiPluginWin*>(data(instance)->plugin.get());
    ASSERT_NE(win, nullptr);
    win->invalidateWindow(1, 2, 3, 4);
    std::thread worker([win] { win->invalidateWindow(5, 6, 7, 8); });
    worker.join();
    ASSERT_EQ(browser->invalidated.size(), 1u);
    browser->pump();
    ASSERT_EQ(browser->invalidated.size(), 2u);
    const NPRect& late = browser->invalidated[1];
    EXPECT_EQ(late.top, 6);
    EXPECT_EQ(late.left, 5);
    EXPECT_EQ(late.bottom, 8);
    EXPECT_EQ(late.right, 7);
}

}  // namespace
