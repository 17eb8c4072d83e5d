#include "support/LogCapture.h"

#include <log4cplus/initializer.h>
#include <log4cplus/spi/loggingevent.h>

namespace test {
namespace {

const log4cplus::Initializer log_library;

class CollectingAppender : public log4cplus::Appender {
public:
    ~CollectingAppender() override { destructorImpl(); }
    void close() override { closed = true; }

    std::vector<LogLine> collected;

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override
    {
        // Entries read "file:line - function - message".
        const std::string& text = event.getMessage();
        LogLine line;
        line.level = log4cplus::getLogLevelManager().toString(event.getLogLevel());
        const auto first = text.find(" - ");
        const auto second = first == std::string::npos ? first : text.find(" - ", first + 3);
        if (second == std::string::npos) {
            line.message = text;
        } else {
            line.function = text.substr(first + 3, second - first - 3);
            line.message = text.substr(second + 3);
        }
        collected.push_back(line);
    }
};

}  // namespace

LogCapture::LogCapture()
    : logger_(log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("PageBridge")))
    , old_level_(logger_.getLogLevel())
    , appender_(new CollectingAppender)
{
    logger_.addAppender(appender_);
    logger_.setLogLevel(log4cplus::TRACE_LOG_LEVEL);
}

LogCapture::~LogCapture()
{
    logger_.removeAppender(appender_);
    logger_.setLogLevel(old_level_);
}

std::vector<LogLine> LogCapture::lines() const
{
    return static_cast<const CollectingAppender&>(*appender_).collected;
}

void LogCapture::clear()
{
    static_cast<CollectingAppender&>(*appender_).collected.clear();
}

}  // namespace test
