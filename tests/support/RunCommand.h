#pragma once
// Runs a command line through the shell and collects what it prints
// (standard output and error, line by line) and how it ended.

#include <string>
#include <vector>

namespace test {

struct CommandRun {
    std::vector<std::string> lines;
    int status = -1;  // the exit status; -1 when it did not exit normally
};

CommandRun runCommand(const std::string& commandLine);

}  // namespace test
