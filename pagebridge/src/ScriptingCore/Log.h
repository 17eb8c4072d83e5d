#pragma once
// The single logging entry of the system. Entries go to the log4cplus logger
// "PageBridge" as "file:line - function - message"; an entry below the
// logger's level costs a level test and nothing more. Every entry is one
// line: control characters of the message are written as escapes ("\n",
// "\x1B"), and a message is cut after 16 KiB.

#include <string>

namespace PB {

class Log {
public:
    // Set up once from the plug-in factory's level and logging methods;
    // stopLogging tears every appender down so that a later initLogging
    // starts afresh. (Defined with the plug-in core, which knows the factory.)
    static void initLogging();
    static void stopLogging();

    static void trace(std::string component, std::string message, const char* file, int line, const char* function);
    static void info(std::string component, std::string message, const char* file, int line, const char* function);
    static void warn(std::string component, std::string message, const char* file, int line, const char* function);
    static void error(std::string component, std::string message, const char* file, int line, const char* function);

    // The qualified name of a function out of the compiler's signature text
    // ("void PB::Core::run(int)" gives "PB::Core::run"); other text is kept.
    static std::string functionName(const char* signature);
};

}  // namespace PB

#define PB_LOG_TRACE(component, message) ::PB::Log::trace(component, message, __FILE__, __LINE__, __PRETTY_FUNCTION__)
#define PB_LOG_INFO(component, message) ::PB::Log::info(component, message, __FILE__, __LINE__, __PRETTY_FUNCTION__)
#define PB_LOG_WARN(component, message) ::PB::Log::warn(component, message, __FILE__, __LINE__, __PRETTY_FUNCTION__)
#define PB_LOG_ERROR(component, message) ::PB::Log::error(component, message, __FILE__, __LINE__, __PRETTY_FUNCTION__)
