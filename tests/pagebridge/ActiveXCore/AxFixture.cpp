#include "AxFixture.h"

#include <win32/window.h>

#include "pagebridge/HostWire/TestPlugin.h"
#include "Pump.h"

namespace axtest {

AxFixture::AxFixture()
    : page("https://site.example/app/"),
      window(CreateWindowExW(0, L"STATIC", L"page", 0, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr)),
      browser(std::make_shared<comhost::PageBrowser>(page, window))
{
    const page::Value element = page.evaluate("document.body.appendChild(document.createElement('object'))");
    site = com::ComPtr<comhost::ControlSite>::adopt(new comhost::ControlSite(browser, browser->wrap(element)));
    host = std::make_shared<PB::ActiveX::ActiveXBrowserHost>(browser->webBrowser().get(), site.get());
}

AxFixture::~AxFixture()
{
    host->shutdown();
    plugins.clear();
    host.reset();
    idle();
    site.reset();
    browser.reset();
    DestroyWindow(window);
}

void AxFixture::idle()
{
    EXPECT_TRUE(comhost::runUntilIdle(page, 10000));
}

com::ComPtr<IDispatch> AxFixture::pageDispatch(const std::string& expression)
{
    return browser->wrap(page.evaluate(expression));
}

std::shared_ptr<PB::ActiveX::IDispatchAPI> AxFixture::pageObject(const std::string& expression)
{
    return PB::ActiveX::IDispatchAPI::create(pageDispatch(expression).get(), host);
}

void AxFixture::expose(const std::string& name, const VARIANT& value)
{
    const page::Value object = page.window();
    page.set(object, name, browser->fromVariant(value));
    page.release(object);
}

com::ComPtr<IDispatchEx> AxFixture::apiWrapper(PB::JSAPIPtr* api, bool autoRelease)
{
    auto plugin = std::make_shared<hostwire_test::TestPlugin>();
    plugin->setHost(host);
    plugins.push_back(plugin);
    PB::JSAPIPtr made = plugin->getRootJSAPI();
    if (api)
        *api = made;
    return com::ComPtr<IDispatchEx>::adopt(host->getJSAPIWrapper(made, autoRelease));
}

DISPID AxFixture::dispId(IDispatchEx* face, const std::wstring& name)
{
    const com::Bstr text(name);
    DISPID id = 0;
    EXPECT_EQ(face->GetDispID(text.get(), 0, &id), S_OK) << com::toUtf8(name);
    return id;
}

HRESULT AxFixture::call(IDispatchEx* face, const std::wstring& member, WORD flags,
                        const std::vector<std::string>& args, const std::string& name)
{
    const DISPID id = dispId(face, member);
    com::VariantArray block(args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        browser->toVariant(page.evaluate(args[i]), &block[args.size() - 1 - i]);
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags & DISPATCH_PROPERTYPUT;
    DISPPARAMS params{block.data(), put ? &named : nullptr, static_cast<UINT>(args.size()), put ? 1u : 0u};
    com::Variant result;
    const HRESULT hr = face->InvokeEx(id, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
    if (result.vt != VT_EMPTY)
        expose(name, result);
    return hr;
}

std::string logOutcome(const std::string& name)
{
    return "window." + name + ".then(function (v) { console.log('" + name +
           ": ' + (typeof v === 'object' && v !== null ? JSON.stringify(v) : v)); }, function (e) { console.log('" +
           name + " failed: ' + e); });";
}

}  // namespace axtest
