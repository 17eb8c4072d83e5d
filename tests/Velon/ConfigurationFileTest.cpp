// Reading "Velon.conf", locating files beside the module, and trusting a
// site for good by rewriting the file.

#include "ConfigurationFixture.h"

#include <boost/filesystem.hpp>
#include <gmock/gmock.h>
#include <json/reader.h>

#include <sstream>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace velon_test {
namespace {

namespace fs = boost::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const char* const load_fn = "Configuration::load_conf";
const char* const add_fn = "Configuration::add_trusted";

Json::Value parse(const std::string& text)
{
    Json::CharReaderBuilder builder;
    Json::Value root;
    std::string errors;
    std::istringstream in(text);
    if (!Json::parseFromStream(builder, in, &root, &errors))
        ADD_FAILURE() << "not JSON: " << errors << "\n" << text;
    return root;
}

// ---------------------------------------------------------------- dir_of_path

struct DirCase {
    const char* path;
    const char* file;
    const char* expected;
};

TEST(DirOfPath, ReplacesTheFileNameAfterTheLastSeparator)
{
    const DirCase cases[] = {
        {"/opt/velon/npVelon.so", "Velon.conf", "/opt/velon/Velon.conf"},
        {"C:\\Program Files\\Velon\\npVelon.dll", "Velon.log", "C:\\Program Files\\Velon\\Velon.log"},
        {"C:\\mixed/dir\\npVelon.dll", "Velon.resources", "C:\\mixed/dir\\Velon.resources"},
        {"/a\\b/npVelon.so", "x", "/a\\b/x"},
        {"/npVelon.so", "Velon.conf", "/Velon.conf"},
        {"/opt/velon/", "Velon.conf", "/opt/velon/Velon.conf"},
        {"/opt/\xd0\xba\xd0\xbe\xd0\xb4/npVelon.so", "Velon.conf", "/opt/\xd0\xba\xd0\xbe\xd0\xb4/Velon.conf"},
        // No directory at all: the file lies in the current one.
        {"npVelon.so", "Velon.conf", "Velon.conf"},
        {"", "Velon.conf", "Velon.conf"},
    };
    for (const DirCase& c : cases)
        EXPECT_EQ(Configuration::dir_of_path(c.path, c.file), c.expected) << c.path;
}

// ------------------------------------------------------------------ load_conf

struct LoadCase {
    const char* name;
    const char* file;  // contents of "Velon.conf"; null: no file
    const char* key;
    const char* language;  // after the call
    int log_level;         // after the call
    std::vector<std::string> sites;
    const char* error;  // start of the one ERROR line expected; null: none
};

std::ostream& operator<<(std::ostream& out, const LoadCase& c)
{
    return out << c.name;
}

const char* const sites_error = "plugin.trusted_sites param error in configuration file";
const char* const language_error = "plugin.language param error in configuration file";
const char* const level_error = "plugin.loglevel param error in configuration file";
const char* const parse_error = "Failed to parse configuration file: ";

const LoadCase load_cases[] = {
    {"FullFile",
     R"({"plugin.language": "ru", "plugin.loglevel": 4,
         "plugin.trusted_sites": ["https://bank.example", "*.example.org", "file:///C:/pages/sign.html"]})",
     "mes_success", "ru", 4, {"https://bank.example", "*.example.org", "file:///C:/pages/sign.html"}, nullptr},
    {"MissingFile", nullptr, "err_cfile_01", "", 0, {}, "Config file is not found: "},
    {"BrokenJson", R"({"plugin.language": )", "err_cfile_02", "", 0, {}, parse_error},
    {"EmptyFile", "", "err_cfile_02", "", 0, {}, parse_error},
    {"EmptyObjectLacksTheRequiredSites", "{}", "err_cfile_02", "en", 16, {}, sites_error},
    {"OnlySitesTakesDefaults", R"({"plugin.trusted_sites": []})", "mes_success", "en", 16, {}, nullptr},
    {"NullTopLevelLacksSites", "null", "err_cfile_02", "en", 16, {}, sites_error},
    {"ArrayTopLevel", R"([{"plugin.trusted_sites": []}])", "err_cfile_02", "", 0, {}, parse_error},
    {"StringTopLevel", R"("plugin.trusted_sites")", "err_cfile_02", "", 0, {}, parse_error},
    {"NumberTopLevel", "16", "err_cfile_02", "", 0, {}, parse_error},

    {"LanguageEn", R"({"plugin.language": "en", "plugin.trusted_sites": []})", "mes_success", "en", 16, {}, nullptr},
    {"LanguageEmpty", R"({"plugin.language": "", "plugin.trusted_sites": []})", "mes_success", "", 16, {}, nullptr},
    // A rejected language is in force all the same; the rest stays unread.
    {"LanguageDeStoredButRejected", R"({"plugin.language": "de", "plugin.loglevel": 4, "plugin.trusted_sites": ["a"]})",
     "err_cfile_02", "de", 0, {}, language_error},
    {"LanguageCaseMatters", R"({"plugin.language": "RU", "plugin.trusted_sites": []})", "err_cfile_02", "RU", 0, {},
     language_error},
    {"LanguageNumber", R"({"plugin.language": 7, "plugin.trusted_sites": []})", "err_cfile_02", "", 0, {},
     language_error},
    {"LanguageNull", R"({"plugin.language": null, "plugin.trusted_sites": []})", "err_cfile_02", "", 0, {},
     language_error},
    {"LanguageArray", R"({"plugin.language": ["ru"], "plugin.trusted_sites": []})", "err_cfile_02", "", 0, {},
     language_error},

    {"Level1", R"({"plugin.loglevel": 1, "plugin.trusted_sites": []})", "mes_success", "en", 1, {}, nullptr},
    {"Level2", R"({"plugin.loglevel": 2, "plugin.trusted_sites": []})", "mes_success", "en", 2, {}, nullptr},
    {"Level8", R"({"plugin.loglevel": 8, "plugin.trusted_sites": []})", "mes_success", "en", 8, {}, nullptr},
    {"Level16", R"({"plugin.loglevel": 16, "plugin.trusted_sites": []})", "mes_success", "en", 16, {}, nullptr},
    {"LevelIntegralReal", R"({"plugin.loglevel": 4.0, "plugin.trusted_sites": []})", "mes_success", "en", 4, {},
     nullptr},
    // A rejected level in the allowed type is stored; one of another type is not.
    {"Level3StoredButRejected", R"({"plugin.loglevel": 3, "plugin.trusted_sites": ["a"]})", "err_cfile_02", "en", 3,
     {}, level_error},
    {"Level0StoredButRejected", R"({"plugin.loglevel": 0, "plugin.trusted_sites": []})", "err_cfile_02", "en", 0, {},
     level_error},
    {"LevelNegativeStoredButRejected", R"({"plugin.loglevel": -16, "plugin.trusted_sites": []})", "err_cfile_02",
     "en", -16, {}, level_error},
    {"LevelString", R"({"plugin.loglevel": "4", "plugin.trusted_sites": []})", "err_cfile_02", "en", 0, {},
     level_error},
    {"LevelBool", R"({"plugin.loglevel": true, "plugin.trusted_sites": []})", "err_cfile_02", "en", 0, {},
     level_error},
    {"LevelFraction", R"({"plugin.loglevel": 4.5, "plugin.trusted_sites": []})", "err_cfile_02", "en", 0, {},
     level_error},
    {"LevelBeyond32Bits", R"({"plugin.loglevel": 4294967312, "plugin.trusted_sites": []})", "err_cfile_02", "en", 0,
     {}, level_error},
    {"LevelNull", R"({"plugin.loglevel": null, "plugin.trusted_sites": []})", "err_cfile_02", "en", 0, {},
     level_error},

    {"SitesString", R"({"plugin.trusted_sites": "https://bank.example"})", "err_cfile_02", "en", 16, {}, sites_error},
    {"SitesObject", R"({"plugin.trusted_sites": {"a": "b"}})", "err_cfile_02", "en", 16, {}, sites_error},
    {"SitesNull", R"({"plugin.trusted_sites": null})", "err_cfile_02", "en", 16, {}, sites_error},
    // Elements before a bad one are taken, those after it are not.
    {"SitesWithANumber", R"({"plugin.trusted_sites": ["a", 5, "b"]})", "err_cfile_02", "en", 16, {"a"}, sites_error},
    {"SitesKeptAsWritten", R"({"plugin.trusted_sites": ["", "has blank", "a", "a", "\u043a\u043e\u0434.example"]})",
     "mes_success", "en", 16, {"", "has blank", "a", "a", "\xd0\xba\xd0\xbe\xd0\xb4.example"}, nullptr},

    {"CommentsAllowed",
     "// settings\n{\n  /* language */ \"plugin.language\": \"ru\",\n  \"plugin.trusted_sites\": [\"a\" // first\n  ]\n}\n"
     "// end\n",
     "mes_success", "ru", 16, {"a"}, nullptr},
    {"OtherMembersIgnored", R"({"x": {"y": [1, 2]}, "plugin": {"language": "de"}, "plugin.trusted_sites": []})",
     "mes_success", "en", 16, {}, nullptr},
    {"KeysAreCaseSensitive", R"({"Plugin.Language": "de", "PLUGIN.LOGLEVEL": 3, "plugin.trusted_sites": []})",
     "mes_success", "en", 16, {}, nullptr},
};

