// What the host asks of the page through scripts it places there: delayed
// calls of page functions, script Error objects and page deferreds.

#include <algorithm>
#include <limits>

#include "NpapiCore/NPObjectAPI.h"
#include "NpapiCore/NpapiBrowserHost.h"
#include "NpapiCore/OwnedNPVariants.h"
#include "PluginAuto/PageScripts.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace Npapi {

namespace {
NPObject* objectOf(const NPVariant& value)
{
    return value.type == NPVariantType_Object ? value.value.objectValue : nullptr;
}
}  // namespace

NPObject* NpapiBrowserHost::windowObjectProperty(const std::string& name)
{
    OwnedNPVariants result(npapiShared(), 1);
    if (!GetProperty(windowObject(), GetStringIdentifier(name.c_str()), &result[0]))
        return nullptr;
    NPObject* obj = objectOf(result[0]);
    return obj ? RetainObject(obj) : nullptr;
}

NPObject* NpapiBrowserHost::getJSHelper()
{
    if (m_jsHelper)
        return m_jsHelper;
    NPObject* window = windowObject();
    if (!window)
        throw std::runtime_error("Could not inject JS Helper into page");
    const std::string name =
        PageScripts::helperName(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(m_npp)));
    if ((m_jsHelper = windowObjectProperty(name)))
        return m_jsHelper;
    const std::string script = PageScripts::helperScript(name);
    NPString text{script.data(), static_cast<uint32_t>(script.size())};
    {
        OwnedNPVariants result(npapiShared(), 1);
        if (!Evaluate(window, &text, &result[0]))
            throw std::runtime_error("Could not inject JS Helper into page");
    }
    if ((m_jsHelper = windowObjectProperty(name)))
        return m_jsHelper;
    throw std::runtime_error("Could not find injected helper");
}

void NpapiBrowserHost::invokeDelayed(long delayMs, const JSObjectPtr& func, const VariantList& args,
                                     std::string fname)
{
    NPObject* helper = getJSHelper();
    const long limit = std::numeric_limits<int32_t>::max();
    const int delay = static_cast<int>(std::min(std::max(delayMs, 0L), limit));
    OwnedNPVariants values(npapiShared(), 4);
    getNPVariant(&values[0], variant(delay));
    getNPVariant(&values[1], variant(func));
    getNPVariant(&values[2], variant(args));
    getNPVariant(&values[3], variant(fname));
    OwnedNPVariants result(npapiShared(), 1);
    if (!Invoke(helper, GetStringIdentifier("asyncCall"), values.data(), values.count(), &result[0]))
        throw std::runtime_error("Could not launch async call");
}

NPObject* NpapiBrowserHost::makeError(const std::exception& e)
{
    const std::string message = e.what() ? e.what() : "";
    Log::error("makeError", "An error occurred: " + message, __FILE__, __LINE__,
               "PB::Npapi::NpapiBrowserHost::makeError");
    NPObject* helper = getJSHelper();
    const NPIdentifier id = GetStringIdentifier("makeError");
    OwnedNPVariants arg(npapiShared(), 1);
    getNPVariant(&arg[0], variant(message));
    OwnedNPVariants result(npapiShared(), 1);
    if (!Invoke(helper, id, arg.data(), 1, &result[0]))
        return nullptr;
    NPObject* error = objectOf(result[0]);
    return error ? RetainObject(error) : nullptr;
}

NPObject* NpapiBrowserHost::invokePromiseConstructor()
{
    OwnedNPVariants result(npapiShared(), 1);
    if (!Invoke(windowObject(), GetStringIdentifier("PageBridgePromise"), nullptr, 0, &result[0]))
        return nullptr;
    NPObject* deferred = objectOf(result[0]);
    return deferred ? RetainObject(deferred) : nullptr;
}

NPObject* NpapiBrowserHost::getPromiseObject()
{
    NPObject* window = windowObject();
    if (!window)
        throw std::runtime_error("Could not inject Promise library");
    if (NPObject* deferred = invokePromiseConstructor())
        return deferred;
    const std::string& library = PageScripts::promiseLibrary();
    NPString text{library.data(), static_cast<uint32_t>(library.size())};
    {
        OwnedNPVariants result(npapiShared(), 1);
        if (!Evaluate(window, &text, &result[0]))
            throw std::runtime_error("Could not inject Promise library");
    }
    if (NPObject* deferred = invokePromiseConstructor())
        return deferred;
    throw std::runtime_error("Could not instantiate Promise");
}

}  // namespace Npapi
}  // namespace PB
