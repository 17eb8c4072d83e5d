#include <gtest/gtest.h>

#include <log4cplus/appender.h>
#include <log4cplus/logger.h>
#include <log4cplus/spi/loggingevent.h>

#include <memory>
#include <string>
#include <vector>

#include "TestFactory.h"
#include "ScriptingCore/Log.h"
#include "support/TempDir.h"

namespace {

log4cplus::Logger pageBridge()
{
    return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("PageBridge"));
}

class Recorder : public log4cplus::Appender {
public:
    ~Recorder() override { destructorImpl(); }
    void close() override {}
    std::vector<std::string> entries;

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override
    {
        entries.push_back(log4cplus::getLogLevelManager().toString(event.getLogLevel()) + " " + event.getMessage());
    }
};

struct Logging : ::testing::Test {
    void SetUp() override { PB::Log::stopLogging(); }
    void TearDown() override
    {
        PB::Log::stopLogging();
        test::testFactory()->logLevel = 4;
        test::testFactory()->methods.clear();
    }
};

TEST_F(Logging, LevelsFromTheFactory)
{
    const struct {
        int level;
        std::vector<std::string> expected;
    } cases[] = {
        {1, {"TRACE f:1 - t - trace", "INFO f:2 - i - info", "WARN f:3 - w - warn", "ERROR f:4 - e - error"}},
        {4, {"INFO f:2 - i - info", "WARN f:3 - w - warn", "ERROR f:4 - e - error"}},
        {8, {"WARN f:3 - w - warn", "ERROR f:4 - e - error"}},
        {16, {"ERROR f:4 - e - error"}},
        {3, {"WARN f:3 - w - warn", "ERROR f:4 - e - error"}},  // any other value means warnings
    };
    for (const auto& c : cases) {
        PB::Log::stopLogging();
        test::testFactory()->logLevel = c.level;
        PB::Log::initLogging();
        log4cplus::SharedAppenderPtr recorder(new Recorder);
        pageBridge().addAppender(recorder);
        PB::Log::trace("C", "trace", "f", 1, "t");
        PB::Log::info("C", "info", "f", 2, "i");
        PB::Log::warn("C", "warn", "f", 3, "w");
        PB::Log::error("C", "error", "f", 4, "e");
        EXPECT_EQ(static_cast<Recorder&>(*recorder).entries, c.expected) << c.level;
    }
}

TEST_F(Logging, QualifiedFunctionNames)
{
    const struct {
        const char* signature;
        const char* name;
    } cases[] = {
        {"void PB::PluginCore::setReady()", "PB::PluginCore::setReady"},
        {"bool PB::PluginCore::setReady()", "PB::PluginCore::setReady"},
        {"PB::PluginCore::PluginCore()", "PB::PluginCore::PluginCore"},
        {"std::map<int, int> X::f(int) const", "X::f"},
        {"static void PB::Log::info(std::string)", "PB::Log::info"},
        {"PB::PluginCore::setReady", "PB::PluginCore::setReady"},
        {"f", "f"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PB::Log::functionName(c.signature), c.name) << c.signature;
}

TEST_F(Logging, StartedTwiceAddsOnceAndRestartsAfresh)
{
    PB::Log::initLogging();
    PB::Log::initLogging();
    EXPECT_EQ(pageBridge().getAllAppenders().size(), 1u);  // the null appender
    EXPECT_EQ(pageBridge().getLogLevel(), log4cplus::INFO_LOG_LEVEL);
    PB::Log::stopLogging();
    EXPECT_TRUE(pageBridge().getAllAppenders().empty());
    PB::Log::initLogging();
    EXPECT_EQ(pageBridge().getAllAppenders().size(), 1u);
}

TEST_F(Logging, FileMethodWritesEntries)
{
    test::TempDir dir;
    test::testFactory()->methods = {{PB::LogMethod::File, dir.file("framework.log")}};
    PB::Log::initLogging();
    PB_LOG_INFO("Test", "written to the file");
    PB::Log::stopLogging();
    const std::string text = dir.read("framework.log");
    EXPECT_NE(text.find("written to the file"), std::string::npos);
    EXPECT_NE(text.find(" - "), std::string::npos);
}

// A message that is not valid UTF-8 (text from a file or a library, say)
// neither fails the operation that logs it nor loses the entry or the text
// around the bad bytes.
TEST_F(Logging, MessagesThatAreNotUtf8AreStillWritten)
{
    PB::Log::initLogging();
    log4cplus::SharedAppenderPtr recorder(new Recorder);
    pageBridge().addAppender(recorder);
    const std::string invalid[] = {"before \xFF after", "before \xC3 after", "before \xED\xA0\xBD after"};
    for (const std::string& message : invalid) {
        auto& entries = static_cast<Recorder&>(*recorder).entries;
        entries.clear();
        EXPECT_NO_THROW(PB::Log::info("C", message, "f", 9, "fn"));
        ASSERT_EQ(entries.size(), 1u);
        const std::string& entry = entries[0];
        EXPECT_EQ(entry.compare(0, 15, "INFO f:9 - fn -"), 0) << entry;
        EXPECT_NE(entry.find("before "), std::string::npos) << entry;
        EXPECT_NE(entry.find(" after"), std::string::npos) << entry;
    }
}

}  // namespace
