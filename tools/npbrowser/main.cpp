// npbrowser: an NPAPI browser over a page, for running a page against an
// NPAPI plug-in module.
//
//   npbrowser --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]
//
// Loads the module, takes its entry points (NP_GetEntryPoints) and gives it
// the browser's table (NP_Initialize), runs the page (.html or .js) and its
// event loop until nothing is left to do, destroys the instances the page
// left, shuts the module down (NP_Shutdown) and unloads it. The page's
// console lines are printed as they come; alerts as "alert: ...", errors as
// "error: ...", the browser's own findings as "npbrowser: ...". --answers
// queues an answer file for the dialogs and choosers the module opens
// (win32/answers.h).
//
// Exit status: 0 when the page ran to the end without an uncaught error and
// the module used the browser soundly (no fault, nothing leaked), 1
// otherwise, 2 for a usage error.

#include <climits>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include <win32/answers.h>

#include "NpBrowser.h"
#include "NpModule.h"
#include "PluginSlot.h"
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
    "usage: npbrowser --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]\n";

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

int runPage(const Options& options, const npbrowser::NpModule& module)
{
    page::Page page(options.url.empty() ? fileUrl(options.page) : options.url);
    page.setOutputSink(&print);
    auto browser = std::make_shared<npbrowser::NpBrowser>(page, module,
                                                          [](const std::string& text) { std::cout << text << std::endl; });
    browser->open();
    page.setPluginProvider(std::make_shared<npbrowser::PluginSlot>(browser));

    int status = 0;
    try {
        page.runFile(options.page);
    } catch (const std::exception& e) {
        print(page::OutputLine{page::OutputLine::Kind::Error, std::string("Uncaught ") + e.what()});
        status = 1;
    }
    if (!page.runLoop(options.maxSteps).idle) {
        std::cout << "npbrowser: the page still had work after " << options.maxSteps << " steps" << std::endl;
        status = 1;
    }
    browser->close(options.maxSteps);
    page.runLoop(options.maxSteps);
    page.setPluginProvider(nullptr);
    if (!page.lines(page::OutputLine::Kind::Error).empty() || browser->faultCount() != 0)
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
        // npbrowser carries the Win32 layer and exports it, so the module's
        // dialogs run on this desktop and take these answers.
        win32::desktop::AnswerFileError error;
        if (!win32::desktop::loadAnswerFile(options.answers, &error)) {
            std::cerr << "npbrowser: " << options.answers << ":" << error.line << ": " << error.message << "\n";
            return 2;
        }
    }
    try {
        const npbrowser::NpModule module(options.module);
        return runPage(options, module);
    } catch (const std::exception& e) {
        std::cerr << "npbrowser: " << e.what() << "\n";
        return 1;
    }
}
