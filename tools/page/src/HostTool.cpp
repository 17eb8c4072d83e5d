#include "page/HostTool.h"

#include <win32/answers.h>

#include <climits>
#include <cstdlib>
#include <iostream>

namespace page {

namespace {

bool parseOptions(int argc, char** argv, HostToolOptions& options)
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

void print(const OutputLine& line)
{
    switch (line.kind) {
    case OutputLine::Kind::Log:
        std::cout << line.text << std::endl;
        break;
    case OutputLine::Kind::Alert:
        std::cout << "alert: " << line.text << std::endl;
        break;
    case OutputLine::Kind::Error:
        std::cout << "error: " << line.text << std::endl;
        break;
    }
}

int runPage(const std::string& name, const HostToolOptions& options, HostSession& session)
{
    Page page(options.url.empty() ? fileUrl(options.page) : options.url);
    page.setOutputSink(&print);
    session.open(page);
    int status = 0;
    try {
        page.runFile(options.page);
    } catch (const std::exception& e) {
        print(OutputLine{OutputLine::Kind::Error, std::string("Uncaught ") + e.what()});
        status = 1;
    }
    if (!session.runUntilIdle(page, options.maxSteps)) {
        std::cout << name << ": the page still had work after " << options.maxSteps << " steps" << std::endl;
        status = 1;
    }
    if (!session.close(page, options.maxSteps))
        status = 1;
    page.setPluginProvider(nullptr);
    if (!page.lines(OutputLine::Kind::Error).empty())
        status = 1;
    return status;
}

}  // namespace

bool HostSession::runUntilIdle(Page& page, std::size_t maxSteps)
{
    return page.runLoop(maxSteps).idle;
}

int runHostTool(const std::string& name, int argc, char** argv, const HostSessionFactory& makeSession)
{
    HostToolOptions options;
    if (!parseOptions(argc, argv, options)) {
        std::cerr << "usage: " << name << " --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]\n";
        return 2;
    }
    if (!options.answers.empty()) {
        // The Win32 layer is shared with the module, so its dialogs take these answers.
        win32::desktop::AnswerFileError error;
        if (!win32::desktop::loadAnswerFile(options.answers, &error)) {
            std::cerr << name << ": " << options.answers << ":" << error.line << ": " << error.message << "\n";
            return 2;
        }
    }
    try {
        std::unique_ptr<HostSession> session = makeSession(options);
        int status = runPage(name, options, *session);
        if (!session->finish())
            status = 1;
        session.reset();
        return status;
    } catch (const std::exception& e) {
        std::cerr << name << ": " << e.what() << "\n";
        return 1;
    }
}

}  // namespace page
