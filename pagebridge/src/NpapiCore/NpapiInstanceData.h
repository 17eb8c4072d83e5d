#pragma once
// What NPP_New hangs on the browser's NPP (its pdata): the instance's host
// and plug-in.

#include <memory>

namespace PB {
namespace Npapi {

class NpapiBrowserHost;
class NpapiPlugin;

struct NpapiInstanceData {
    std::shared_ptr<NpapiBrowserHost> host;
    std::shared_ptr<NpapiPlugin> plugin;
};

}  // namespace Npapi
}  // namespace PB
