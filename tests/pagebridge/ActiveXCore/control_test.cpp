// The control: made through the class object, sited (and sited again),
// given its parameters, activated in place with or without a window,
// drawn, given input, deactivated and shut down.

#include <win32/desktop.h>
#include <win32/gdi.h>
#include <win32/messages.h>
#include <win32/rect.h>
#include <win32/window.h>

#include <functional>
#include <ostream>

#include "ActiveXCore/ComExports.h"
#include "ActiveXCore/Guids.h"
#include "ActiveXCore/JSAPI_IDispatchEx.h"
#include "AxFixture.h"
#include "pagebridge/HostWire/TestPlugin.h"
#include "PluginCore/Win/PluginWindowlessWin.h"
#include "PropertyBag.h"

namespace {

using PB::ActiveX::CLSID_PBControl0;

class Control : public axtest::AxFixture {
protected:
    com::ComPtr<IOleObject> create()
    {
        com::ComPtr<IClassFactory> factory;
        EXPECT_EQ(DllGetClassObject(CLSID_PBControl0, IID_IClassFactory, factory.putVoid()), S_OK);
        com::ComPtr<IOleObject> control;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOleObject, control.putVoid()), S_OK);
        plugin = hostwire_test::testFactory()->lastPlugin.lock();
        return control;
    }
    static LONG readyState(IOleObject* control)
    {
        com::ComPtr<IDispatch> face = com::queryInterface<IDispatch>(control);
        DISPPARAMS none{};
        com::Variant state;
        face->Invoke(DISPID_READYSTATE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &state, nullptr, nullptr);
        return state.lVal;
    }
    // Loads the control's parameters from a bag: each name with a boolean.
    static void load(IOleObject* control, const std::vector<std::pair<std::wstring, bool>>& flags)
    {
        auto bag = com::ComPtr<comhost::PropertyBag>::adopt(new comhost::PropertyBag());
        for (const auto& flag : flags) {
            com::Variant value;
            value.vt = VT_BOOL;
            value.boolVal = flag.second ? VARIANT_TRUE : VARIANT_FALSE;
            bag->add(flag.first, value);
        }
        ASSERT_EQ(com::queryInterface<IPersistPropertyBag>(control)->Load(static_cast<IPropertyBag*>(bag.get()),
                                                                          nullptr),
                  S_OK);
    }
    std::shared_ptr<hostwire_test::TestPlugin> plugin;
};

TEST_F(Control, ClassObjectOnlyForTheControl)
{
    const CLSID others[] = {PB::ActiveX::CLSID_PBComJavascriptObject, GUID_NULL, IID_IDispatch};
    for (const CLSID& clsid : others) {
        void* object = &object;
        EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(DllGetClassObject(CLSID_PBControl0, IID_IClassFactory, nullptr), E_POINTER);
    com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(CLSID_PBControl0, IID_IClassFactory, factory.putVoid()), S_OK);
    com::ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(static_cast<IUnknown*>(factory.get()), IID_IUnknown, aggregated.putVoid()),
              CLASS_E_NOAGGREGATION);
}

