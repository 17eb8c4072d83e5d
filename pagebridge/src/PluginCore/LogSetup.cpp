// Setting the PageBridge logger up from the product's factory, and tearing
// it down again.

#include <log4cplus/layout.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>
#include <log4cplus/fileappender.h>
#include <log4cplus/config.hxx>
#include <log4cplus/consoleappender.h>

#include <atomic>

#include "PluginCore/FactoryBase.h"
#include "ScriptingCore/Log.h"

namespace PB {

namespace {

std::atomic<bool> loggingSetUp{false};

log4cplus::LogLevel toLog4cplus(int level)
{
    switch (level) {
    case 1:
        return log4cplus::TRACE_LOG_LEVEL;
    case 2:
        return log4cplus::DEBUG_LOG_LEVEL;
    case 4:
        return log4cplus::INFO_LOG_LEVEL;
    case 16:
        return log4cplus::ERROR_LOG_LEVEL;
    default:
        return log4cplus::WARN_LOG_LEVEL;
    }
}

void addAppender(log4cplus::Logger& logger, log4cplus::SharedAppenderPtr appender)
{
    appender->setLayout(std::unique_ptr<log4cplus::Layout>(new log4cplus::TTCCLayout()));
    logger.addAppender(appender);
}

}  // namespace

void Log::initLogging()
{
    if (loggingSetUp)
        return;
    // Idempotent; the library stays initialised for the life of the process.
    log4cplus::initialize();
    log4cplus::Logger logger = log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("PageBridge"));
    FactoryBasePtr factory = getPluginFactory();
    logger.setLogLevel(toLog4cplus(factory->getLogLevel()));
    LoggingMethodList methods;
    factory->getLoggingMethods(methods);
    bool added = false;
    for (const LoggingMethod& method : methods) {
        if (method.first == LogMethod::Console) {
            // The debugger's output channel of this platform is the standard error stream.
            addAppender(logger, log4cplus::SharedAppenderPtr(new log4cplus::ConsoleAppender(true)));
            added = true;
        } else if (method.first == LogMethod::File) {
            addAppender(logger, log4cplus::SharedAppenderPtr(new log4cplus::FileAppender(method.second)));
            added = true;
        }
    }
    if (!added)
        addAppender(logger, log4cplus::SharedAppenderPtr(new log4cplus::NullAppender()));
    loggingSetUp = true;
}

void Log::stopLogging()
{
    log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("PageBridge"));
    log4cplus::Logger::shutdown();
    loggingSetUp = false;
}

}  // namespace PB
