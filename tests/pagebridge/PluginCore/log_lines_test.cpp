// Every entry is one line of bounded length, whatever text a page hands in.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ScriptingCore/Log.h"
#include "support/LogCapture.h"

namespace {

const char kCut[] = " ... (cut)";
constexpr std::size_t kMax = 16384;

std::string written(const std::string& message)
{
    test::LogCapture capture;
    PB::Log::error("C", message, "f", 1, "fn");
    const std::vector<test::LogLine> lines = capture.lines();
    return lines.empty() ? std::string("<nothing>") : lines.back().message;
}

struct LineCase {
    const char* name;
    std::string message;
    std::string expected;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class LogLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(LogLines, AreWrittenAsOneLine)
{
    EXPECT_EQ(GetParam().expected, written(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, LogLines,
    ::testing::Values(
        LineCase{"plain", "VelonAPI::sign(*content*, /keys/a, *certificate*, 1)",
                 "VelonAPI::sign(*content*, /keys/a, *certificate*, 1)"},
        // A page's line break would forge an entry of its own.
        LineCase{"forgedEntry", "x\n01.01.2024 10:00:00:000 [PID:1, thread:1] ERROR: forged\r\n",
                 "x\\n01.01.2024 10:00:00:000 [PID:1, thread:1] ERROR: forged\\r\\n"},
        LineCase{"controls", std::string("a\tb\x1b[2Jc\x7f") + std::string(1, '\0') + "d",
                 "a\\tb\\x1B[2Jc\\x7F\\x00d"},
        // Backslashes of Windows-style paths and UTF-8 stay as they are.
        LineCase{"pathsAndUtf8", "pkcs110:\\rtPKCS11ECP \xd0\xba\xd0\xbb\xd1\x8e\xd1\x87",
                 "pkcs110:\\rtPKCS11ECP \xd0\xba\xd0\xbb\xd1\x8e\xd1\x87"},
        LineCase{"justFits", std::string(kMax, 'a'), std::string(kMax, 'a')},
        LineCase{"tooLong", std::string(1 << 20, 'a'), std::string(kMax, 'a') + kCut},
        // A cut never splits a character or an escape.
        LineCase{"cutBeforeACharacter", std::string(kMax - 1, 'a') + "\xd0\xba", std::string(kMax - 1, 'a') + kCut},
        LineCase{"cutBeforeAnEscape", std::string(kMax - 2, 'a') + "\x01", std::string(kMax - 2, 'a') + kCut},
        LineCase{"escapesCount", std::string(kMax, '\n'), [] {
                     std::string text;
                     for (std::size_t i = 0; i < kMax / 2; ++i)
                         text += "\\n";
                     return text + kCut;
                 }()}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

}  // namespace
