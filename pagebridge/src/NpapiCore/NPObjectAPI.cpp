#include "NpapiCore/NPObjectAPI.h"

#include <typeinfo>

#include "NpapiCore/NpapiBrowserHost.h"
#include "NpapiCore/OwnedNPVariants.h"

namespace PB {
namespace Npapi {

namespace {

// Runs member(object) on the host's main thread and waits for it. The call
// holds its own reference to the object and hands back what the member made:
// a caller that gives up at shutdown ("Shutting down") may let go of the
// object and of its own variables while the main thread is still inside.
template <typename Object, typename Member>
auto onMainThread(const std::shared_ptr<NpapiBrowserHost>& host, Object* object, Member member)
{
    std::shared_ptr<Object> self = std::static_pointer_cast<Object>(object->JSAPI::shared_from_this());
    return host->CallOnMainThread([self, member] { return member(*self); });
}

}  // namespace

NPObjectAPI::NPObjectAPI(NPObject* o, const std::shared_ptr<NpapiBrowserHost>& host)
    : JSObject(host), m_browser(host), obj(o)
{
    if (obj)
        getHost()->RetainObject(obj);
}

NPObjectAPI::~NPObjectAPI()
{
    // The release must happen on the main thread; the host sees to that.
    if (std::shared_ptr<NpapiBrowserHost> host = m_browser.lock()) {
        if (obj)
            host->deferredRelease(obj);
    }
    obj = nullptr;
}

std::shared_ptr<NpapiBrowserHost> NPObjectAPI::getHost() const
{
    std::shared_ptr<NpapiBrowserHost> host = m_browser.lock();
    if (!host)
        throw std::bad_cast();
    return host;
}

bool NPObjectAPI::isValid()
{
    return !m_browser.expired();
}

void NPObjectAPI::getMemberNames(std::vector<std::string>& names) const
{
    if (hostGone())
        return;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread()) {
        names = onMainThread(host, this, [names](const NPObjectAPI& self) {
            std::vector<std::string> filled = names;
            self.getMemberNames(filled);
            return filled;
        });
        return;
    }
    NPIdentifier* ids = nullptr;
    uint32_t count = 0;
    if (host->Enumerate(obj, &ids, &count) && ids) {
        for (uint32_t i = 0; i < count; ++i)
            names.push_back(host->UTF8FromIdentifier(ids[i]));
    }
    if (ids)
        host->MemFree(ids);
}

std::size_t NPObjectAPI::getMemberCount() const
{
    if (hostGone())
        return 0;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [](const NPObjectAPI& self) { return self.getMemberCount(); });
    NPIdentifier* ids = nullptr;
    uint32_t count = 0;
    if (!host->Enumerate(obj, &ids, &count))
        count = 0;
    if (ids)
        host->MemFree(ids);
    return count;
}

bool NPObjectAPI::hasMethod(std::string name) const
{
    if (hostGone())
        return false;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name](const NPObjectAPI& self) { return self.hasMethod(name); });
    return host->HasMethod(obj, host->GetStringIdentifier(name.c_str()));
}

bool NPObjectAPI::hasProperty(int index) const
{
    if (hostGone())
        return false;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [index](const NPObjectAPI& self) { return self.hasProperty(index); });
    return host->HasProperty(obj, host->GetIntIdentifier(index));
}

bool NPObjectAPI::hasProperty(std::string name) const
{
    if (hostGone())
        return false;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name](const NPObjectAPI& self) { return self.hasProperty(name); });
    return host->HasProperty(obj, host->GetStringIdentifier(name.c_str()));
}

variant NPObjectAPI::getPropertySync(const std::string& name)
{
    if (hostGone())
        return variant();
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name](NPObjectAPI& self) { return self.getPropertySync(name); });
    OwnedNPVariants result(host, 1);
    if (!host->GetProperty(obj, host->GetStringIdentifier(name.c_str()), &result[0]))
        throw script_error(name);
    return host->getVariant(&result[0]);
}

