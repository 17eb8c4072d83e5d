#pragma once
// The front end the test hosts share: their command line, the answer file
// for the module's dialogs, the page run, the printed output and the exit
// status. Each host supplies what it does around the page (a HostSession).
//
//   <host> --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]
//
// Console lines are printed as they come, alerts as "alert: ...", errors as
// "error: ...". Exit status: 0 when the page ran to the end without an
// uncaught error and the session closed soundly, 1 otherwise, 2 for a usage
// error.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "page/Page.h"

namespace page {

struct HostToolOptions {
    std::string module;
    std::string page;
    std::string url;
    std::string answers;
    std::size_t maxSteps = 100000;
};

// One host's part of a run; made once the module path is known, destroyed
// (unloading the module) after the page has ended.
class HostSession {
public:
    virtual ~HostSession() = default;
    // Connects the page to the module (sets its plug-in provider).
    virtual void open(Page& page) = 0;
    // Runs the page's work until nothing is left; false when work remains.
    virtual bool runUntilIdle(Page& page, std::size_t maxSteps);
    // Takes the page's plug-ins down and disconnects; false when the module
    // or the host found something unsound on the way. Everything that refers
    // to the page must be let go here: the page ends before the session.
    virtual bool close(Page& page, std::size_t maxSteps) = 0;
    // After the page has ended; false when something unsound is left.
    virtual bool finish() { return true; }
};

using HostSessionFactory = std::function<std::unique_ptr<HostSession>(const HostToolOptions&)>;

// The whole main of a test host.
int runHostTool(const std::string& name, int argc, char** argv, const HostSessionFactory& makeSession);

}  // namespace page
