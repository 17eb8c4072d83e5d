#pragma once
// The browser services of one plug-in instance over HostWire. The host has
// no browser of its own: right after it is made it asks the page side for a
// browser object (["New", "browser", {}]), fetches the page's window and
// document from it, and turns script evaluation, delayed calls and reading
// page arrays and objects into method calls on it ("evalFn",
// "invokeWithDelay", "readArray", "readObject"); those wait until the window
// and document are known. It also keeps the table of plug-in objects the page
// side may address by object id (0 is the instance's root object).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HostWire/LocalWireling.h"
#include "HostWire/OnceCommand.h"
#include "ScriptingCore/BrowserHost.h"

namespace PB {
namespace HostWire {

class WireColony;

class WireBrowserHost : public BrowserHost {
public:
    WireBrowserHost(const std::shared_ptr<WireColony>& colony, std::uint32_t spawnId);
    ~WireBrowserHost() override;

    // --- browser services
    void* getContextID() const override;
    // A new wrapper on each call; empty until the page answered, and after shutdown.
    std::shared_ptr<DOM::Document> getDOMDocument() override;
    std::shared_ptr<DOM::Window> getDOMWindow() override;
    // Throws std::runtime_error "Not implemented": the instance has no element here.
    std::shared_ptr<DOM::Element> getDOMElement() override;
    void evaluateJavaScript(const std::string& script) override;
    using BrowserHost::evaluateJavaScript;
    // The page side does the waiting; the answer is not awaited.
    void invokeDelayed(long delayMs, const std::shared_ptr<JSObject>& obj, const VariantList& args,
                       std::string method) override;
    Promise<VariantList> getArrayValues(const std::shared_ptr<JSObject>& array) override;
    Promise<VariantMap> getObjectValues(const std::shared_ptr<JSObject>& object) override;
    // Throws std::logic_error "Not implemented".
    bool detectProxySettings(std::map<std::string, std::string>& settings, std::string url) override;
    // Runs the base's steps, forgets window and document and tells the page
    // side the browser instance is gone, once.
    void shutdown() override;
    void doDeferredRelease() override {}

    std::uint32_t getSpawnId() const { return m_spawnId; }
    std::uint32_t getBrowserSpawnId() const { return m_browserSpawnId; }

    // Announces the instance to the page side; the promise resolves once the
    // window and the document are known.
    Promise<void> sendNew();
    // A command about a page object, sent with this host (so that objects in
    // it are written for this instance).
    Promise<variant> sendCommand(VariantList message);

    // Sends the command once `after` has settled, either way, or at this
    // host's shutdown if that comes first (at once when either already has);
    // its answer is not awaited.
    void sendOnce(const Promise<void>& after, const std::shared_ptr<OnceCommand>& command);

    // --- plug-in objects the page side may address
    // Kept alive while registered (auto-release) or not; replaces any entry of the id.
    LocalWireling registerObject(const JSAPIPtr& object, std::uint32_t id);
    LocalWireling registerObject(const JSAPIWeakPtr& object, std::uint32_t id);
    LocalWireling registerNewObject(const JSAPIPtr& object);
    LocalWireling registerNewObject(const JSAPIWeakPtr& object);
    // std::runtime_error "Object not found" for an id not registered.
    LocalWireling findObject(std::uint32_t id) const;
    // Also std::bad_cast when the object no longer exists.
    JSAPIPtr getObject(std::uint32_t id) const;
    // The id is forgotten and, with it, the retain that kept its object alive.
    Promise<void> releaseObject(std::uint32_t id);
    std::size_t objectCount() const { return m_objects.size(); }

    Promise<variant> GetP(std::uint32_t id, const std::string& name);
    Promise<void> SetP(std::uint32_t id, const std::string& name, const variant& value);
    // The arguments are handed to the object, which may take them over.
    Promise<variant> Invoke(std::uint32_t id, VariantList args, const std::string& method);
    Promise<VariantList> Enum(std::uint32_t id);
    bool HasMethod(std::uint32_t id, const std::string& name);

protected:
    bool _scheduleAsyncCall(void (*func)(void*), void* userData) const override;
    // The host process offers no streams.
    std::shared_ptr<BrowserStream> _createStream(const BrowserStreamRequest& req) override;
    std::shared_ptr<BrowserStream> _createUnsolicitedStream(const BrowserStreamRequest& req) override;

private:
    std::shared_ptr<WireBrowserHost> self();
    std::weak_ptr<WireBrowserHost> weakSelf();
    void onBrowserAnswer(const variant& answer, const Deferred<void>& ready);
    void sendNow(OnceCommand& command);
    // Runs the call on the browser object once the host is ready.
    void whenReady(std::function<void(WireBrowserHost&)> call);
    // The browser object's answer to method(object), read strictly as a T.
    template <typename T>
    Promise<T> readPage(const char* method, const std::shared_ptr<JSObject>& object);

    std::weak_ptr<WireColony> m_colony;
    std::uint32_t m_spawnId;
    std::uint32_t m_nextObjectId = 1;
    std::uint32_t m_browserSpawnId = 0;
    JSObjectPtr m_browser;
    Promise<void> m_ready;
    JSObjectPtr m_window;
    JSObjectPtr m_document;
    std::map<std::uint32_t, LocalWireling> m_objects;
    // Commands of sendOnce still waiting for their occasion.
    std::vector<std::shared_ptr<OnceCommand>> m_owed;
    bool m_destroySent = false;
};

}  // namespace HostWire
}  // namespace PB
