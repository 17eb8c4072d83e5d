#pragma once
// An object of the page seen from the plug-in; each host adapter derives its
// own page-object class from this.

#include <memory>
#include <string>
#include <vector>

#include "ScriptingCore/JSAPI.h"

namespace PB {

class BrowserHost;
using BrowserHostPtr = std::shared_ptr<BrowserHost>;

class JSObject : public JSAPI {
public:
    explicit JSObject(const BrowserHostPtr& host);
    ~JSObject() override;

    // Page objects take no event handlers: the JSAPI forms say "Not implemented".

    // The identity of the underlying page object; wrappers of one object agree.
    virtual void* getNativeHandle() { return nullptr; }
    // The owning host's context, or 0 once the host is gone.
    virtual void* getContextID();
    virtual bool supportsCallHandlers() { return false; }
    virtual void callHandlers(std::string event, const VariantList& args, const std::vector<JSObjectPtr>& handlers,
                              const std::vector<JSObjectPtr>& sinks);
    virtual bool isValid() = 0;
    // Calls the method later on the main thread without waiting; the object
    // is kept alive until then. Throws when the host is gone.
    virtual void invokeAsync(std::string method, const VariantList& args);
    virtual void scheduleInvoke(const VariantList& args, std::string method);

    std::shared_ptr<JSObject> shared_from_this();
    std::weak_ptr<BrowserHost> getHost() const { return host; }

    // The elements of this page array (or array-like object) as page
    // objects, in index order, read through the owning host. Throws
    // std::bad_weak_ptr when the host is gone.
    Promise<std::vector<JSObjectPtr>> getObjectArray();

protected:
    std::weak_ptr<BrowserHost> host;
};

// Each element as a page object; an empty element gives an empty pointer,
// anything else that is no page object throws bad_variant_cast.
std::vector<JSObjectPtr> variantListToObjectList(std::vector<variant> values);

// A list of page objects from a raw page value: a held list as it is, an
// empty object as an empty list, a page array through getObjectArray.
Promise<std::vector<JSObjectPtr>> variantToObjectListPromise(const variant& value);

}  // namespace PB