TEST_F(Control, SitedLoadedActivatedDeactivatedAndShutDown)
{
    com::ComPtr<IOleObject> control = create();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(readyState(control.get()), READYSTATE_LOADING);
    ASSERT_EQ(control->SetClientSite(site.get()), S_OK);

    auto bag = com::ComPtr<comhost::PropertyBag>::adopt(new comhost::PropertyBag());
    com::Variant text, number, unreadable;
    text.vt = VT_BSTR;
    text.bstrVal = com::allocBstr(L"x");
    number.vt = VT_I4;
    number.lVal = 2;
    bag->add(L"Text", text);
    bag->add(L"number", number);
    bag->add(L"hidden", text, false);
    ASSERT_EQ(control.query<IPersistPropertyBag>()->Load(static_cast<IPropertyBag*>(bag.get()), nullptr), S_OK);
    EXPECT_EQ(plugin->getParam("Text").value_or(""), "x");  // names keep their case
    EXPECT_EQ(plugin->getParamVariant("number").convert_cast<int>(), 2);
    EXPECT_FALSE(plugin->getParam("hidden"));
    EXPECT_EQ(readyState(control.get()), READYSTATE_COMPLETE);

    const RECT position{0, 0, 200, 100};
    ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, site.get(), window, &position), S_OK);
    EXPECT_TRUE(site->inPlaceActive());
    EXPECT_NE(plugin->GetWindow(), nullptr);
    HWND controlWindow = nullptr;
    EXPECT_EQ(control.query<IOleInPlaceObject>()->GetWindow(&controlWindow), S_OK);
    EXPECT_TRUE(IsWindow(controlWindow));
    // The container shows only part of it: the window's region says which.
    const RECT clip{50, 0, 800, 600};
    ASSERT_EQ(control.query<IOleInPlaceObject>()->SetObjectRects(&position, &clip), S_OK);
    HRGN shown = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(controlWindow, shown), SIMPLEREGION);
    RECT box{};
    GetRgnBox(shown, &box);
    const RECT visible{50, 0, 200, 100};
    EXPECT_TRUE(EqualRect(&box, &visible));
    DeleteObject(shown);
    // Ready once, announced once, although Load and activation both lead there.
    EXPECT_EQ(plugin->readyCalls, 1);
    EXPECT_EQ(site->changes(), (std::vector<DISPID>{DISPID_READYSTATE}));

    ASSERT_EQ(control.query<IOleInPlaceObject>()->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(site->inPlaceActive());
    EXPECT_EQ(plugin->GetWindow(), nullptr);
    EXPECT_FALSE(IsWindow(controlWindow));

    const PB::BrowserHostPtr controlHost = plugin->getHost();
    ASSERT_EQ(control->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(plugin->shutdownCalls, 1);
    EXPECT_TRUE(controlHost->isShutDown());
}

TEST_F(Control, MadeByScriptItIsReadyOnceSited)
{
    com::ComPtr<IOleObject> control = create();
    ASSERT_EQ(control.query<IObjectWithSite>()->SetSite(static_cast<IOleClientSite*>(site.get())), S_OK);
    EXPECT_TRUE(plugin->isScriptingOnly());
    EXPECT_EQ(plugin->readyCalls, 1);
    EXPECT_EQ(readyState(control.get()), READYSTATE_COMPLETE);
    control.query<IObjectWithSite>()->SetSite(nullptr);
    EXPECT_EQ(plugin->shutdownCalls, 1);
}

TEST_F(Control, ASiteWithoutServicesIsRefused)
{
    struct BareSite final : com::RefCounted<IOleClientSite> {
        HRESULT QueryInterface(REFIID riid, void** object) override
        {
            return com::answerQuery(riid, object, this, {{IID_IOleClientSite, this}});
        }
    };
    com::ComPtr<IOleObject> control = create();
    auto bare = com::ComPtr<BareSite>::adopt(new BareSite());
    EXPECT_EQ(control->SetClientSite(bare.get()), E_FAIL);
    EXPECT_FALSE(plugin->getHost());
}

TEST_F(Control, DeclaresItselfSafeForScripting)
{
    com::ComPtr<IOleObject> control = create();
    com::ComPtr<IObjectSafety> safety = control.query<IObjectSafety>();
    const struct {
        IID iid;
        DWORD mask;
        DWORD enabled;
        HRESULT hr;
        DWORD after;
    } cases[] = {
        {IID_IDispatch, 3, 1, S_OK, 1},
        {IID_IDispatch, 4, 4, E_FAIL, 1},
        {IID_IDispatch, 2, 2, S_OK, 3},
        {IID_IOleClientSite, 1, 1, E_NOINTERFACE, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(c.iid, c.mask, c.enabled), c.hr);
        DWORD supported = 0, enabled = 0;
        safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
        EXPECT_EQ(supported, 3u);
        EXPECT_EQ(enabled, c.after);
    }
    DWORD supported = 9, enabled = 9;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IOleClientSite, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported + enabled, 0u);
}

