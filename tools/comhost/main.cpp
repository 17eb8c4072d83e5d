// comhost: a COM container for an ActiveX plug-in module, over a page.
//
//   comhost --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]
//
// Loads the module and registers it (DllRegisterServer into the in-memory
// registry, whose keys are printed as "registry: ..."), runs the page (.html
// or .js): navigator.createPlugin(type, params) makes the control registered
// for the type through DllGetClassObject and sites it in the page, which then
// scripts it through IDispatchEx while the control reaches the page through
// MSHTML's interfaces. When the page has nothing left to do, the controls are
// deactivated and unsited, the module is unregistered (what stays is printed
// as "left: ..."), asked whether it can unload, and unloaded. The page's
// console lines are printed as they come; alerts as "alert: ...", errors as
// "error: ...". --answers queues an answer file for the module's dialogs.
//
// Exit status: 0 when the page ran to the end without an uncaught error and
// the module could unload, 1 otherwise, 2 for a usage error.

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include <com/registry.h>

#include <win32/answers.h>
#include <win32/window.h>

#include "ControlProvider.h"
#include "ModuleLibrary.h"
#include "PageBrowser.h"
#include "Pump.h"
#include "page/Page.h"

namespace {

struct Options {
    std::string module;
    std::string page;
    std::string url;
    std::string answers;
    std::size_t maxSteps = 100000;
};

const char* const kUsage =
    "usage: comhost --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]\n";

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        if (flag == "--module")
            options.module = value;
        else if (flag == "--page")
            options.page = value;
        else if (flag == "--url")
            options.url = value;
        else if (flag == "--answers")
            options.answers = value;
        else if (flag == "--max-steps")
            options.maxSteps = std::strtoul(value.c_str(), nullptr, 10);
        else
            return false;
    }
    return !options.module.empty() && !options.page.empty() && options.maxSteps > 0;
}

std::string fileUrl(const std::string& path)
{
    char full[PATH_MAX];
    return std::string("file://") + (realpath(path.c_str(), full) ? full : path.c_str());
}

std::string hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

void print(const page::OutputLine& line)
{
    switch (line.kind) {
    case page::OutputLine::Kind::Log:
        std::cout << line.text << std::endl;
        break;
    case page::OutputLine::Kind::Alert:
        std::cout << "alert: " << line.text << std::endl;
        break;
    case page::OutputLine::Kind::Error:
        std::cout << "error: " << line.text << std::endl;
        break;
    }
}

void printRegistry(const char* prefix)
{
    for (const std::string& line : com::registry::dump())
        std::cout << prefix << line << std::endl;
}

int runPage(const Options& options, const comhost::ModuleLibrary& module)
{
    page::Page page(options.url.empty() ? fileUrl(options.page) : options.url);
    page.setOutputSink(&print);
    // The container window the controls are placed in; never shown.
    HWND window = CreateWindowExW(0, L"STATIC", L"comhost", 0, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    auto browser = std::make_shared<comhost::PageBrowser>(page, window);
    auto provider = std::make_shared<comhost::ControlProvider>(browser, module.getClassObject);
    page.setPluginProvider(provider);

    int status = 0;
    try {
        page.runFile(options.page);
    } catch (const std::exception& e) {
        print(page::OutputLine{page::OutputLine::Kind::Error, std::string("Uncaught ") + e.what()});
        status = 1;
    }
    if (!comhost::runUntilIdle(page, options.maxSteps)) {
        std::cout << "comhost: the page still had work after " << options.maxSteps << " steps" << std::endl;
        status = 1;
    }
    provider->destroyAll();
    comhost::runUntilIdle(page, options.maxSteps);
    page.setPluginProvider(nullptr);
    provider.reset();
    browser.reset();
    DestroyWindow(window);
    if (!page.lines(page::OutputLine::Kind::Error).empty())
        status = 1;
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }
    if (!options.answers.empty()) {
        // comhost carries the Win32 layer and exports it, so the module's
        // dialogs run on this desktop and take these answers.
        win32::desktop::AnswerFileError error;
        if (!win32::desktop::loadAnswerFile(options.answers, &error)) {
            std::cerr << "comhost: " << options.answers << ":" << error.line << ": " << error.message << "\n";
            return 2;
        }
    }
    try {
        const comhost::ModuleLibrary module(options.module);
        const HRESULT registered = module.registerServer();
        std::cout << "DllRegisterServer: " << hex(registered) << std::endl;
        printRegistry("registry: ");
        int status = runPage(options, module);
        std::cout << "DllUnregisterServer: " << hex(module.unregisterServer()) << std::endl;
        printRegistry("left: ");
        const HRESULT unload = module.canUnloadNow();
        if (unload != S_OK) {
            std::cout << "comhost: the module is still in use (DllCanUnloadNow " << hex(unload) << ")" << std::endl;
            status = 1;
        }
        return status;
    } catch (const std::exception& e) {
        std::cerr << "comhost: " << e.what() << "\n";
        return 1;
    }
}
