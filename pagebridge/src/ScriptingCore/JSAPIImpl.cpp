#include "ScriptingCore/JSAPIImpl.h"

#include <algorithm>

#include "ScriptingCore/utf8_tools.h"

namespace PB {

VariantMap makeEventObject(const VariantMap& members, std::shared_ptr<JSAPI> target, std::string type,
                           const VariantList& arguments)
{
    VariantMap event;
    event["type"] = type;
    event["target"] = target;
    event["currentTarget"] = target;
    event["eventPhase"] = 2;
    event["bubbles"] = false;
    event["cancelable"] = false;
    event["namespaceURI"] = type;
    for (const auto& member : members)
        event.insert(member);  // never replaces a fixed key
    event["arguments"] = arguments;
    return event;
}

JSAPIImpl::JSAPIImpl(const int& zone)
{
    zoneStack.push_back(zone);
}

JSAPIImpl::~JSAPIImpl() = default;

void JSAPIImpl::invalidate()
{
    m_valid = false;
}

void JSAPIImpl::pushZone(const int& zone)
{
    m_zoneMutex.lock();
    zoneStack.push_back(zone);
}

void JSAPIImpl::popZone()
{
    zoneStack.pop_back();
    m_zoneMutex.unlock();
}

void JSAPIImpl::setDefaultZone(const int& zone)
{
    std::lock_guard<std::recursive_mutex> lock(m_zoneMutex);
    zoneStack.pop_front();
    zoneStack.push_front(zone);
}

int JSAPIImpl::getDefaultZone() const
{
    std::lock_guard<std::recursive_mutex> lock(m_zoneMutex);
    return zoneStack.front();
}

int JSAPIImpl::getZone() const
{
    std::lock_guard<std::recursive_mutex> lock(m_zoneMutex);
    return zoneStack.back();
}

void JSAPIImpl::addEventHandler(std::string event, const JSObjectPtr& handler)
{
    if (!handler)
        throw invalid_arguments();
    std::lock_guard<std::recursive_mutex> lock(m_eventMutex);
    auto& handlers = eventHandlers[handler->getContextID()];
    auto range = handlers.equal_range(event);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second->getNativeHandle() == handler->getNativeHandle())
            return;
    }
    handlers.emplace_hint(range.second, event, handler);
}

void JSAPIImpl::removeEventHandler(std::string event, const JSObjectPtr& handler)
{
    if (!handler)
        throw invalid_arguments();
    std::lock_guard<std::recursive_mutex> lock(m_eventMutex);
    auto& handlers = eventHandlers[handler->getContextID()];
    auto range = handlers.equal_range(event);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second->getNativeHandle() == handler->getNativeHandle()) {
            handlers.erase(it);
            return;
        }
    }
}

void JSAPIImpl::addEventSink(const JSObjectPtr& sink)
{
    // Like a handler, a sink must be there: its context is read from it.
    if (!sink)
        throw invalid_arguments();
    std::lock_guard<std::recursive_mutex> lock(m_eventMutex);
    eventSinks[sink->getContextID()][sink.get()] = sink;
}

void JSAPIImpl::removeEventSink(const JSObjectPtr& sink)
{
    if (!sink)
        throw invalid_arguments();
    std::lock_guard<std::recursive_mutex> lock(m_eventMutex);
    eventSinks[sink->getContextID()].erase(sink.get());
}

variant JSAPIImpl::rewriteValueForProxy(const variant& value, const JSAPIPtr& proxy) const
{
    if (value.holds<JSAPIPtr>() && value.cast<JSAPIPtr>().get() == this)
        return variant(proxy);
    if (value.holds<VariantList>())
        return variant(rewriteListForProxy(value.cast<VariantList>(), proxy));
    if (value.holds<VariantMap>())
        return variant(rewriteMapForProxy(value.cast<VariantMap>(), proxy));
    return value;
}

VariantList JSAPIImpl::rewriteListForProxy(const VariantList& args, const JSAPIPtr& proxy) const
{
    VariantList rewritten;
    rewritten.reserve(args.size());
    for (const variant& value : args)
        rewritten.push_back(rewriteValueForProxy(value, proxy));
    return rewritten;
}

VariantMap JSAPIImpl::rewriteMapForProxy(const VariantMap& members, const JSAPIPtr& proxy) const
{
    VariantMap rewritten;
    for (const auto& member : members)
        rewritten[member.first] = rewriteValueForProxy(member.second, proxy);
    return rewritten;
}

template <typename Fire>
void JSAPIImpl::forEachProxy(Fire fire)
{
    std::lock_guard<std::recursive_mutex> lock(m_proxyMutex);
    for (auto it = proxies.begin(); it != proxies.end();) {
        JSAPIImplPtr proxy = it->lock();
        if (!proxy) {
            it = proxies.erase(it);
            continue;
        }
        fire(proxy);
        ++it;
    }
}