class LoadConf : public ConfigurationFixture, public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadConf, ReturnsTheKeyAndKeepsWhatWasStored)
{
    const LoadCase& c = GetParam();
    if (c.file)
        dir.write("Velon.conf", c.file);

    EXPECT_EQ(Configuration::load_conf(module_path()), c.key);

    EXPECT_EQ(Configuration::language, c.language);
    EXPECT_EQ(Configuration::log_level, c.log_level);
    EXPECT_EQ(Configuration::get_log_level(), c.log_level);
    EXPECT_THAT(Configuration::trusted_sites, ElementsAreArray(c.sites));
    EXPECT_EQ(Configuration::conf_path, conf_file());
    EXPECT_EQ(Configuration::messages.count("en"), 1u);

    const std::vector<std::string> errors = logged("ERROR", load_fn);
    if (c.error) {
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_THAT(errors[0], StartsWith(c.error));
    } else {
        EXPECT_THAT(errors, IsEmpty());
    }
    EXPECT_THAT(logged("WARN", load_fn), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadConf, ::testing::ValuesIn(load_cases),
                         [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

class LoadConfFile : public ConfigurationFixture, public ::testing::Test {};

TEST_F(LoadConfFile, MissingFileNamesThePath)
{
    EXPECT_EQ(Configuration::load_conf(module_path()), "err_cfile_01");
    EXPECT_THAT(logged("ERROR", load_fn), ElementsAre("Config file is not found: " + conf_file()));
}

TEST_F(LoadConfFile, DirectoryInPlaceOfTheFileIsNotFound)
{
    fs::create_directory(conf_file());
    EXPECT_EQ(Configuration::load_conf(module_path()), "err_cfile_01");
}

TEST_F(LoadConfFile, ModulePathWithoutDirectoryIsRefusedButFillsEnglish)
{
    Configuration::conf_path = "/earlier/Velon.conf";
    EXPECT_EQ(Configuration::load_conf("npVelon.so"), "err_pfiles");
    EXPECT_THAT(logged("ERROR", load_fn), ElementsAre("The plugin path is invalid: npVelon.so"));
    EXPECT_EQ(Configuration::messages.at("en").size(), 187u);
    EXPECT_EQ(Configuration::conf_path, "/earlier/Velon.conf");
}

TEST_F(LoadConfFile, SecondReadOverwritesSettingsAndAppendsRulesAgain)
{
    dir.write("Velon.conf", R"({"plugin.language": "ru", "plugin.loglevel": 1, "plugin.trusted_sites": ["a", "b"]})");
    ASSERT_EQ(Configuration::load_conf(module_path()), "mes_success");
    dir.write("Velon.conf", R"({"plugin.language": "en", "plugin.trusted_sites": ["c"]})");
    ASSERT_EQ(Configuration::load_conf(module_path()), "mes_success");

    EXPECT_EQ(Configuration::language, "en");
    EXPECT_EQ(Configuration::log_level, 16);
    EXPECT_THAT(Configuration::trusted_sites, ElementsAre("a", "b", "c"));
}

TEST_F(LoadConfFile, UnreadableTextAfterTheObjectIsIgnoredWhenReading)
{
    dir.write("Velon.conf", R"({"plugin.trusted_sites": ["a"]} {"plugin.trusted_sites": ["b"]})");
    EXPECT_EQ(Configuration::load_conf(module_path()), "mes_success");
    EXPECT_THAT(Configuration::trusted_sites, ElementsAre("a"));
}

// ---------------------------------------------------------------- add_trusted

struct AddCase {
    const char* name;
    const char* file;  // null: no file
    const char* key;
    const char* expected;  // the file's JSON afterwards; null: the file is unchanged
    const char* error;     // start of the ERROR line; null: none
    bool warned;           // the sites member was replaced with a warning
};

std::ostream& operator<<(std::ostream& out, const AddCase& c)
{
    return out << c.name;
}

const AddCase add_cases[] = {
    {"AppendsAndKeepsEverythingElse",
     R"({"plugin.language": "ru", "plugin.loglevel": 4, "x": {"nested": [1, 2.5, null, "\u043a"]},
         "plugin.trusted_sites": ["https://bank.example", "*.example.org"]})",
     "mes_success",
     R"({"plugin.language": "ru", "plugin.loglevel": 4, "x": {"nested": [1, 2.5, null, "\u043a"]},
         "plugin.trusted_sites": ["https://bank.example", "*.example.org", "https://new.example"]})",
     nullptr, false},
    {"EmptyArray", R"({"plugin.trusted_sites": []})", "mes_success",
     R"({"plugin.trusted_sites": ["https://new.example"]})", nullptr, false},
    {"NoDuplicateTest", R"({"plugin.trusted_sites": ["https://new.example"]})", "mes_success",
     R"({"plugin.trusted_sites": ["https://new.example", "https://new.example"]})", nullptr, false},
    {"StringSitesBecomeAnArray", R"({"plugin.trusted_sites": "https://old.example", "k": 1})", "mes_success",
     R"({"plugin.trusted_sites": ["https://new.example"], "k": 1})", nullptr, true},
    {"MissingSitesAreCreated", R"({"plugin.language": "en"})", "mes_success",
     R"({"plugin.language": "en", "plugin.trusted_sites": ["https://new.example"]})", nullptr, true},
    {"NullTopLevel", "null", "mes_success", R"({"plugin.trusted_sites": ["https://new.example"]})", nullptr, true},
    {"MissingFile", nullptr, "err_cfile_01", nullptr, "Config file is not found: ", false},
    {"BrokenJson", R"({"plugin.trusted_sites": [)", "err_cfile_02", nullptr, "Failed to parse configuration file: ",
     false},
    {"ArrayTopLevelIsLeftAlone", R"(["https://old.example"])", "err_cfile_02", nullptr,
     "Failed to parse configuration file: ", false},
    // A rewrite would drop the second object: better not to rewrite at all.
    {"TrailingTextIsLeftAlone", R"({"plugin.trusted_sites": []} {"plugin.trusted_sites": ["keep"]})",
     "err_cfile_02", nullptr, "Failed to parse configuration file: ", false},
};

class AddTrusted : public ConfigurationFixture, public ::testing::TestWithParam<AddCase> {};

TEST_P(AddTrusted, RewritesTheFileOrLeavesItAlone)
{
    const AddCase& c = GetParam();
    Configuration::conf_path = conf_file();
    Configuration::trusted_sites = {"https://old.example"};
    if (c.file)
        dir.write("Velon.conf", c.file);

    EXPECT_EQ(Configuration::add_trusted("https://new.example"), c.key);

    // Trusted in memory whatever became of the file.
    EXPECT_THAT(Configuration::trusted_sites, ElementsAre("https://old.example", "https://new.example"));
    if (!c.file)
        EXPECT_FALSE(dir.exists("Velon.conf"));
    else if (!c.expected)
        EXPECT_EQ(dir.read("Velon.conf"), c.file);
    else
        EXPECT_EQ(parse(dir.read("Velon.conf")), parse(c.expected));
    // No temporary file is left behind.
    EXPECT_EQ(dir.entry_count(), c.file ? 1u : 0u);

    const std::vector<std::string> errors = logged("ERROR", add_fn);
    if (c.error) {
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_THAT(errors[0], StartsWith(c.error));
    } else {
        EXPECT_THAT(errors, IsEmpty());
    }
    if (c.warned)
        EXPECT_THAT(logged("WARN", add_fn), ElementsAre("plugin.trusted_sites param error in configuration file"));
    else
        EXPECT_THAT(logged("WARN", add_fn), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, AddTrusted, ::testing::ValuesIn(add_cases),
                         [](const ::testing::TestParamInfo<AddCase>& info) { return std::string(info.param.name); });

class AddTrustedFile : public ConfigurationFixture, public ::testing::Test {
protected:
    void load(const std::string& text)
    {
        dir.write("Velon.conf", text);
        ASSERT_EQ(Configuration::load_conf(module_path()), "mes_success");
    }
};

TEST_F(AddTrustedFile, RewrittenFileReadsBackWithTheNewRule)
{
    load(R"({"plugin.language": "ru", "plugin.loglevel": 2, "plugin.trusted_sites": ["a"]})");
    ASSERT_EQ(Configuration::add_trusted("https://new.example"), "mes_success");

    ConfigurationTesting::reset();
    ASSERT_EQ(Configuration::load_conf(module_path()), "mes_success");
    EXPECT_EQ(Configuration::language, "ru");
    EXPECT_EQ(Configuration::log_level, 2);
    EXPECT_THAT(Configuration::trusted_sites, ElementsAre("a", "https://new.example"));
}

TEST_F(AddTrustedFile, CommentsSurviveAndLevelsAreTabIndented)
{
    load("// Velon settings\n{\n  /* UI */ \"plugin.language\": \"en\",\n"
         "  \"plugin.trusted_sites\": [\"a\" // the bank\n  ]\n}\n");
    ASSERT_EQ(Configuration::add_trusted("b"), "mes_success");

    const std::string text = dir.read("Velon.conf");
    EXPECT_THAT(text, HasSubstr("// Velon settings"));
    EXPECT_THAT(text, HasSubstr("/* UI */"));
    EXPECT_THAT(text, HasSubstr("// the bank"));
    EXPECT_THAT(text, HasSubstr("\n\t\"plugin.language\""));
    EXPECT_THAT(text, HasSubstr("\n\t\t\"b\""));
}

TEST_F(AddTrustedFile, NonAsciiSiteRoundTrips)
{
    load(R"({"plugin.trusted_sites": []})");
    const std::string site = "https://\xd0\xbf\xd0\xbe\xd1\x87\xd1\x82\xd0\xb0.example";
    ASSERT_EQ(Configuration::add_trusted(site), "mes_success");
    EXPECT_EQ(parse(dir.read("Velon.conf"))["plugin.trusted_sites"][0].asString(), site);
}

TEST_F(AddTrustedFile, BeforeAnyReadThereIsNoFileToRewrite)
{
    EXPECT_EQ(Configuration::add_trusted("a"), "err_cfile_01");
    EXPECT_THAT(Configuration::trusted_sites, ElementsAre("a"));
}

TEST_F(AddTrustedFile, PermissionsAreKept)
{
    load(R"({"plugin.trusted_sites": []})");
    fs::permissions(conf_file(), fs::owner_read | fs::owner_write | fs::group_read);
    ASSERT_EQ(Configuration::add_trusted("a"), "mes_success");
    EXPECT_EQ(fs::status(conf_file()).permissions(), fs::owner_read | fs::owner_write | fs::group_read);
}

// Processes that trust sites at the same time each read the file again
// under the lock: none loses what another added.
TEST_F(AddTrustedFile, ConcurrentProcessesKeepEverySite)
{
    load(R"({"plugin.trusted_sites": []})");
    constexpr int kProcesses = 4;
    constexpr int kSites = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            int failed = 0;
            for (int i = 0; i < kSites; ++i)
                failed += Configuration::add_trusted("https://s" + std::to_string(p) + "-" + std::to_string(i) + ".example") !=
                          "mes_success";
            ::_exit(failed == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const Json::Value sites = parse(dir.read("Velon.conf"))["plugin.trusted_sites"];
    EXPECT_EQ(sites.size(), static_cast<Json::ArrayIndex>(kProcesses * kSites));
    EXPECT_EQ(dir.entry_count(), 1u);
}

TEST_F(LoadConfFile, DeepNestingIsADamagedFile)
{
    dir.write("Velon.conf", std::string(1000000, '[') + std::string(1000000, ']'));
    EXPECT_EQ(Configuration::load_conf(module_path()), "err_cfile_02");
    EXPECT_THAT(logged("ERROR", load_fn), ElementsAre(StartsWith("Failed to parse configuration file: ")));
}

TEST_F(LoadConfFile, FifoInPlaceOfTheFileIsNotFound)
{
    ASSERT_EQ(::mkfifo(conf_file().c_str(), 0600), 0);
    EXPECT_EQ(Configuration::load_conf(module_path()), "err_cfile_01");
}

TEST_F(AddTrustedFile, LinkedFileIsRewrittenThroughTheLink)
{
    test::TempDir elsewhere;
    elsewhere.write("real.conf", R"({"plugin.trusted_sites": []})");
    fs::create_symlink(elsewhere.file("real.conf"), conf_file());
    ASSERT_EQ(Configuration::load_conf(module_path()), "mes_success");

    ASSERT_EQ(Configuration::add_trusted("a"), "mes_success");
    EXPECT_TRUE(fs::is_symlink(conf_file()));
    EXPECT_EQ(parse(elsewhere.read("real.conf")), parse(R"({"plugin.trusted_sites": ["a"]})"));
    EXPECT_EQ(elsewhere.entry_count(), 1u);
}

// Holds the process's file-size limit low while it lives, so that writes
// fail even for a user whom file permissions do not stop.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        old_handler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit low = old_;
        low.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, old_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    sighandler_t old_handler_;
};

TEST_F(AddTrustedFile, FailedWriteKeepsTheOldFile)
{
    const std::string original = R"({"plugin.language": "ru", "plugin.trusted_sites": ["https://bank.example"]})";
    load(original);
    log.clear();
    {
        FileSizeLimit limit(16);
        EXPECT_EQ(Configuration::add_trusted("https://new.example"), "err_cfile_03");
    }
    EXPECT_EQ(dir.read("Velon.conf"), original);
    EXPECT_EQ(dir.entry_count(), 1u);
    EXPECT_THAT(logged("ERROR", add_fn), ElementsAre("Config file can not be open for write: " + conf_file()));
    EXPECT_THAT(Configuration::trusted_sites, ElementsAre("https://bank.example", "https://new.example"));
}

}  // namespace
}  // namespace velon_test
