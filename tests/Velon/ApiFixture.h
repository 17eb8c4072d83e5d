#pragma once
// The frame of the API tests: a plug-in made by the product's factory on a
// pumped host whose page lives at a chosen address, the real crypto library
// with its home in a temporary folder, a clean configuration and desktop,
// the log lines written meanwhile, and the check that nothing the library
// handed out is still held when a test ends.

#include <dravik/dravik.h>
#include <dravik/dravik_test.h>
#include <win32/desktop.h>
#include <win32/windows.h>

#include <boost/filesystem/operations.hpp>
#include <gtest/gtest.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PluginCore/FactoryBase.h"
#include "ScriptingCore/Log.h"
#include "ScriptingCore/utf8_tools.h"
#include "Velon/Configuration.h"
#include "Velon/ConfigurationTesting.h"
#include "Velon/Velon.h"
#include "Velon/VelonAPI.h"
#include "support/Errors.h"
#include "support/LogCapture.h"
#include "support/PageTree.h"
#include "support/PumpedHost.h"
#include "support/TempDir.h"

namespace velon_test {

using win32::desktop::Control;
using win32::desktop::User;

// What a script call came to: its value, or the text of its error.
struct Outcome {
    bool ok = false;
    PB::variant value;
    std::string error;

    std::string text() const { return ok ? value.convert_cast<std::string>() : "error: " + error; }
};

// The page of most tests, trusted by the rules the tests start with.
constexpr const char* kPage = "https://bank.example/pay";

class ApiTest : public ::testing::Test {
protected:

    void SetUp() override
    {
        ConfigurationTesting::reset();
        win32::desktop::setHandler(nullptr);
        win32::desktop::clearAnswers();
        // The framework's own logging leaves one appender; initPlugin adds
        // the log file to it only then.
        PB::Log::initLogging();
        logger().removeAllAppenders();
        logger().addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender()));
        log = std::make_unique<test::LogCapture>();

        ::setenv("DRAVIK_HOME", dir.path().string().c_str(), 1);
        DravikTest_Reset();
        location = test::TreeObject::make(host, {{"href", kPage}});
        host->window = test::TreeObject::make(host, {{"location", PB::JSObjectPtr(location)}});
        plugin = std::static_pointer_cast<Velon>(getPluginFactory()->createPlugin("application/x-velon"));
        plugin->setHost(host);
        plugin->setPluginPath(dir.file("libnpVelon.so"));
        plugin->setReady();
        api = std::static_pointer_cast<VelonAPI>(plugin->getRootJSAPI());
        Configuration::trusted_sites = {"https://bank.example"};
    }

    void TearDown() override
    {
        api.reset();
        if (plugin)
            plugin->shutdown();
        plugin.reset();
        host->window.reset();
        DravikTest_Reset();
        EXPECT_EQ(0u, DravikTest_LiveBuffers()) << "buffers still held";
        EXPECT_EQ(0u, DravikTest_LiveContexts()) << "contexts still held";
        EXPECT_EQ(0u, DravikTest_LiveRecords()) << "records still held";
        log.reset();
        logger().removeAllAppenders();
        win32::desktop::setHandler(nullptr);
        win32::desktop::clearAnswers();
        ConfigurationTesting::reset();
    }

    static log4cplus::Logger logger() { return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("PageBridge")); }

    // A method called the way a page calls it.
    Outcome call(const std::string& method, const PB::VariantList& args = {})
    {
        Outcome outcome;
        bool settled = false;
        try {
            api->invoke(method, args)
                .done(
                    [&](PB::variant value) {
                        outcome.ok = true;
                        outcome.value = value;
                        settled = true;
                    },
                    [&](std::exception_ptr error) {
                        outcome.error = test::messageOf(error);
                        settled = true;
                    });
        } catch (const std::exception& e) {
            outcome.error = e.what();
            settled = true;
        }
        EXPECT_TRUE(host->pumpUntil([&] { return settled; }, 5000)) << method << " never settled";
        return outcome;
    }

    // initPlugin on a trusted page.
    void initialise()
    {
        const Outcome init = call("initPlugin");
        ASSERT_TRUE(init.ok) << init.error;
    }

    // A file in the test folder, its folders made as needed.
    void put(const std::string& name, const std::string& contents)
    {
        boost::filesystem::create_directories((dir.path() / name).parent_path());
        dir.write(name, contents);
    }

    // The messages written at level under function.
    std::vector<std::string> logged(const std::string& level, const std::string& function) const
    {
        std::vector<std::string> messages;
        for (const test::LogLine& line : log->lines())
            if (line.level == level && line.function == function)
                messages.push_back(line.message);
        return messages;
    }

    // Journal entries of the library function, oldest first.
    static std::vector<DravikJournalEntry> journal(const std::string& function)
    {
        std::vector<DravikJournalEntry> entries;
        for (uint32_t i = 0; i < DravikTest_JournalSize(); ++i) {
            DravikJournalEntry entry{};
            DravikTest_JournalEntry(i, &entry);
            if (function == entry.function)
                entries.push_back(entry);
        }
        return entries;
    }

    test::TempDir dir;
    std::shared_ptr<test::PumpedHost> host = std::make_shared<test::PumpedHost>();
    std::shared_ptr<test::TreeObject> location;
    std::shared_ptr<Velon> plugin;
    std::shared_ptr<VelonAPI> api;
    std::unique_ptr<test::LogCapture> log;
};

// Plays one dialog: types the text into the first field and confirms, or
// cancels when text is null.
inline win32::desktop::Handler answer_password(const wchar_t* text, std::vector<std::wstring>* seen = nullptr)
{
    return [text, seen](User& user) {
        if (seen)
            seen->push_back(user.title() + L"|" + user.text(Control::byClass(L"STATIC", 2)));
        if (!text)
            return;
        user.type(Control::byClass(L"EDIT"), text);
        user.press(VK_RETURN);
    };
}

}  // namespace velon_test
