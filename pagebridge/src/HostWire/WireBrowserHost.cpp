#include "HostWire/WireBrowserHost.h"

#include <algorithm>
#include <stdexcept>
#include <typeinfo>

#include "HostWire/AlienLarvae.h"
#include "HostWire/AlienWireling.h"
#include "HostWire/WireColony.h"
#include "PluginCore/BrowserStream.h"
#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace HostWire {

WireBrowserHost::WireBrowserHost(const std::shared_ptr<WireColony>& colony, std::uint32_t spawnId)
    : m_colony(colony), m_spawnId(spawnId)
{
}

WireBrowserHost::~WireBrowserHost()
{
    m_objects.clear();
    m_document.reset();
    m_window.reset();
    m_ready = Promise<void>();
    m_browser.reset();
}

std::shared_ptr<WireBrowserHost> WireBrowserHost::self()
{
    return std::static_pointer_cast<WireBrowserHost>(shared_from_this());
}

std::weak_ptr<WireBrowserHost> WireBrowserHost::weakSelf()
{
    return std::static_pointer_cast<WireBrowserHost>(weak_from_this().lock());
}

void* WireBrowserHost::getContextID() const
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(m_spawnId));
}

std::shared_ptr<DOM::Document> WireBrowserHost::getDOMDocument()
{
    return m_document ? DOM::Document::create(m_document) : nullptr;
}

std::shared_ptr<DOM::Window> WireBrowserHost::getDOMWindow()
{
    return m_window ? DOM::Window::create(m_window) : nullptr;
}

std::shared_ptr<DOM::Element> WireBrowserHost::getDOMElement()
{
    throw std::runtime_error("Not implemented");
}

bool WireBrowserHost::detectProxySettings(std::map<std::string, std::string>&, std::string)
{
    throw std::logic_error("Not implemented");
}

Promise<void> WireBrowserHost::sendNew()
{
    std::shared_ptr<WireBrowserHost> host = self();
    std::shared_ptr<WireColony> colony = m_colony.lock();
    if (!colony)
        throw std::runtime_error("The HostWire connection is closed");
    Deferred<void> ready;
    m_ready = ready.promise();
    std::weak_ptr<WireBrowserHost> weak = host;
    colony->sendCommand(VariantList{variant("New"), variant("browser"), variant(VariantMap())}, host)
        .done([weak, ready](variant answer) {
            if (std::shared_ptr<WireBrowserHost> live = weak.lock())
                live->onBrowserAnswer(answer, ready);
        });
    return m_ready;
}

void WireBrowserHost::onBrowserAnswer(const variant& answer, const Deferred<void>& ready)
{
    try {
        m_browserSpawnId = answer.convert_cast<unsigned int>();
        std::shared_ptr<WireColony> colony = m_colony.lock();
        if (!colony)
            return;
        // Not through the colony's stub table: the browser object is this host's own.
        auto larvae = std::make_shared<AlienLarvae>(colony, m_browserSpawnId, 0);
        m_browser = AlienWireling::create(self(), larvae);
        // Ready once both arrived as page objects.
        const std::weak_ptr<WireBrowserHost> weak = weakSelf();
        const auto keep = [weak, ready](JSObjectPtr WireBrowserHost::*slot) {
            return [weak, ready, slot](variant value) {
                std::shared_ptr<WireBrowserHost> host = weak.lock();
                if (!host || host->m_destroySent)
                    return;
                try {
                    host.get()->*slot = value.convert_cast<JSObjectPtr>();
                } catch (const std::exception&) {
                    return;
                }
                if (host->m_window && host->m_document)
                    ready.resolve();
            };
        };
        m_browser->invoke("getWindow", VariantList()).done(keep(&WireBrowserHost::m_window));
        m_browser->invoke("getDocument", VariantList()).done(keep(&WireBrowserHost::m_document));
    } catch (const std::exception& e) {
        Log::warn("HostWire", std::string("The page's browser object is not usable: ") + e.what(), __FILE__,
                  __LINE__, "PB::HostWire::WireBrowserHost::onBrowserAnswer");
    }
}

