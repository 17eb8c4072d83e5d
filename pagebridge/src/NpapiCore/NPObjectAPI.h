#pragma once
// A page object (an NPObject the browser handed over) seen from the plug-in.
// Every operation becomes a browser object call on the main thread; called
// on another thread it runs there through the host and waits, except
// callHandlers, which is queued. Once the host is gone every operation
// answers a neutral value. The browser reference is held from construction
// and given back through the host's deferred release.

#include <memory>
#include <string>
#include <vector>

#include <npapi/npruntime.h>

#include "ScriptingCore/JSObject.h"

namespace PB {
namespace Npapi {

class NpapiBrowserHost;

class NPObjectAPI : public JSObject {
public:
    // Takes a browser reference to obj (which may be null).
    NPObjectAPI(NPObject* obj, const std::shared_ptr<NpapiBrowserHost>& host);
    ~NPObjectAPI() override;

    // Throws std::bad_cast when the host is gone.
    std::shared_ptr<NpapiBrowserHost> getHost() const;
    NPObject* getNPObject() const { return obj; }

    void invalidate() override {}

    void getMemberNames(std::vector<std::string>& names) const override;
    std::size_t getMemberCount() const override;
    bool hasMethod(std::string name) const override;
    bool hasProperty(int index) const override;
    bool hasProperty(std::string name) const override;
    Promise<variant> getProperty(int index) override;
    Promise<variant> getProperty(std::string name) override;
    void setProperty(int index, const variant& value) override;
    void setProperty(std::string name, const variant& value) override;
    void removeProperty(int index) override;
    void removeProperty(std::string name) override;
    Promise<variant> invoke(std::string method, const VariantList& args) override;
    PB_JSAPI_KEEP_WIDE_FORMS(JSObject);

    // The same, answered at once (the caller waits for the main thread).
    variant invokeSync(const std::string& method, const VariantList& args);
    variant getPropertySync(const std::string& name);
    variant getPropertySync(int index);

    void* getNativeHandle() override { return obj; }
    bool supportsCallHandlers() override { return true; }
    // Calls each function and each object's member name through the page
    // helper, from a timer of the page.
    void callHandlers(std::string name, const VariantList& args, const std::vector<JSObjectPtr>& functions,
                      const std::vector<JSObjectPtr>& objects) override;
    bool isValid() override;

private:
    bool hostGone() const { return m_browser.expired(); }

    std::weak_ptr<NpapiBrowserHost> m_browser;
    NPObject* obj;
};

}  // namespace Npapi
}  // namespace PB
