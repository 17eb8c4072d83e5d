// The NPAPI adapter's part of the base factory: what createNpapiPlugin makes
// unless the product's factory replaces it. Installed when the library is
// loaded; the adapter's link options keep this file in every program that
// links the adapter.

#include "NpapiCore/NpapiPluginWin.h"
#include "PluginCore/FactoryBase.h"

namespace {

std::shared_ptr<PB::Npapi::NpapiPlugin> makeNpapiPluginWin(const std::shared_ptr<PB::Npapi::NpapiBrowserHost>& host,
                                                           const std::string& mimetype)
{
    return std::make_shared<PB::Npapi::NpapiPluginWin>(host, mimetype);
}

}  // namespace

extern "C" {
extern const bool pb_npapi_factory_part;
}
const bool pb_npapi_factory_part = PB::FactoryBase::installNpapiPart(&makeNpapiPluginWin);