void JSAPIImpl::fireEvent(std::string event, const VariantList& args)
{
    if (!m_valid)
        return;
    JSAPIPtr self = shared_from_this();
    forEachProxy([&](const JSAPIImplPtr& proxy) { proxy->fireEvent(event, rewriteListForProxy(args, proxy)); });
    try {
        dispatchEvent(event, args);
    } catch (const script_error&) {
    }
}

void JSAPIImpl::fireEvent(const std::wstring& event, const VariantList& args)
{
    fireEvent(wstring_to_utf8(event), args);
}

void JSAPIImpl::dispatchEvent(std::string event, const VariantList& args)
{
    HandlerTable handlers;
    SinkTable sinks;
    {
        std::lock_guard<std::recursive_mutex> lock(m_eventMutex);
        handlers = eventHandlers;
        sinks = eventSinks;
    }
    const auto sinksOf = [&sinks](void* context) {
        std::vector<JSObjectPtr> list;
        auto found = sinks.find(context);
        if (found != sinks.end())
            for (const auto& sink : found->second)
                list.push_back(sink.second);
        return list;
    };

    std::vector<void*> handled;
    for (const auto& context : handlers) {
        auto range = context.second.equal_range(event);
        bool first = true;
        for (auto it = range.first; it != range.second; ++it) {
            const JSObjectPtr& handler = it->second;
            if (first && handler->isValid() && handler->supportsCallHandlers()) {
                std::vector<JSObjectPtr> all;
                for (auto h = range.first; h != range.second; ++h)
                    all.push_back(h->second);
                handler->callHandlers(event, args, all, sinksOf(context.first));
                handled.push_back(context.first);
                break;
            }
            if (handler->isValid()) {
                first = false;
                handler->invoke("", args);
            }
        }
    }
    for (const auto& context : sinks) {
        if (std::find(handled.begin(), handled.end(), context.first) != handled.end())
            continue;
        for (const auto& entry : context.second) {
            const JSObjectPtr& sink = entry.second;
            if (sink->isValid() && sink->supportsCallHandlers()) {
                sink->callHandlers(event, args, std::vector<JSObjectPtr>(), sinksOf(context.first));
                break;
            }
            sink->invoke(event, args);
        }
    }
}

void JSAPIImpl::fireEventObject(std::string event, const VariantList& arguments)
{
    fireEventObject(event, VariantMap(), arguments);
}

void JSAPIImpl::fireEventObject(std::string event, const VariantMap& members)
{
    fireEventObject(event, members, VariantList());
}

void JSAPIImpl::fireEventObject(std::string event, const VariantMap& members, const VariantList& arguments)
{
    if (!m_valid)
        return;
    JSAPIPtr self = shared_from_this();
    forEachProxy([&](const JSAPIImplPtr& proxy) {
        proxy->fireEventObject(event, rewriteMapForProxy(members, proxy), rewriteListForProxy(arguments, proxy));
    });
    const VariantList eventArgs{makeEventObject(members, self, event, arguments)};
    HandlerTable handlers;
    {
        std::lock_guard<std::recursive_mutex> lock(m_eventMutex);
        handlers = eventHandlers;
    }
    for (const auto& context : handlers) {
        auto range = context.second.equal_range(event);
        for (auto it = range.first; it != range.second; ++it)
            it->second->invoke("", eventArgs);
    }
    SinkTable sinks;
    {
        std::lock_guard<std::recursive_mutex> lock(m_eventMutex);
        sinks = eventSinks;
    }
    for (const auto& context : sinks)
        for (const auto& entry : context.second)
            entry.second->invoke(event, eventArgs);
}

void JSAPIImpl::declareEvent(const std::wstring& event)
{
    declareEvent(wstring_to_utf8(event));
}

void JSAPIImpl::declareEvent(std::string) {}

void JSAPIImpl::addEventProxy(const JSAPIImplWeakPtr& proxy)
{
    std::lock_guard<std::recursive_mutex> lock(m_proxyMutex);
    proxies.push_back(proxy);
}

void JSAPIImpl::removeEventProxy(const JSAPIImplPtr& proxy)
{
    std::lock_guard<std::recursive_mutex> lock(m_proxyMutex);
    proxies.erase(std::remove_if(proxies.begin(), proxies.end(),
                                 [&proxy](const JSAPIImplWeakPtr& entry) {
                                     JSAPIImplPtr live = entry.lock();
                                     return !live || live == proxy;
                                 }),
                  proxies.end());
}

}  // namespace PB
