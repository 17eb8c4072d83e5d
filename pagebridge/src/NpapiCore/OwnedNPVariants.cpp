#include "NpapiCore/OwnedNPVariants.h"

#include "NpapiCore/NpapiBrowserHost.h"

namespace PB {
namespace Npapi {

OwnedNPVariants::OwnedNPVariants(std::shared_ptr<NpapiBrowserHost> host, std::size_t count)
    : m_host(std::move(host)), m_values(count)
{
    for (NPVariant& value : m_values)
        value.type = NPVariantType_Void;
}

OwnedNPVariants::~OwnedNPVariants()
{
    for (std::size_t i = 0; i < m_values.size(); ++i)
        release(i);
}

void OwnedNPVariants::release(std::size_t index)
{
    NPVariant& value = m_values[index];
    if (value.type == NPVariantType_String || value.type == NPVariantType_Object)
        m_host->ReleaseVariantValue(&value);
    value.type = NPVariantType_Void;
}

}  // namespace Npapi
}  // namespace PB
