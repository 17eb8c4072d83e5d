// comhost: a COM container for an ActiveX plug-in module, over a page.
//
//   comhost --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]
//
// Loads the module and registers it (DllRegisterServer into the in-memory
// registry, whose keys are printed as "registry: ..."), runs the page (.html
// or .js): navigator.createPlugin(type, params) makes the control registered
// for the type through DllGetClassObject and sites it in the page, which then
// scripts it through IDispatchEx while the control reaches the page through
// MSHTML's interfaces. The controls stand in a container window, which paints
// the windowless ones and hands them their input; the page plays the user at
// that window through the global `user` (UserInput.h). When the page has
// nothing left to do, the controls are
// deactivated and unsited, the module is unregistered (what stays is printed
// as "left: ..."), asked whether it can unload, and unloaded; a module that
// cannot unload fails the run. Output and exit status otherwise as
// page/HostTool.h says.

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include <com/registry.h>

#include <win32/window.h>

#include "ContainerWindow.h"
#include "ControlProvider.h"
#include "ModuleLibrary.h"
#include "PageBrowser.h"
#include "Pump.h"
#include "UserInput.h"
#include "page/HostTool.h"

namespace {

std::string hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

void printRegistry(const char* prefix)
{
    for (const std::string& line : com::registry::dump())
        std::cout << prefix << line << std::endl;
}

class ContainerSession : public page::HostSession {
public:
    explicit ContainerSession(const std::string& modulePath) : m_module(modulePath)
    {
        std::cout << "DllRegisterServer: " << hex(m_module.registerServer()) << std::endl;
        printRegistry("registry: ");
    }

    void open(page::Page& page) override
    {
        m_container = std::make_unique<comhost::ContainerWindow>();
        m_browser = std::make_shared<comhost::PageBrowser>(page, m_container->handle());
        m_provider = std::make_shared<comhost::ControlProvider>(m_browser, *m_container, m_module.getClassObject);
        page.setPluginProvider(m_provider);
        const page::Value window = page.window();
        page.set(window, "user", page::Value::host(std::make_shared<comhost::UserInput>(m_container->handle())));
        page.release(window);
    }

    bool runUntilIdle(page::Page& page, std::size_t maxSteps) override
    {
        return comhost::runUntilIdle(page, maxSteps);
    }

    bool close(page::Page& page, std::size_t maxSteps) override
    {
        m_provider->destroyAll();
        comhost::runUntilIdle(page, maxSteps);
        page.setPluginProvider(nullptr);
        m_provider.reset();
        m_browser.reset();
        m_container.reset();
        return true;
    }

    // The page's references to the controls go with the page.
    bool finish() override
    {
        std::cout << "DllUnregisterServer: " << hex(m_module.unregisterServer()) << std::endl;
        printRegistry("left: ");
        const HRESULT unload = m_module.canUnloadNow();
        if (unload == S_OK)
            return true;
        std::cout << "comhost: the module is still in use (DllCanUnloadNow " << hex(unload) << ")" << std::endl;
        return false;
    }

private:
    const comhost::ModuleLibrary m_module;
    std::unique_ptr<comhost::ContainerWindow> m_container;
    std::shared_ptr<comhost::PageBrowser> m_browser;
    std::shared_ptr<comhost::ControlProvider> m_provider;
};

}  // namespace

int main(int argc, char** argv)
{
    return page::runHostTool("comhost", argc, argv, [](const page::HostToolOptions& options) {
        return std::make_unique<ContainerSession>(options.module);
    });
}
