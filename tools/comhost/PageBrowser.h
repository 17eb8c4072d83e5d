#pragma once
// The browser of the COM test container: the page engine's objects seen
// through COM (IDispatchEx, the MSHTML window, document, element and
// collection interfaces, the WebBrowser control) and the plug-in's objects
// seen by the page (host objects over their IDispatchEx). One place converts
// values between the page and COM. Everything runs on the page's thread.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <com/comptr.h>
#include <com/dispatch.h>
#include <com/mshtml.h>

#include "page/Page.h"

namespace comhost {

class PageObject;
class ControlProxy;

class PageBrowser : public std::enable_shared_from_this<PageBrowser> {
public:
    // window: the container window controls are placed in.
    PageBrowser(page::Page& page, HWND window);
    ~PageBrowser();
    PageBrowser(const PageBrowser&) = delete;
    PageBrowser& operator=(const PageBrowser&) = delete;

    page::Page& page() { return m_page; }
    HWND window() const { return m_window; }
    com::ComPtr<IWebBrowser2> webBrowser();
    // Where the browser was asked to navigate, in order.
    const std::vector<std::string>& navigations() const { return m_navigations; }
    void navigated(const std::string& url) { m_navigations.push_back(url); }

    // The COM face of a page object, the same while it lives; takes the Ref's
    // handle over.
    com::ComPtr<IDispatch> wrap(const page::Value& ref);
    // A page value as a VARIANT the caller owns; Refs in it are taken over.
    void toVariant(const page::Value& value, VARIANT* out);
    // A VARIANT as a page value. Page objects come back as their own handles,
    // valid until the page's next task (the COM references behind them are
    // kept until then).
    page::Value fromVariant(const VARIANT& value);

    // The process's member names and their DISPIDs (0 is the object itself).
    DISPID idOf(const std::string& name);
    bool nameOf(DISPID id, std::string* name) const;

    // Internal bookkeeping of the page objects' faces.
    void forget(PageObject* object);

private:
    void keepUntilNextTask(IUnknown* object);

    page::Page& m_page;
    HWND m_window;
    std::vector<PageObject*> m_objects;
    std::map<std::string, DISPID> m_ids;
    std::map<DISPID, std::string> m_names;
    DISPID m_nextId = 1000;
    com::ComPtr<IWebBrowser2> m_webBrowser;
    std::vector<com::ComPtr<IUnknown>> m_kept;
    std::map<IUnknown*, std::weak_ptr<ControlProxy>> m_proxies;
    std::vector<std::string> m_navigations;
};

}  // namespace comhost
