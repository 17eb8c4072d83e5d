#pragma once
// The concrete base of the plug-in's own scriptable objects: events with
// handlers and sinks per browser context, event proxies, the security-zone
// stack and the valid flag. Member operations stay for subclasses.

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ScriptingCore/JSObject.h"

namespace PB {

class JSAPIImpl;
using JSAPIImplPtr = std::shared_ptr<JSAPIImpl>;
using JSAPIImplWeakPtr = std::weak_ptr<JSAPIImpl>;

// The event object handed to handlers of fireEventObject: the fixed DOM
// event keys, then the members that do not clash with them, then "arguments".
VariantMap makeEventObject(const VariantMap& members, std::shared_ptr<JSAPI> target, std::string type,
                           const VariantList& arguments);

class JSAPIImpl : public JSAPI {
public:
    explicit JSAPIImpl(const int& zone = 0);
    ~JSAPIImpl() override;

    void invalidate() override;

    // pushZone keeps the object's mutex locked until the matching popZone;
    // pair them with ScopedZone.
    void pushZone(const int& zone) override;
    void popZone() override;
    void setDefaultZone(const int& zone) override;
    int getDefaultZone() const override;
    int getZone() const override;

    void addEventHandler(std::string event, const JSObjectPtr& handler) override;
    void removeEventHandler(std::string event, const JSObjectPtr& handler) override;
    void addEventSink(const JSObjectPtr& sink) override;
    void removeEventSink(const JSObjectPtr& sink) override;
    PB_JSAPI_KEEP_WIDE_FORMS(JSAPI);

    virtual void dispatchEvent(std::string event, const VariantList& args);
    virtual void fireEvent(std::string event, const VariantList& args);
    virtual void fireEvent(const std::wstring& event, const VariantList& args);
    virtual void fireEventObject(std::string event, const VariantList& arguments);
    virtual void fireEventObject(std::string event, const VariantMap& members);
    virtual void fireEventObject(std::string event, const VariantMap& members, const VariantList& arguments);
    virtual void declareEvent(const std::wstring& event);
    virtual void declareEvent(std::string event);
    virtual void addEventProxy(const JSAPIImplWeakPtr& proxy);
    virtual void removeEventProxy(const JSAPIImplPtr& proxy);

protected:
    bool isValidObject() const { return m_valid.load(); }
    std::recursive_mutex& objectMutex() const { return m_zoneMutex; }

private:
    using HandlerTable = std::map<void*, std::multimap<std::string, JSObjectPtr>>;
    using SinkTable = std::map<void*, std::map<JSObject*, JSObjectPtr>>;

    VariantList rewriteListForProxy(const VariantList& args, const JSAPIPtr& proxy) const;
    VariantMap rewriteMapForProxy(const VariantMap& members, const JSAPIPtr& proxy) const;
    variant rewriteValueForProxy(const variant& value, const JSAPIPtr& proxy) const;
    // Calls fire(proxy) for each live proxy, dropping expired ones on the way.
    template <typename Fire>
    void forEachProxy(Fire fire);

    HandlerTable eventHandlers;
    SinkTable eventSinks;
    std::vector<JSAPIImplWeakPtr> proxies;
    mutable std::recursive_mutex m_eventMutex;
    mutable std::recursive_mutex m_proxyMutex;
    mutable std::recursive_mutex m_zoneMutex;
    std::deque<int> zoneStack;
    std::atomic<bool> m_valid{true};
};

}  // namespace PB
