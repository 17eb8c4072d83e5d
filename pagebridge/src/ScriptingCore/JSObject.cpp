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

Promise<std::vector<JSObjectPtr>> JSObject::getObjectArray()
{
    try {
        Promise<VariantList> values;
        {
            BrowserHostPtr owner(host);
            values = owner->getArrayValues(shared_from_this());
        }
        return values.then<std::vector<JSObjectPtr>>(&variantListToObjectList);
    } catch (const std::bad_weak_ptr&) {
        throw;
    } catch (const std::bad_cast&) {
        throw std::runtime_error("Browser not available, can't convert to array");
    }
}

std::vector<JSObjectPtr> variantListToObjectList(std::vector<variant> values)
{
    std::vector<JSObjectPtr> objects;
    objects.reserve(values.size());
    for (const variant& value : values)
        objects.push_back(value.convert_cast<JSObjectPtr>());
    return objects;
}

Promise<std::vector<JSObjectPtr>> variantToObjectListPromise(const variant& value)
{
    if (value.holds<std::vector<JSObjectPtr>>())
        return Promise<std::vector<JSObjectPtr>>(value.cast<std::vector<JSObjectPtr>>());
    JSObjectPtr array = value.cast<JSObjectPtr>();
    if (!array)
        return Promise<std::vector<JSObjectPtr>>(std::vector<JSObjectPtr>());
    return array->getObjectArray();
}

namespace promise_detail {

template <typename U>
void settleFromVariant(const variant& value, const Deferred<U>& next)
{
    if constexpr (std::is_same<U, std::vector<JSObjectPtr>>::value)
        Promise<U>::follow(variantToObjectListPromise(value), next);
    else
        next.resolve(value.convert_cast<U>());
}

template void settleFromVariant<JSObjectPtr>(const variant&, const Deferred<JSObjectPtr>&);
template void settleFromVariant<std::string>(const variant&, const Deferred<std::string>&);
template void settleFromVariant<int>(const variant&, const Deferred<int>&);
template void settleFromVariant<std::vector<JSObjectPtr>>(const variant&, const Deferred<std::vector<JSObjectPtr>>&);

}  // namespace promise_detail

std::shared_ptr<JSObject> JSObject::shared_from_this()
{
    return std::static_pointer_cast<JSObject>(JSAPI::shared_from_this());
}

}  // namespace PB
