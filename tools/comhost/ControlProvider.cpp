#include "ControlProvider.h"

#include <com/bstr.h>
#include <com/registry.h>

#include <win32/window.h>

#include <cstdio>
#include <stdexcept>

#include "ContainerWindow.h"
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

// Screen pixels (96 to the inch) in HIMETRIC.
LONG himetric(LONG pixels)
{
    return pixels * 2540 / 96;
}

// Sites the control in one call where it can take it, as browsers do.
void siteControl(IOleObject* object, ControlSite* site, const RECT& position)
{
    com::ComPtr<IQuickActivate> quick = com::queryInterface<IQuickActivate>(object);
    if (!quick) {
        check(object->SetClientSite(site), "SetClientSite");
        return;
    }
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = site;
    container.pAdviseSink = site;
    container.pPropertyNotifySink = site;
    QACONTROL control{};
    control.cbSize = sizeof control;
    check(quick->QuickActivate(&container, &control), "QuickActivate");
    SIZEL extent{himetric(position.right - position.left), himetric(position.bottom - position.top)};
    quick->SetContentExtent(&extent);
}

}  // namespace

ControlProvider::ControlProvider(const std::shared_ptr<PageBrowser>& browser, ContainerWindow& container,
                                 ClassObjectFunction getClassObject)
    : m_browser(browser), m_container(container), m_getClassObject(getClassObject)
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
    // Controls stand one below the other, 300 x 150 each.
    const LONG top = 150 * static_cast<LONG>(m_controls.size());
    const RECT position{0, top, 300, top + 150};
    control.site->setPosition(position);
    siteControl(control.object.get(), control.site.get(), position);

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
    check(control.object->DoVerb(OLEIVERB_INPLACEACTIVATE, control.site.get(), browser->window(), &position),
          "DoVerb");
    if (com::ComPtr<IOleInPlaceObject> inPlace = control.object.query<IOleInPlaceObject>()) {
        RECT clip{};
        GetClientRect(browser->window(), &clip);
        inPlace->SetObjectRects(&position, &clip);
    }
    m_container.place(control.site.get(), control.object.get());

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
    m_container.remove(control.site.get());
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