TEST_F(Control, ReleasedWhileSitedTheControlStillShutsThePluginDown)
{
    com::ComPtr<IOleObject> control = create();
    ASSERT_EQ(control->SetClientSite(site.get()), S_OK);
    control.query<IPersistPropertyBag>()->InitNew();
    control.reset();
    EXPECT_EQ(plugin->shutdownCalls, 1);
}

TEST_F(Control, AnswersEveryInterfaceOfAControl)
{
    com::ComPtr<IOleObject> control = create();
    const struct {
        const char* name;
        IID iid;
    } faces[] = {
        {"IPBComEventSource", PB::ActiveX::DIID_IPBComEventSource},
        {"IDispatch", IID_IDispatch},
        {"IDispatchEx", IID_IDispatchEx},
        {"IPageBridgeObject", IID_IPageBridgeObject},
        {"IViewObjectEx", IID_IViewObjectEx},
        {"IViewObject2", IID_IViewObject2},
        {"IViewObject", IID_IViewObject},
        {"IOleInPlaceObjectWindowless", IID_IOleInPlaceObjectWindowless},
        {"IOleInPlaceObject", IID_IOleInPlaceObject},
        {"IOleWindow", IID_IOleWindow},
        {"IOleInPlaceActiveObject", IID_IOleInPlaceActiveObject},
        {"IOleControl", IID_IOleControl},
        {"IOleObject", IID_IOleObject},
        {"IConnectionPointContainer", IID_IConnectionPointContainer},
        {"IConnectionPoint", IID_IConnectionPoint},
        {"IQuickActivate", IID_IQuickActivate},
        {"IObjectWithSite", IID_IObjectWithSite},
        {"IObjectSafety", IID_IObjectSafety},
        {"IPersistPropertyBag", IID_IPersistPropertyBag},
        {"IProvideClassInfo", IID_IProvideClassInfo},
        {"IProvideClassInfo2", IID_IProvideClassInfo2},
    };
    const com::ComPtr<IUnknown> identity = control.query<IUnknown>();
    for (const auto& face : faces) {
        com::ComPtr<IUnknown> answered;
        ASSERT_EQ(control->QueryInterface(face.iid, answered.putVoid()), S_OK) << face.name;
        EXPECT_EQ(answered.query<IUnknown>().get(), identity.get()) << face.name;
    }
    com::ComPtr<IUnknown> none;
    EXPECT_EQ(control->QueryInterface(IID_IPropertyBag, none.putVoid()), E_NOINTERFACE);
}

TEST_F(Control, QuickActivationSitesItAsSetClientSiteDoes)
{
    com::ComPtr<IOleObject> control = create();
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = site.get();
    container.pAdviseSink = site.get();
    container.pPropertyNotifySink = site.get();
    QACONTROL answer{};
    answer.cbSize = sizeof answer;
    ASSERT_EQ(control.query<IQuickActivate>()->QuickActivate(&container, &answer), S_OK);
    EXPECT_TRUE(plugin->getHost());
    EXPECT_EQ(answer.dwMiscStatus, 131473u);  // as its class's MiscStatus key says
    EXPECT_EQ(answer.dwPropNotifyCookie, 0u);   // the ready state is told through the site instead
    control.query<IPersistPropertyBag>()->InitNew();
    EXPECT_EQ(site->changes(), (std::vector<DISPID>{DISPID_READYSTATE}));
    control->SetClientSite(nullptr);
}

struct ResitingCase {
    const char* name;
    const char* sitings;  // c: SetClientSite, s: SetSite; ready after the first
};

void PrintTo(const ResitingCase& c, std::ostream* os)
{
    *os << c.name;
}

