#include "ScriptingCore/JSObject.h"

#include <functional>
#include <stdexcept>

#include "ScriptingCore/BrowserHost.h"

namespace PB {

JSObject::JSObject(const BrowserHostPtr& host) : host(host) {}

JSObject::~JSObject() = default;

void* JSObject::getContextID()
{
    BrowserHostPtr owner = host.lock();
    return owner ? owner->getContextID() : nullptr;
}

void JSObject::callHandlers(std::string, const VariantList&, const std::vector<JSObjectPtr>&,
                            const std::vector<JSObjectPtr>&)
{
}

void JSObject::invokeAsync(std::string method, const VariantList& args)
{
    BrowserHostPtr owner = host.lock();
    if (!owner)
        throw std::runtime_error("Cannot invoke asynchronously");
    owner->ScheduleOnMainThread(shared_from_this(), std::bind(&JSObject::scheduleInvoke, this, args, method));
}

void JSObject::scheduleInvoke(const VariantList& args, std::string method)
{
    BrowserHostPtr owner = host.lock();
    if (owner)
        owner->invokeDelayed(0, shared_from_this(), args, method);
}

std::shared_ptr<JSObject> JSObject::shared_from_this()
{
    return std::static_pointer_cast<JSObject>(JSAPI::shared_from_this());
}

}  // namespace PB
