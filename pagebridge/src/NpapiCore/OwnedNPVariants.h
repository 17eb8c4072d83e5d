#pragma once
// NPVariants the plug-in made for one browser call (arguments, a result):
// they start out Void and are released through the browser when they go,
// so that strings and object references given to a call are never lost.

#include <cstddef>
#include <memory>
#include <vector>

#include <npapi/npruntime.h>

namespace PB {
namespace Npapi {

class NpapiBrowserHost;

class OwnedNPVariants {
public:
    OwnedNPVariants(std::shared_ptr<NpapiBrowserHost> host, std::size_t count);
    ~OwnedNPVariants();
    OwnedNPVariants(const OwnedNPVariants&) = delete;
    OwnedNPVariants& operator=(const OwnedNPVariants&) = delete;

    NPVariant* data() { return m_values.empty() ? nullptr : m_values.data(); }
    NPVariant& operator[](std::size_t index) { return m_values[index]; }
    std::size_t size() const { return m_values.size(); }
    uint32_t count() const { return static_cast<uint32_t>(m_values.size()); }
    // Releases one value now (it becomes Void).
    void release(std::size_t index);

private:
    std::shared_ptr<NpapiBrowserHost> m_host;
    std::vector<NPVariant> m_values;
};

}  // namespace Npapi
}  // namespace PB
