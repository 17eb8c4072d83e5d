#include "ControlProvider.h"

#include <com/bstr.h>
#include <com/registry.h>

#include <cstdio>
#include <stdexcept>

#include "ControlProxy.h"
#include "PageBrowser.h"
#include "PropertyBag.h"

namespace comhost {

namespace {

std::string hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

void check(HRESULT hr, const std::string& what)
{
    if (FAILED(hr))
        throw std::runtime_error(what + " failed: " + hex(hr));
}

}  // namespace

ControlProvider::ControlProvider(const std::shared_ptr<PageBrowser>& browser, ClassObjectFunction getClassObject)
    : m_browser(browser), m_getClassObject(getClassObject)
{
}

ControlProvider::~ControlProvider()
{
    destroyAll();
}

page::Value ControlProvider::create(const std::string& mimeType, const page::Value& params)
{
    std::shared_ptr<PageBrowser> browser = m_browser.lock();
    if (!browser)
        throw std::runtime_error("The page has gone");
    const auto clsidText = com::registry::getValue(com::registry::Root::ClassesRoot,
                                                   L"MIME\\Database\\Content Type\\" + com::fromUtf8(mimeType), L"CLSID");
    CLSID clsid;
    if (!clsidText || !com::parseGuid(clsidText->text, &clsid))
        throw std::runtime_error("No control is registered for " + mimeType);

    com::ComPtr<IClassFactory> factory;
    check(m_getClassObject(clsid, IID_IClassFactory, factory.putVoid()), "DllGetClassObject");
    Control control;
    check(factory->CreateInstance(nullptr, IID_IOleObject, control.object.putVoid()), "CreateInstance");

    page::Page& page = browser->page();
    const page::Value makeElement = page.evaluate(
        "(function (type) { var e = document.createElement('object'); e.setAttribute('type', type);"
        " document.body.appendChild(e); return e; })");
    const page::Value element = page.call(makeElement, {page::Value::string(mimeType)});
    page.release(makeElement);
    control.site = com::ComPtr<ControlSite>::adopt(new ControlSite(browser, browser->wrap(element)));
    check(control.object->SetClientSite(control.site.get()), "SetClientSite");

    com::ComPtr<PropertyBag> bag = com::ComPtr<PropertyBag>::adopt(new PropertyBag());
    if (params.is(page::Value::Type::Object)) {
        for (const auto& member : params.members()) {
            com::Variant value;
            browser->toVariant(member.second, &value);
            bag->add(com::fromUtf8(member.first), value);
        }
    }
    if (com::ComPtr<IPersistPropertyBag> persist = control.object.query<IPersistPropertyBag>())
        check(persist->Load(static_cast<IPropertyBag*>(bag.get()), nullptr), "Load");
    const RECT position{0, 0, 300, 150};
    check(control.object->DoVerb(OLEIVERB_INPLACEACTIVATE, control.site.get(), browser->window(), &position),
          "DoVerb");

    VARIANT face;
    VariantInit(&face);
    face.vt = VT_DISPATCH;
    check(control.object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&face.pdispVal)), "IDispatch");
    const page::Value plugin = browser->fromVariant(face);
    VariantClear(&face);
    control.face = plugin.hostObject();
    m_controls.push_back(std::move(control));
    return plugin;
}

void ControlProvider::tearDown(Control& control)
{
    if (com::ComPtr<IOleInPlaceObject> inPlace = control.object.query<IOleInPlaceObject>())
        inPlace->InPlaceDeactivate();
    control.object->Close(OLECLOSE_NOSAVE);
    control.object->SetClientSite(nullptr);
    control.object.reset();
    control.site.reset();
}

void ControlProvider::destroy(const page::Value& plugin)
{
    if (!plugin.is(page::Value::Type::Host))
        return;
    for (auto it = m_controls.begin(); it != m_controls.end(); ++it) {
        if (it->face == plugin.hostObject()) {
            Control control = std::move(*it);
            m_controls.erase(it);
            tearDown(control);
            return;
        }
    }
}

void ControlProvider::destroyAll()
{
    while (!m_controls.empty()) {
        Control control = std::move(m_controls.back());
        m_controls.pop_back();
        tearDown(control);
    }
}

}  // namespace comhost