variant NPObjectAPI::getPropertySync(int index)
{
    if (hostGone())
        return variant();
    return getPropertySync(std::to_string(index));
}

Promise<variant> NPObjectAPI::getProperty(int index)
{
    return Promise<variant>(getPropertySync(index));
}

Promise<variant> NPObjectAPI::getProperty(std::string name)
{
    return Promise<variant>(getPropertySync(name));
}

void NPObjectAPI::setProperty(std::string name, const variant& value)
{
    if (hostGone())
        return;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread()) {
        variant copy = value;
        onMainThread(host, this, [name, copy](NPObjectAPI& self) { self.setProperty(name, copy); });
        return;
    }
    OwnedNPVariants arg(host, 1);
    host->getNPVariant(&arg[0], value);
    const bool done = host->SetProperty(obj, host->GetStringIdentifier(name.c_str()), &arg[0]);
    arg.release(0);
    if (!done)
        throw script_error(name);
}

void NPObjectAPI::setProperty(int index, const variant& value)
{
    if (hostGone())
        return;
    setProperty(std::to_string(index), value);
}

void NPObjectAPI::removeProperty(std::string name)
{
    if (hostGone())
        return;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread()) {
        onMainThread(host, this, [name](NPObjectAPI& self) { self.removeProperty(name); });
        return;
    }
    if (!host->RemoveProperty(obj, host->GetStringIdentifier(name.c_str())))
        throw script_error(name);
}

void NPObjectAPI::removeProperty(int index)
{
    if (hostGone())
        return;
    removeProperty(std::to_string(index));
}

variant NPObjectAPI::invokeSync(const std::string& method, const VariantList& args)
{
    if (hostGone())
        return variant(false);
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread())
        return onMainThread(host, this,
                            [method, args](NPObjectAPI& self) { return self.invokeSync(method, args); });
    OwnedNPVariants npargs(host, args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        host->getNPVariant(&npargs[i], args[i]);
    OwnedNPVariants result(host, 1);
    bool done;
    if (method.empty())
        done = host->InvokeDefault(obj, npargs.data(), npargs.count(), &result[0]);
    else
        done = host->Invoke(obj, host->GetStringIdentifier(method.c_str()), npargs.data(), npargs.count(),
                            &result[0]);
    for (std::size_t i = 0; i < npargs.size(); ++i)
        npargs.release(i);
    if (!done)
        throw script_error(method);
    return host->getVariant(&result[0]);
}

Promise<variant> NPObjectAPI::invoke(std::string method, const VariantList& args)
{
    return Promise<variant>(invokeSync(method, args));
}

void NPObjectAPI::callHandlers(std::string name, const VariantList& args, const std::vector<JSObjectPtr>& functions,
                               const std::vector<JSObjectPtr>& objects)
{
    if (!isValid())
        throw script_error("Error calling handlers");
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host->isMainThread()) {
        host->ScheduleOnMainThread(shared_from_this(), [this, name, args, functions, objects] {
            this->callHandlers(name, args, functions, objects);
        });
        return;
    }
    NPObject* helper = host->getJSHelper();
    const NPIdentifier asyncCall = host->GetStringIdentifier("asyncCall");
    OwnedNPVariants values(host, 4);
    host->getNPVariant(&values[0], variant(0));
    host->getNPVariant(&values[2], variant(args));
    host->getNPVariant(&values[3], variant(name));
    // A handler that fails does not keep the others from being called.
    auto callEach = [&](const std::vector<JSObjectPtr>& handlers, uint32_t count) {
        for (const JSObjectPtr& handler : handlers) {
            host->getNPVariant(&values[1], variant(handler));
            OwnedNPVariants result(host, 1);
            host->Invoke(helper, asyncCall, values.data(), count, &result[0]);
            values.release(1);
        }
    };
    callEach(functions, 3);
    callEach(objects, 4);
}

}  // namespace Npapi
}  // namespace PB
