#pragma once
// Collects what is written to the "PageBridge" logger while it lives, at
// every level, and puts the logger's level back afterwards.

#include <log4cplus/appender.h>
#include <log4cplus/logger.h>

#include <string>
#include <vector>

namespace test {

struct LogLine {
    std::string level;     // "TRACE", "INFO", "WARN", "ERROR"
    std::string function;  // the function the entry names
    std::string message;
};

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogLine> lines() const;
    void clear();

private:
    log4cplus::Logger logger_;
    log4cplus::LogLevel old_level_;
    log4cplus::SharedAppenderPtr appender_;
};

}  // namespace test
