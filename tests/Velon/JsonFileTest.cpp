// Reading and safely rewriting JSON files.

#include "support/TempDir.h"
#include "Velon/JsonFile.h"

#include <boost/filesystem.hpp>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <utility>

namespace velon_test {

using test::TempDir;
namespace {

namespace JsonFile = velon::JsonFile;
using JsonFile::ReadStatus;

TEST(JsonFileRead, Outcomes)
{
    struct Case {
        const char* text;  // null: no file
        bool strict_end;
        ReadStatus status;
    };
    const Case cases[] = {
        {nullptr, false, ReadStatus::not_found},
        {"{\"a\": 1}", false, ReadStatus::ok},
        {"{\"a\": 1} // trailing comment\n", true, ReadStatus::ok},
        {"{\"a\": 1} {\"b\": 2}", false, ReadStatus::ok},
        {"{\"a\": 1} {\"b\": 2}", true, ReadStatus::parse_error},
        {"{\"a\": ", false, ReadStatus::parse_error},
        {"", false, ReadStatus::parse_error},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.text)
            dir.write("f.json", c.text);
        Json::Value root;
        std::string errors;
        EXPECT_EQ(JsonFile::read(dir.file("f.json"), root, errors, c.strict_end), c.status)
            << (c.text ? c.text : "(none)");
        EXPECT_EQ(errors.empty(), c.status != ReadStatus::parse_error) << errors;
    }
}

// A file that is no regular file is no file to read: a FIFO would block
// for good. Damage the reader gives up on by throwing is damage like any.
TEST(JsonFileRead, SpecialFilesAndDeepNesting)
{
    TempDir dir;
    ASSERT_EQ(0, ::mkfifo(dir.file("fifo.json").c_str(), 0600));
    dir.write("deep.json", std::string(1000000, '[') + std::string(1000000, ']'));
    dir.write("nested.json", "{\"a\": " + std::string(2000, '[') + std::string(2000, ']') + "}");
    const std::pair<std::string, ReadStatus> cases[] = {
        {dir.file("fifo.json"), ReadStatus::not_found},
        {"/dev/zero", ReadStatus::not_found},
        {dir.path().string(), ReadStatus::not_found},
        {dir.file("deep.json"), ReadStatus::parse_error},
        {dir.file("nested.json"), ReadStatus::parse_error},
    };
    for (const auto& c : cases) {
        Json::Value root;
        std::string errors;
        EXPECT_EQ(JsonFile::read(c.first, root, errors), c.second) << c.first;
        EXPECT_EQ(errors.empty(), c.second != ReadStatus::parse_error) << c.first;
    }
}

TEST(JsonFileWrite, CreatesAndReplaces)
{
    TempDir dir;
    Json::Value root;
    root["k"] = "v";
    ASSERT_TRUE(JsonFile::write(dir.file("f.json"), root));
    root["k"] = "w";
    ASSERT_TRUE(JsonFile::write(dir.file("f.json"), root));

    Json::Value back;
    std::string errors;
    ASSERT_EQ(JsonFile::read(dir.file("f.json"), back, errors), ReadStatus::ok);
    EXPECT_EQ(back, root);
    EXPECT_EQ(dir.entry_count(), 1u);
}

TEST(JsonFileWrite, MissingDirectoryFailsAndCreatesNothing)
{
    TempDir dir;
    EXPECT_FALSE(JsonFile::write(dir.file("absent/f.json"), Json::Value(Json::objectValue)));
    EXPECT_EQ(dir.entry_count(), 0u);
}

}  // namespace
}  // namespace velon_test
