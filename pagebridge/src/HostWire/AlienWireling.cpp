#include "HostWire/AlienWireling.h"

#include <algorithm>
#include <stdexcept>
#include <typeinfo>

#include "HostWire/AlienLarvae.h"
#include "HostWire/WireBrowserHost.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace HostWire {

std::shared_ptr<AlienWireling> AlienWireling::create(const std::shared_ptr<WireBrowserHost>& host,
                                                     const std::shared_ptr<AlienLarvae>& larvae)
{
    auto object = std::make_shared<AlienWireling>(host);
    object->init(larvae);
    return object;
}

AlienWireling::AlienWireling(const std::shared_ptr<WireBrowserHost>& host) : JSObject(host), m_wireHost(host) {}

AlienWireling::~AlienWireling()
{
    invalidate();
}

void AlienWireling::init(const std::shared_ptr<AlienLarvae>& larvae)
{
    m_spawnId = larvae->getSpawnId();
    m_objectId = larvae->getObjectId();
    m_valid = true;
    m_release = std::make_shared<OnceCommand>();
    m_release->command = VariantList{variant("RelObj"), variant(m_spawnId), variant(m_objectId)};
    // The callbacks hold the object weakly: one whose page never answers
    // can still go (and release its page object).
    std::weak_ptr<AlienWireling> self = std::static_pointer_cast<AlienWireling>(JSAPI::shared_from_this());
    m_ready = larvae->memberNames().then<void>([self](std::vector<std::string> names) {
        if (std::shared_ptr<AlienWireling> object = self.lock())
            object->m_names = std::move(names);
    });
    m_ready.fail([self](std::exception_ptr error) {
        std::shared_ptr<AlienWireling> object = self.lock();
        if (!object)
            return;
        object->m_valid = false;
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            Log::warn("AlienWireling", std::string("AlienWireling startup failure!") + e.what(),
                      "pagebridge/src/HostWire/AlienWireling", 70, "PB::HostWire::AlienWireling::init");
        } catch (...) {
        }
    });
}

void AlienWireling::invalidate()
{
    m_valid = false;
    // The host reference goes with the first release, so a second does nothing.
    std::shared_ptr<WireBrowserHost> host = m_wireHost.lock();
    m_wireHost.reset();
    if (!host || m_objectId == 0 || !m_release)
        return;
    // Behind the commands that still wait for the member names, so that the
    // release never overtakes them; after a failed start, or at the
    // instance's shutdown, it goes without them.
    try {
        host->sendOnce(m_ready, m_release);
    } catch (const std::exception& e) {
        Log::warn("AlienWireling", std::string("Releasing a page object failed: ") + e.what(), __FILE__, __LINE__,
                  "PB::HostWire::AlienWireling::invalidate");
    }
}

void AlienWireling::getMemberNames(std::vector<std::string>& names) const
{
    names.insert(names.begin(), m_names.begin(), m_names.end());
}

std::size_t AlienWireling::getMemberCount() const
{
    return m_names.size();
}

bool AlienWireling::hasMethod(std::string name) const
{
    return hasProperty(std::move(name));
}

bool AlienWireling::hasProperty(int index) const
{
    return hasProperty(std::to_string(index));
}

bool AlienWireling::hasProperty(std::string name) const
{
    return std::find(m_names.begin(), m_names.end(), name) != m_names.end();
}

std::shared_ptr<WireBrowserHost> AlienWireling::sender() const
{
    if (!m_valid)
        throw object_invalidated();
    std::shared_ptr<WireBrowserHost> host = m_wireHost.lock();
    if (!host)
        throw std::bad_cast();
    return host;
}

Promise<variant> AlienWireling::whenReady(VariantList command)
{
    std::weak_ptr<WireBrowserHost> host = sender();
    const std::shared_ptr<const OnceCommand> release = m_release;
    return m_ready.then<variant>([host, release, command]() {
        if (release->sent)
            throw object_invalidated();
        std::shared_ptr<WireBrowserHost> live = host.lock();
        if (!live)
            throw std::bad_cast();
        return live->sendCommand(command);
    });
}

void AlienWireling::sendWhenReady(VariantList command)
{
    std::weak_ptr<WireBrowserHost> host = sender();
    const std::shared_ptr<const OnceCommand> release = m_release;
    m_ready.done([host, release, command]() {
        std::shared_ptr<WireBrowserHost> live = host.lock();
        if (!live || release->sent)
            return;
        try {
            live->sendCommand(command);
        } catch (const std::exception&) {
        }
    });
}

Promise<variant> AlienWireling::getProperty(int index)
{
    return getProperty(std::to_string(index));
}

Promise<variant> AlienWireling::getProperty(std::string name)
{
    return whenReady(VariantList{variant("GetP"), variant(m_spawnId), variant(m_objectId), variant(name)});
}

void AlienWireling::setProperty(int index, const variant& value)
{
    setProperty(std::to_string(index), value);
}

void AlienWireling::setProperty(std::string name, const variant& value)
{
    sendWhenReady(VariantList{variant("SetP"), variant(m_spawnId), variant(m_objectId), variant(name), value});
}

void AlienWireling::removeProperty(int index)
{
    removeProperty(std::to_string(index));
}

void AlienWireling::removeProperty(std::string name)
{
    sendWhenReady(VariantList{variant("DelP"), variant(m_spawnId), variant(m_objectId), variant(name)});
}

Promise<variant> AlienWireling::invoke(std::string method, const VariantList& args)
{
    return whenReady(
        VariantList{variant("Invoke"), variant(m_spawnId), variant(m_objectId), variant(method), variant(args)});
}

void* AlienWireling::getNativeHandle()
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(m_objectId));
}

void* AlienWireling::getContextID()
{
    std::shared_ptr<WireBrowserHost> host = m_wireHost.lock();
    return host ? host->getContextID() : nullptr;
}

void AlienWireling::callHandlers(std::string, const VariantList&, const std::vector<JSObjectPtr>&,
                                 const std::vector<JSObjectPtr>&)
{
    throw std::logic_error("Not implemented");
}

bool AlienWireling::isValid()
{
    return m_valid && !m_wireHost.expired();
}

}  // namespace HostWire
}  // namespace PB