Promise<variant> WireBrowserHost::sendCommand(VariantList message)
{
    std::shared_ptr<WireBrowserHost> host = self();
    std::shared_ptr<WireColony> colony = m_colony.lock();
    if (!colony)
        return Promise<variant>(std::make_exception_ptr(script_error("The HostWire connection is closed")));
    return colony->sendCommand(std::move(message), host);
}

void WireBrowserHost::sendOnce(const Promise<void>& after, const std::shared_ptr<OnceCommand>& command)
{
    if (command->sent)
        return;
    if (m_destroySent || !after.valid()) {
        sendNow(*command);
        return;
    }
    m_owed.erase(std::remove_if(m_owed.begin(), m_owed.end(),
                                [](const std::shared_ptr<OnceCommand>& owed) { return owed->sent; }),
                 m_owed.end());
    m_owed.push_back(command);
    const std::weak_ptr<WireBrowserHost> weak = weakSelf();
    const auto send = [weak, command]() {
        if (std::shared_ptr<WireBrowserHost> host = weak.lock())
            host->sendNow(*command);
    };
    after.done(send, [send](std::exception_ptr) { send(); });
}

void WireBrowserHost::sendNow(OnceCommand& command)
{
    if (command.sent)
        return;
    command.sent = true;
    try {
        sendCommand(command.command);
    } catch (const std::exception& e) {
        Log::warn("HostWire", std::string("A command to the page failed: ") + e.what(), __FILE__, __LINE__,
                  "PB::HostWire::WireBrowserHost::sendNow");
    }
}

void WireBrowserHost::whenReady(std::function<void(WireBrowserHost&)> call)
{
    const std::weak_ptr<WireBrowserHost> weak = weakSelf();
    m_ready.done([weak, call]() {
        std::shared_ptr<WireBrowserHost> host = weak.lock();
        if (!host || !host->m_browser)
            return;
        try {
            call(*host);
        } catch (const std::exception& e) {
            Log::warn("HostWire", std::string("A call to the page failed: ") + e.what(), __FILE__, __LINE__,
                      "PB::HostWire::WireBrowserHost::whenReady");
        }
    });
}

void WireBrowserHost::evaluateJavaScript(const std::string& script)
{
    whenReady([script](WireBrowserHost& host) { host.m_browser->invoke("evalFn", VariantList{variant(script)}); });
}

void WireBrowserHost::invokeDelayed(long delayMs, const std::shared_ptr<JSObject>& obj, const VariantList& args,
                                    std::string method)
{
    const int delay = static_cast<int>(delayMs);
    whenReady([delay, obj, args, method](WireBrowserHost& host) {
        host.m_browser->invoke("invokeWithDelay",
                               VariantList{variant(delay), variant(obj), variant(args), variant(method)});
    });
}

template <typename T>
Promise<T> WireBrowserHost::readPage(const char* method, const std::shared_ptr<JSObject>& object)
{
    // The browser object is read when the call goes out, not now.
    const std::weak_ptr<WireBrowserHost> weak = weakSelf();
    return m_ready.then<T>([weak, method, object]() {
        std::shared_ptr<WireBrowserHost> host = weak.lock();
        if (!host || !host->m_browser)
            throw std::runtime_error("The browser host is gone");
        return host->m_browser->invoke(method, VariantList{variant(object)}).template then<T>([](variant value) {
            return value.cast<T>();
        });
    });
}

Promise<VariantList> WireBrowserHost::getArrayValues(const std::shared_ptr<JSObject>& array)
{
    return readPage<VariantList>("readArray", array);
}

Promise<VariantMap> WireBrowserHost::getObjectValues(const std::shared_ptr<JSObject>& object)
{
    return readPage<VariantMap>("readObject", object);
}

