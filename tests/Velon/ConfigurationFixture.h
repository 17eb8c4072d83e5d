#pragma once
// Base of the configuration tests: a clean process-wide configuration, a
// temporary module directory and the log lines written meanwhile.

#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "Velon/Configuration.h"
#include "Velon/ConfigurationTesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velon_test {

using test::LogCapture;
using test::LogLine;
using test::TempDir;

class ConfigurationFixture {
protected:
    ConfigurationFixture() { ConfigurationTesting::reset(); }
    ~ConfigurationFixture() { ConfigurationTesting::reset(); }

    // The module file's path; the file itself need not exist.
    std::string module_path() const { return dir.file("npVelon.so"); }
    std::string conf_file() const { return dir.file("Velon.conf"); }
    std::string resources_file() const { return dir.file("Velon.resources"); }

    // Lines at level written by function.
    std::vector<std::string> logged(const std::string& level, const std::string& function) const
    {
        std::vector<std::string> messages;
        for (const LogLine& line : log.lines())
            if (line.level == level && line.function == function)
                messages.push_back(line.message);
        return messages;
    }

    TempDir dir;
    LogCapture log;
};

}  // namespace velon_test
