// wirehost: the host process of a HostWire plug-in module, over a page.
//
//   wirehost --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]
//
// Loads the module, connects to it (HostWire_Init), runs the page (.html or
// .js) and its event loop until nothing is left to do, destroys the
// instances the page left, disconnects (HostWire_Finit) and unloads the
// module. Output and exit status as page/HostTool.h says.

#include <memory>

#include "ModuleLibrary.h"
#include "PluginSlot.h"
#include "WireHost.h"
#include "page/HostTool.h"

namespace {

class WireSession : public page::HostSession {
public:
    explicit WireSession(const std::string& modulePath) : m_module(modulePath) {}

    void open(page::Page& page) override
    {
        m_host = std::make_shared<wirehost::WireHost>(page, m_module);
        m_host->open();
        page.setPluginProvider(std::make_shared<wirehost::PluginSlot>(m_host));
    }

    bool close(page::Page& page, std::size_t maxSteps) override
    {
        m_host->close(maxSteps);
        page.runLoop(maxSteps);
        page.setPluginProvider(nullptr);
        m_host.reset();
        return true;
    }

private:
    const wirehost::ModuleLibrary m_module;
    std::shared_ptr<wirehost::WireHost> m_host;
};

}  // namespace

int main(int argc, char** argv)
{
    return page::runHostTool("wirehost", argc, argv, [](const page::HostToolOptions& options) {
        return std::make_unique<WireSession>(options.module);
    });
}