void WireBrowserHost::shutdown()
{
    if (m_destroySent)
        return;
    m_destroySent = true;
    BrowserHost::shutdown();
    m_window.reset();
    m_document.reset();
    // What waited for the page (releases of page objects whose start never
    // ended) goes now, before the page hears that the instance is gone.
    std::vector<std::shared_ptr<OnceCommand>> owed;
    owed.swap(m_owed);
    for (const std::shared_ptr<OnceCommand>& command : owed)
        sendNow(*command);
    if (std::shared_ptr<WireColony> colony = m_colony.lock()) {
        try {
            colony->sendCommand(VariantList{variant("Destroy"), variant(m_browserSpawnId)}, nullptr);
        } catch (const std::exception& e) {
            Log::warn("HostWire", std::string("Telling the page the instance is gone failed: ") + e.what(),
                      __FILE__, __LINE__, "PB::HostWire::WireBrowserHost::shutdown");
        }
    }
}

bool WireBrowserHost::_scheduleAsyncCall(void (*func)(void*), void* userData) const
{
    std::shared_ptr<WireColony> colony = m_colony.lock();
    return colony && colony->scheduleAsync(func, userData);
}

LocalWireling WireBrowserHost::registerObject(const JSAPIPtr& object, std::uint32_t id)
{
    LocalWireling record(self(), object, id, true);
    auto found = m_objects.find(id);
    if (found != m_objects.end())
        found->second = record;
    else
        m_objects.emplace(id, record);
    return record;
}

LocalWireling WireBrowserHost::registerObject(const JSAPIWeakPtr& object, std::uint32_t id)
{
    LocalWireling record(self(), object.lock(), id, false);
    auto found = m_objects.find(id);
    if (found != m_objects.end())
        found->second = record;
    else
        m_objects.emplace(id, record);
    return record;
}

LocalWireling WireBrowserHost::registerNewObject(const JSAPIPtr& object)
{
    std::uint32_t id = m_nextObjectId++;
    if (id == 0)
        id = m_nextObjectId++;
    return registerObject(object, id);
}

LocalWireling WireBrowserHost::registerNewObject(const JSAPIWeakPtr& object)
{
    std::uint32_t id = m_nextObjectId++;
    if (id == 0)
        id = m_nextObjectId++;
    return registerObject(object, id);
}

LocalWireling WireBrowserHost::findObject(std::uint32_t id) const
{
    auto found = m_objects.find(id);
    if (found == m_objects.end())
        throw std::runtime_error("Object not found");
    return found->second;
}

JSAPIPtr WireBrowserHost::getObject(std::uint32_t id) const
{
    return findObject(id).getAPI();
}

Promise<void> WireBrowserHost::releaseObject(std::uint32_t id)
{
    auto found = m_objects.find(id);
    if (found == m_objects.end())
        throw std::runtime_error("Object not found");
    // The record ends outside the table: its retain goes with it, and what
    // the object's end sets off finds the table consistent.
    LocalWireling gone(std::move(found->second));
    m_objects.erase(found);
    return resolvedVoid();
}

Promise<variant> WireBrowserHost::GetP(std::uint32_t id, const std::string& name)
{
    return getObject(id)->getProperty(name);
}

Promise<void> WireBrowserHost::SetP(std::uint32_t id, const std::string& name, const variant& value)
{
    getObject(id)->setProperty(name, value);
    return resolvedVoid();
}

Promise<variant> WireBrowserHost::Invoke(std::uint32_t id, VariantList args, const std::string& method)
{
    return getObject(id)->invoke(method, std::move(args));
}

Promise<VariantList> WireBrowserHost::Enum(std::uint32_t id)
{
    std::vector<std::string> names;
    getObject(id)->getMemberNames(names);
    return Promise<VariantList>(stringsToVariantList(names));
}

bool WireBrowserHost::HasMethod(std::uint32_t id, const std::string& name)
{
    return getObject(id)->hasMethod(name);
}

std::shared_ptr<BrowserStream> WireBrowserHost::_createStream(const BrowserStreamRequest&)
{
    throw std::runtime_error("Not implemented");
}

std::shared_ptr<BrowserStream> WireBrowserHost::_createUnsolicitedStream(const BrowserStreamRequest&)
{
    throw std::logic_error("Not implemented");
}

}  // namespace HostWire
}  // namespace PB