class Resiting : public Control, public testing::WithParamInterface<ResitingCase> {
protected:
    // Sites the control as the row says, ready after the first siting, when
    // beforeResiting runs; returns the first host, which should have gone.
    std::weak_ptr<PB::BrowserHost> siteAsTheRowSays(IOleObject* control,
                                                    const std::function<void()>& beforeResiting = nullptr)
    {
        std::weak_ptr<PB::BrowserHost> first;
        for (const char* step = GetParam().sitings; *step; ++step) {
            if (*step == 'c')
                EXPECT_EQ(control->SetClientSite(site.get()), S_OK);
            else
                EXPECT_EQ(com::queryInterface<IObjectWithSite>(control)->SetSite(
                              static_cast<IOleClientSite*>(site.get())),
                          S_OK);
            if (step == GetParam().sitings) {
                com::queryInterface<IPersistPropertyBag>(control)->InitNew();
                first = plugin->getHost();
                if (beforeResiting)
                    beforeResiting();
            }
        }
        return first;
    }
    // The page adds a handler through the control's scripting face, its
    // function converted by the control's current host.
    void listen(IOleObject* control, IDispatch* function, bool add)
    {
        auto* face = dynamic_cast<PB::ActiveX::JSAPI_IDispatchExBase*>(
            com::queryInterface<IPageBridgeObject>(control).get());
        ASSERT_TRUE(face);
        auto current = std::dynamic_pointer_cast<PB::ActiveX::ActiveXBrowserHost>(plugin->getHost());
        const PB::JSObjectPtr handler = PB::ActiveX::IDispatchAPI::create(function, current);
        face->eventListener(PB::VariantList{PB::variant("ondone"), PB::variant(handler)}, add);
    }
};

TEST_P(Resiting, ScriptCallsGoThroughTheCurrentHost)
{
    com::ComPtr<IOleObject> control = create();
    const std::shared_ptr<PB::BrowserHost> old = siteAsTheRowSays(control.get()).lock();
    EXPECT_TRUE(old == nullptr || old->isShutDown());
    ASSERT_FALSE(plugin->getHost()->isShutDown());
    com::ComPtr<IDispatchEx> face = control.query<IDispatchEx>();
    ASSERT_EQ(call(face.get(), L"add", DISPATCH_METHOD, {"2", "3"}), S_OK);
    page.run(axtest::logOutcome("r"));
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{"r: 5"}));
    control->SetClientSite(nullptr);
}

TEST_P(Resiting, SinksAndHandlersAddedBeforeStillHearEvents)
{
    com::ComPtr<IOleObject> control = create();
    com::ComPtr<IConnectionPoint> point = control.query<IConnectionPoint>();
    com::ComPtr<IDispatch> sink = pageDispatch("({ ondone: function (v) { console.log('sink ' + v); } })");
    com::ComPtr<IDispatch> handler = pageDispatch("(function (v) { console.log('handler ' + v); })");
    DWORD cookie = 0;
    const auto addBoth = [&] {
        EXPECT_EQ(point->Advise(sink.get(), &cookie), S_OK);
        listen(control.get(), handler.get(), true);
    };
    const std::shared_ptr<PB::BrowserHost> old = siteAsTheRowSays(control.get(), addBoth).lock();
    EXPECT_TRUE(old == nullptr || old->isShutDown());
    com::ComPtr<IDispatchEx> face = control.query<IDispatchEx>();
    ASSERT_EQ(call(face.get(), L"fire", DISPATCH_METHOD, {"'ondone'", "7"}), S_OK);
    idle();
    // The container's cookie and the page's function still take them away.
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    listen(control.get(), handler.get(), false);
    ASSERT_EQ(call(face.get(), L"fire", DISPATCH_METHOD, {"'ondone'", "8"}), S_OK);
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{"handler 7", "sink 7"}));
    control->SetClientSite(nullptr);
}

const ResitingCase kResitings[] = {
    {"ClientSiteThenSite", "cs"},
    {"SiteThenClientSite", "sc"},
    {"ClientSiteTwice", "cc"},
};
INSTANTIATE_TEST_SUITE_P(Table, Resiting, testing::ValuesIn(kResitings),
                         [](const testing::TestParamInfo<ResitingCase>& info) { return std::string(info.param.name); });

class Windowless : public Control {
protected:
    void SetUp() override
    {
        control = create();
        ASSERT_EQ(control->SetClientSite(site.get()), S_OK);
        load(control.get(), {{L"windowless", true}});
        ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, site.get(), window, &kPosition), S_OK);
        ASSERT_EQ(control.query<IOleInPlaceObject>()->SetObjectRects(&kPosition, &kClip), S_OK);
        pluginWindow = dynamic_cast<PB::PluginWindowlessWin*>(plugin->GetWindow());
        ASSERT_TRUE(pluginWindow);
    }
    void TearDown() override { control->SetClientSite(nullptr); }

    static constexpr RECT kPosition{10, 20, 310, 170};
    static constexpr RECT kClip{0, 0, 200, 800};
    com::ComPtr<IOleObject> control;
    PB::PluginWindowlessWin* pluginWindow = nullptr;
};

