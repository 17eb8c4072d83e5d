// The factory operation that makes the NPAPI adapter's instance objects;
// kept with the adapter so that the framework library does not need it.

#include "NpapiCore/NpapiPluginWin.h"
#include "PluginCore/FactoryBase.h"

namespace PB {

std::shared_ptr<Npapi::NpapiPlugin> FactoryBase::createNpapiPlugin(
    const std::shared_ptr<Npapi::NpapiBrowserHost>& host, const std::string& mimetype)
{
    return std::make_shared<Npapi::NpapiPluginWin>(host, mimetype);
}

}  // namespace PB
