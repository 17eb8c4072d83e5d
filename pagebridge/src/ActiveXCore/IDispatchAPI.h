#pragma once
// A page object (a script function or object, a DOM object, an event sink)
// that the browser handed over as IDispatch, seen from the plug-in. Every
// operation is one COM call on the main thread; called on another thread it
// runs there and waits (calling handlers is queued without waiting). The
// host holds the only COM reference; this object holds a weak pointer to it,
// so that the host can drop every page object at shutdown, after which the
// operations answer neutral values.

#include <memory>
#include <string>
#include <vector>

#include <com/dispatch.h>

#include "PluginAuto/ShareableReference.h"
#include "ScriptingCore/JSObject.h"

namespace PB {
namespace ActiveX {

class ActiveXBrowserHost;

class IDispatchAPI : public JSObject {
public:
    static std::shared_ptr<IDispatchAPI> create(IDispatch* obj, const std::shared_ptr<ActiveXBrowserHost>& host);
    IDispatchAPI(IDispatch* obj, const std::shared_ptr<ActiveXBrowserHost>& host);
    ~IDispatchAPI() override;

    void invalidate() override;

    void getMemberNames(std::vector<std::string>& names) const override;
    std::size_t getMemberCount() const override;
    bool hasMethod(std::string name) const override;
    bool hasMethod(const std::wstring& name) const override;
    bool hasProperty(int index) const override;
    bool hasProperty(std::string name) const override;
    bool hasProperty(const std::wstring& name) const override;
    // Already resolved: the read is synchronous underneath, and its failure
    // is thrown from here.
    Promise<variant> getProperty(int index) override;
    Promise<variant> getProperty(std::string name) override;
    void setProperty(int index, const variant& value) override;
    void setProperty(std::string name, const variant& value) override;
    void removeProperty(int index) override;
    void removeProperty(std::string name) override;
    Promise<variant> invoke(std::string method, const VariantList& args) override;
    PB_JSAPI_KEEP_WIDE_FORMS(JSObject);

    void* getNativeHandle() override;
    void* getContextID() override;
    bool supportsCallHandlers() override { return true; }
    void callHandlers(std::string event, const VariantList& args, const std::vector<JSObjectPtr>& handlers,
                      const std::vector<JSObjectPtr>& sinks) override;
    bool isValid() override;

    // The plug-in's own scriptable object behind the page object, or empty.
    virtual JSAPIPtr getJSAPI() const;

    // Throws bad_cast_ext "BrowserHost has shut down" when the host is gone.
    std::shared_ptr<ActiveXBrowserHost> lockHost() const;
    // Not AddRef'ed; std::bad_weak_ptr once the reference is given back.
    IDispatch* getDispatch() const;
    // -1 for a name the object does not know.
    DISPID lookupDispId(const std::wstring& name) const;
    variant getPropertySync(std::string name);
    variant getPropertySync(int index);
    variant invokeSync(std::string method, const VariantList& args);

private:
    bool alive() const;
    std::weak_ptr<ActiveXBrowserHost> m_host;
    std::weak_ptr<ShareableReference<IDispatch>> m_ref;
    bool m_ownApi = false;
    std::weak_ptr<JSAPI> m_api;
};

}  // namespace ActiveX
}  // namespace PB
