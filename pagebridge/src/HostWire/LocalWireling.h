#pragma once
// The record behind an object id the page side uses for a plug-in object:
// it reaches the object without owning it and, when made with auto-release,
// keeps it alive through its host's retained-object list for as long as the
// record (and each copy of it) lives. Copies add their own retain, moves hand
// it over.

#include <cstdint>
#include <memory>
#include <string>

#include "ScriptingCore/JSAPI.h"

namespace PB {
namespace HostWire {

class WireBrowserHost;

class LocalWireling {
public:
    LocalWireling() = default;
    LocalWireling(const std::shared_ptr<WireBrowserHost>& host, const std::shared_ptr<JSAPI>& object,
                  std::uint32_t id, bool autoRelease);
    LocalWireling(const LocalWireling& other);
    LocalWireling(LocalWireling&& other) noexcept;
    LocalWireling& operator=(LocalWireling other) noexcept;
    virtual ~LocalWireling();

    void swap(LocalWireling& other) noexcept;

    // The object; std::bad_cast when it no longer exists.
    std::shared_ptr<JSAPI> getAPI() const;
    std::uint32_t getId() const { return m_id; }
    bool autoRelease() const { return m_autoRelease; }

    bool HasMethod(const std::string& name) const;
    Promise<variant> GetP(const std::string& name) const;
    Promise<void> SetP(const std::string& name, const variant& value) const;
    Promise<variant> Invoke(const std::string& name, const VariantList& args) const;
    Promise<VariantList> Enum() const;

private:
    void retain() const;

    std::weak_ptr<JSAPI> m_object;
    std::weak_ptr<WireBrowserHost> m_host;
    bool m_autoRelease = false;
    std::uint32_t m_id = 0;
};

// An already resolved promise of nothing.
Promise<void> resolvedVoid();

}  // namespace HostWire
}  // namespace PB
