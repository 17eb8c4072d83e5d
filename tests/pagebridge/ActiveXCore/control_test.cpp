// The control: made through the class object, sited, given its parameters,
// activated in place, deactivated and shut down.

#include <win32/window.h>

#include <ostream>

#include "ActiveXCore/ComExports.h"
#include "ActiveXCore/Guids.h"
#include "AxFixture.h"
#include "pagebridge/HostWire/TestPlugin.h"
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
