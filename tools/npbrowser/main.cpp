// npbrowser: an NPAPI browser over a page, for running a page against an
// NPAPI plug-in module.
//
//   npbrowser --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]
//
// Loads the module, takes its entry points (NP_GetEntryPoints) and gives it
// the browser's table (NP_Initialize), runs the page (.html or .js) and its
// event loop until nothing is left to do, destroys the instances the page
// left, shuts the module down (NP_Shutdown) and unloads it. The page's
// browser's own findings are printed as "npbrowser: ..."; a run in which the
// module misused the browser or leaked fails. Output and exit status
// otherwise as page/HostTool.h says.

#include <iostream>
#include <memory>

#include "NpBrowser.h"
#include "NpModule.h"
#include "PluginSlot.h"
#include "page/HostTool.h"

namespace {

class BrowserSession : public page::HostSession {
public:
    explicit BrowserSession(const std::string& modulePath) : m_module(modulePath) {}

    void open(page::Page& page) override
    {
        m_browser = std::make_shared<npbrowser::NpBrowser>(page, m_module,
                                                           [](const std::string& text) { std::cout << text << std::endl; });
        m_browser->open();
        page.setPluginProvider(std::make_shared<npbrowser::PluginSlot>(m_browser));
    }

    bool close(page::Page& page, std::size_t maxSteps) override
    {
        m_browser->close(maxSteps);
        page.runLoop(maxSteps);
        page.setPluginProvider(nullptr);
        const bool sound = m_browser->faultCount() == 0;
        m_browser.reset();  // it refers to the page, which ends first
        return sound;
    }

private:
    const npbrowser::NpModule m_module;
    std::shared_ptr<npbrowser::NpBrowser> m_browser;
};

}  // namespace

int main(int argc, char** argv)
{
    return page::runHostTool("npbrowser", argc, argv, [](const page::HostToolOptions& options) {
        return std::make_unique<BrowserSession>(options.module);
    });
}
