#include "HostWire/LocalWireling.h"

#include <typeinfo>
#include <utility>

#include "HostWire/WireBrowserHost.h"

namespace PB {
namespace HostWire {

Promise<void> resolvedVoid()
{
    Deferred<void> done;
    done.resolve();
    return done.promise();
}

LocalWireling::LocalWireling(const std::shared_ptr<WireBrowserHost>& host, const std::shared_ptr<JSAPI>& object,
                             std::uint32_t id, bool autoRelease)
    : m_object(object), m_host(host), m_autoRelease(autoRelease), m_id(id)
{
    retain();
}

LocalWireling::LocalWireling(const LocalWireling& other)
    : m_object(other.m_object), m_host(other.m_host), m_autoRelease(other.m_autoRelease), m_id(other.m_id)
{
    retain();
}

LocalWireling::LocalWireling(LocalWireling&& other) noexcept
    : m_object(std::move(other.m_object)),
      m_host(std::move(other.m_host)),
      m_autoRelease(other.m_autoRelease),
      m_id(other.m_id)
{
    other.m_autoRelease = false;
}

LocalWireling& LocalWireling::operator=(LocalWireling other) noexcept
{
    swap(other);
    return *this;
}

LocalWireling::~LocalWireling()
{
    if (!m_autoRelease)
        return;
    std::shared_ptr<JSAPI> object = m_object.lock();
    std::shared_ptr<WireBrowserHost> host = m_host.lock();
    if (object && host)
        host->releaseJSAPI(object);
}

void LocalWireling::swap(LocalWireling& other) noexcept
{
    std::swap(m_object, other.m_object);
    std::swap(m_host, other.m_host);
    std::swap(m_autoRelease, other.m_autoRelease);
    std::swap(m_id, other.m_id);
}

void LocalWireling::retain() const
{
    if (!m_autoRelease)
        return;
    std::shared_ptr<JSAPI> object = m_object.lock();
    std::shared_ptr<WireBrowserHost> host = m_host.lock();
    if (object && host)
        host->retainJSAPI(object);
}

std::shared_ptr<JSAPI> LocalWireling::getAPI() const
{
    std::shared_ptr<JSAPI> object = m_object.lock();
    if (!object)
        throw std::bad_cast();
    return object;
}

bool LocalWireling::HasMethod(const std::string& name) const
{
    return getAPI()->hasMethod(name);
}

Promise<variant> LocalWireling::GetP(const std::string& name) const
{
    return getAPI()->getProperty(name);
}

Promise<void> LocalWireling::SetP(const std::string& name, const variant& value) const
{
    getAPI()->setProperty(name, value);
    return resolvedVoid();
}

Promise<variant> LocalWireling::Invoke(const std::string& name, const VariantList& args) const
{
    return getAPI()->invoke(name, args);
}

Promise<VariantList> LocalWireling::Enum() const
{
    std::vector<std::string> names;
    getAPI()->getMemberNames(names);
    return Promise<VariantList>(stringsToVariantList(names));
}

}  // namespace HostWire
}  // namespace PB
