#include "ScriptingCore/Log.h"

#include <log4cplus/logger.h>

#include <cstring>

namespace PB {
namespace {

// What one entry may write of its message, escapes included. Messages carry
// text from pages (addresses, paths, names), so one call must not be able to
// write far past the log's roll size.
constexpr std::size_t kMaxMessageBytes = 16384;
const char kCutMark[] = " ... (cut)";

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The escape of a control character, or an empty text for any other byte.
// Bytes from 0x80 on are left alone: they are UTF-8.
std::string escapeOf(unsigned char c)
{
    static const char hex[] = "0123456789ABCDEF";
    switch (c) {
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        if (c < 0x20 || c == 0x7F)
            return std::string("\\x") + hex[c >> 4] + hex[c & 0xF];
        return std::string();
    }
}

// The message as one line: a line break in page text would otherwise start
// a line that reads like an entry of its own.
void appendSafe(std::string& text, const std::string& message)
{
    std::size_t written = 0;
    std::size_t i = 0;
    for (; i < message.size(); ++i) {
        const std::string escape = escapeOf(static_cast<unsigned char>(message[i]));
        const std::size_t width = escape.empty() ? 1 : escape.size();
        if (written + width > kMaxMessageBytes)
            break;
        if (escape.empty())
            text.push_back(message[i]);
        else
            text.append(escape);
        written += width;
    }
    if (i == message.size())
        return;
    // Cut where a character begins, not inside one.
    if (isContinuation(message[i])) {
        while (written > 0 && isContinuation(text.back())) {
            text.pop_back();
            --written;
        }
        if (written > 0 && static_cast<unsigned char>(text.back()) >= 0xC0)
            text.pop_back();
    }
    text.append(kCutMark);
}

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
    text.append(Log::functionName(function)).append(" - ");
    appendSafe(text, message);
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
