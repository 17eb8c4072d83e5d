#include "ScriptingCore/Log.h"

#include <log4cplus/logger.h>

#include <cstring>


namespace PB {
namespace {

void write(log4cplus::LogLevel level, const std::string& message, const char* file, int line, const char* function)
{
    log4cplus::Logger logger = log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("PageBridge"));
    if (!logger.isEnabledFor(level))
        return;
    // The logger's text type is narrow here, so UTF-8 passes unchanged; a
    // message with invalid bytes is written as it is rather than failing the
    // operation that logs it.
    std::string text;
    text.append(file ? file : "").append(":").append(std::to_string(line)).append(" - ");
    text.append(Log::functionName(function)).append(" - ").append(message);
    logger.forcedLog(level, text, file, line, function ? function : "");
}

}  // namespace

std::string Log::functionName(const char* signature)
{
    if (!signature)
        return std::string();
    std::string text(signature);
    const std::size_t open = text.find('(');
    if (open == std::string::npos)
        return text;
    // The name ends at the parameter list; the return type, if any, ends at
    // the last space before it that is not inside template brackets.
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < open; ++i) {
        const char c = text[i];
        if (c == '<')
            ++depth;
        else if (c == '>')
            --depth;
        else if (c == ' ' && depth == 0)
            start = i + 1;
    }
    while (start < open && (text[start] == '*' || text[start] == '&'))
        ++start;
    return text.substr(start, open - start);
}

void Log::trace(std::string, std::string message, const char* file, int line, const char* function)
{
    write(log4cplus::TRACE_LOG_LEVEL, message, file, line, function);
}

void Log::info(std::string, std::string message, const char* file, int line, const char* function)
{
    write(log4cplus::INFO_LOG_LEVEL, message, file, line, function);
}

void Log::warn(std::string, std::string message, const char* file, int line, const char* function)
{
    write(log4cplus::WARN_LOG_LEVEL, message, file, line, function);
}

void Log::error(std::string, std::string message, const char* file, int line, const char* function)
{
    write(log4cplus::ERROR_LOG_LEVEL, message, file, line, function);
}

}  // namespace PB