TEST_F(Windowless, ThePluginWindowStandsWhereTheContainerPutsIt)
{
    HWND own = nullptr;
    EXPECT_EQ(control.query<IOleWindow>()->GetWindow(&own), E_FAIL);
    const PB::Rect position = pluginWindow->getWindowPosition();
    EXPECT_EQ(position.left, 10);
    EXPECT_EQ(position.top, 20);
    EXPECT_EQ(pluginWindow->getWindowWidth(), 300);
    EXPECT_EQ(pluginWindow->getWindowHeight(), 150);
    const PB::Rect clip = pluginWindow->getWindowClipping();
    EXPECT_EQ(clip.right, 200);
    EXPECT_EQ(clip.bottom, 800);
}

TEST_F(Windowless, TheContainerDrawsItThroughItsView)
{
    HDC dc = GetDC(window);
    const RECTL bounds{10, 20, 310, 170};
    ASSERT_EQ(control.query<IViewObjectEx>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds,
                                                   nullptr, nullptr, 0),
              S_OK);
    EXPECT_EQ(plugin->inputs, (std::vector<std::string>{"refresh 10,20,310,170"}));
    // Nobody painted: the window drew its label.
    const std::vector<win32::desktop::TextOut> drawn = win32::desktop::textDrawn(dc);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].text, L"PageBridge Plugin");
    ReleaseDC(window, dc);

    // The plug-in asks for a repaint: the site invalidates the control's area.
    ValidateRect(window, nullptr);
    pluginWindow->InvalidateWindow();
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
}

TEST_F(Windowless, MessagesReachThePluginWithFocusAndCapture)
{
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* input;
        bool focus;
        bool capture;
    } cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 30), "mouse down 0 at 5,10", true, true},
        {WM_LBUTTONUP, 0, MAKELPARAM(16, 31), "mouse up 0 at 6,11", true, false},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 50), "mouse down 1 at 30,30", true, true},
        {WM_RBUTTONUP, 0, MAKELPARAM(40, 50), "mouse up 1 at 30,30", true, false},
        {WM_KEYDOWN, 'A', 1, "key down 65", true, false},
        {WM_KEYUP, 'A', static_cast<LPARAM>(0xC0000001u), "key up 65", true, false},
    };
    com::ComPtr<IOleInPlaceObjectWindowless> inPlace = control.query<IOleInPlaceObjectWindowless>();
    for (const auto& c : cases) {
        plugin->inputs.clear();
        LRESULT result = -1;
        EXPECT_EQ(inPlace->OnWindowMessage(c.message, c.wParam, c.lParam, &result), S_FALSE) << c.input;
        EXPECT_EQ(plugin->inputs, std::vector<std::string>{c.input});
        EXPECT_EQ(site->hasFocus(), c.focus) << c.input;
        EXPECT_EQ(site->hasCapture(), c.capture) << c.input;
    }
    // Deactivated, the plug-in has no window any more.
    ASSERT_EQ(control.query<IOleInPlaceObject>()->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(plugin->GetWindow());
    EXPECT_FALSE(site->hasFocus());
}

TEST_F(Control, ClassInformationComesFromTheTypeLibrary)
{
    com::ComPtr<IOleObject> control = create();
    com::ComPtr<IProvideClassInfo2> info = control.query<IProvideClassInfo2>();
    GUID source{};
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, PB::ActiveX::DIID_IPBComEventSource);
    com::ComPtr<ITypeInfo> type;
    ASSERT_EQ(info->GetClassInfo(type.put()), S_OK);
    com::Bstr name, doc;
    type->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr);
    EXPECT_EQ(name.text(), L"PBControl0");
    EXPECT_EQ(doc.text(), L"Velon Control Class");
}

}  // namespace
