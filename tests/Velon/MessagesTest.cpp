// The message table: built-in English texts, lookups by key with the
// English flag and the language in force, and further languages from
// "Velon.resources".

#include "ConfigurationFixture.h"

#include <gmock/gmock.h>

#include <set>

namespace velon_test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const char* const resources_fn = "Configuration::load_error_strings";

// ------------------------------------------------------ built-in English table

class EnglishTable : public ConfigurationFixture, public ::testing::Test {
protected:
    void SetUp() override { Configuration::load_conf(module_path()); }
    const Configuration::MessageTable& english() const { return Configuration::messages.at("en"); }
};

TEST_F(EnglishTable, HoldsTheTextsAsWritten)
{
    struct Entry {
        const char* key;
        const char* text;
    };
    const Entry samples[] = {
        {"mes_success", "Success"},
        {"plugin_name", "Orvanta Signature Plugin"},
        {"dlg_warn_entropy_gathering",
         "Initialization of the generator of random numbers: \npress keys or move the mouse..."},
        {"dlg_warn_new_pass",
         "You have entered a weak password.\n\nThe password must be at least 6 characters,\nincluding characters of "
         "the password must be\npresent in upper and lower case letters,\nnumbers and special characters (@, #, $, "
         "*, % etc).\n\nDo you want to continue?"},
        {"dlg_err_pass_not_match", "Passwords don't match try again"},
        {"dlg_err_insert_token_for", "Please insert the token for\n"},
        {"dlg_text_web_site_access",
         "This website would like to access to your digital signature keys to make a signature on your behalf:\n\n"},
        {"err_access_01", "Orvanta Signature Plugin is not allowed to be loaded on this page"},
        {"err_cfile_03", "Config file can not be opened for write"},
        {"err_initPlugin", "Initialisation error in initPlugin()"},
        {"err_string_wstring", "String processing error: "},
        {"err_temp_file", "Failed to create temporary file"},
        {"err_dravik_2", "Unable to get Certification Authority (CA) Certificate"},
        {"err_dravik_20", "Required CA Certificate had not loaded in inner library repository (look at 4.5)"},
        {"err_dravik_103", "Memory allocation error"},
        {"err_dravik_169", "Initialization error of CIPF 'Tavrel 3.3'"},
        {"err_dravik_216", "CIPF 'Tavrel 3.3' objects writing error"},
        {"err_dravik_000", "Unknown error code"},
    };
    EXPECT_EQ(english().size(), 187u);
    for (const Entry& e : samples)
        EXPECT_EQ(Configuration::get_message(true, e.key), e.text) << e.key;
}

TEST_F(EnglishTable, KeysUseTheKnownPrefixes)
{
    const char* const prefixes[] = {"mes_",         "plugin_",     "dlg_title_",  "dlg_label_",
                                    "dlg_warn_",    "dlg_err_",    "dlg_text_",   "dlg_checkbox_",
                                    "dlg_button_",  "dlg_cancel_", "warn_",       "err_"};
    for (const auto& entry : english()) {
        bool known = false;
        for (const char* prefix : prefixes)
            known = known || entry.first.rfind(prefix, 0) == 0;
        EXPECT_TRUE(known) << entry.first;
        EXPECT_FALSE(entry.second.empty()) << entry.first;
    }
}

// Every key error_key can give has a text, and every library key has a code.
TEST_F(EnglishTable, LibraryKeysMatchTheErrorCodes)
{
    std::set<std::string> from_codes{"err_dravik_000"};
    for (const int code : Configuration::error_codes)
        from_codes.insert(Configuration::error_key(code));

    std::set<std::string> in_table;
    for (const auto& entry : english())
        if (entry.first.rfind("err_dravik_", 0) == 0)
            in_table.insert(entry.first);

    EXPECT_EQ(in_table, from_codes);
    EXPECT_EQ(in_table.size(), 123u);
}

// ------------------------------------------------------------------ lookups

struct LookupCase {
    const char* name;
    const char* language;  // set before the lookup
    bool with_russian;     // a "ru" table lacking "mes_cancel" is loaded
    bool english;
    const char* key;
    const char* text;
    const char* language_after;
};

std::ostream& operator<<(std::ostream& out, const LookupCase& c)
{
    return out << c.name;
}

const LookupCase lookup_cases[] = {
    {"EnglishFlagIgnoresTheLanguage", "ru", true, true, "mes_continue", "Continue", "ru"},
    {"LanguageInForce", "ru", true, false, "mes_continue", "\xd0\x94\xd0\xb0\xd0\xbb\xd0\xb5\xd0\xb5", "ru"},
    {"KeyOnlyInTheLanguage", "ru", true, false, "mes_extra", "\xd0\xb5\xd1\x89\xd1\x91", "ru"},
    {"KeyOnlyInTheLanguageWithEnglishFlag", "ru", true, true, "mes_extra", "", "ru"},
    {"MissingKeyFallsBackToEnglish", "ru", true, false, "mes_cancel", "Cancel", "ru"},
    {"EnglishInForce", "en", true, false, "mes_continue", "Continue", "en"},
    {"UnloadedLanguageTurnsIntoEnglish", "ru", false, false, "mes_continue", "Continue", "en"},
    {"UnknownLanguageTurnsIntoEnglish", "de", true, false, "mes_continue", "Continue", "en"},
    {"EmptyLanguageTurnsIntoEnglish", "", true, false, "mes_continue", "Continue", "en"},
    {"EnglishFlagLeavesAnUnloadedLanguage", "de", false, true, "mes_continue", "Continue", "de"},
    {"UnknownKey", "ru", true, false, "mes_nothing", "", "ru"},
    {"UnknownKeyEnglish", "ru", true, true, "mes_nothing", "", "ru"},
    {"KeysAreCaseSensitive", "en", false, true, "MES_SUCCESS", "", "en"},
    {"EmptyKey", "en", false, false, "", "", "en"},
};

class Lookup : public ConfigurationFixture, public ::testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, GivesTheTextOfTheRightLanguage)
{
    const LookupCase& c = GetParam();
    Configuration::load_conf(module_path());
    if (c.with_russian) {
        dir.write("Velon.resources", R"({"ru": {"mes_continue": "\u0414\u0430\u043b\u0435\u0435",
                                                "mes_extra": "\u0435\u0449\u0451"}})");
        Configuration::load_error_strings(resources_file());
    }
    Configuration::language = c.language;
    log.clear();

    EXPECT_EQ(Configuration::get_message(c.english, c.key), c.text);
    EXPECT_EQ(Configuration::language, c.language_after);
    EXPECT_THAT(log.lines(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, Lookup, ::testing::ValuesIn(lookup_cases),
                         [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

class LookupBeforeConfiguration : public ConfigurationFixture, public ::testing::Test {};

// A method's guard reports before initPlugin has read anything: the English
// texts are there all the same, and a later read still works.
TEST_F(LookupBeforeConfiguration, EnglishTextsAreBuiltIn)
{
    EXPECT_EQ(Configuration::get_message(true, "err_initPlugin"), "Initialisation error in initPlugin()");
    EXPECT_EQ(Configuration::get_message(false, "err_initPlugin"), "Initialisation error in initPlugin()");
    EXPECT_EQ(Configuration::messages.at("en").size(), 187u);

    dir.write("Velon.conf", R"({"plugin.language": "ru", "plugin.trusted_sites": []})");
    EXPECT_EQ(Configuration::load_conf(module_path()), "mes_success");
    EXPECT_EQ(Configuration::language, "ru");
}

// ---------------------------------------------------------- resource file

struct ResourcesCase {
    const char* name;
    const char* file;      // contents of "Velon.resources"; null: no file
    const char* language;  // before loading
    std::vector<std::string> languages;  // in the table afterwards
    std::vector<std::string> warnings;   // exact, in order; a trailing "*" matches a prefix
    const char* language_after;
};

std::ostream& operator<<(std::ostream& out, const ResourcesCase& c)
{
    return out << c.name;
}

const ResourcesCase resources_cases[] = {
    {"RussianLoaded", R"({"ru": {"mes_cancel": "\u041e\u0442\u043c\u0435\u043d\u0430"}})", "ru", {"en", "ru"}, {},
     "ru"},
    {"MissingFile", nullptr, "ru", {"en"}, {"Resources file is not found: *"}, "ru"},
    {"BrokenFile", R"({"ru": {)", "ru", {"en"}, {"Failed to parse resources file: *"}, "ru"},
    {"EmptyObject", "{}", "ru", {"en"}, {"No available languages or failed to parse resources file."}, "ru"},
    {"StringTopLevel", R"("ru")", "ru", {"en"}, {"No available languages or failed to parse resources file."}, "ru"},
    {"NullTopLevel", "null", "ru", {"en"}, {"No available languages or failed to parse resources file."}, "ru"},
    {"ArrayTopLevel", R"([{"mes_ok": "x"}, 1])", "ru", {"en"}, {"Bad key in resources file.", "Bad key in resources file."},
     "ru"},
    {"EnglishIsProtected", R"({"en": {"mes_ok": "Okay"}, "ru": {"mes_ok": "\u0414\u0430"}})", "ru", {"en", "ru"},
     {"\"en\" key is protected from overloading."}, "ru"},
    {"EmptyLanguage", R"({"ru": {}})", "ru", {"en"}, {"Bad value for key ru in resources file."}, "ru"},
    {"LanguageNotAnObject", R"({"ru": "text"})", "ru", {"en"}, {"Bad value for key ru in resources file."}, "ru"},
    {"BadEntryRefusedAlone", R"({"ru": {"mes_ok": 1, "mes_yes": "\u0414\u0430", "mes_no": null}})", "ru", {"en", "ru"},
     {"Bad key or value in list for key ru in resources file.",
      "Bad key or value in list for key ru in resources file."},
     "ru"},
    {"AllEntriesRefused", R"({"ru": {"mes_ok": 1}})", "ru", {"en"},
     {"Bad key or value in list for key ru in resources file."}, "ru"},
    {"ArrayInPlaceOfEntries", R"({"ru": ["mes_ok"]})", "ru", {"en"},
     {"Bad key or value in list for key ru in resources file."}, "ru"},
    {"AnyKeyTaken", R"({"ru": {"no_such_key": "x"}})", "ru", {"en", "ru"}, {}, "ru"},
    {"OtherLanguageOnly", R"({"de": {"mes_ok": "Gut"}})", "ru", {"de", "en"},
     {"No language \"ru\" for error strings. Using English."}, "en"},
    {"EmptyLanguageInForce", R"({"de": {"mes_ok": "Gut"}})", "", {"de", "en"},
     {"No language \"\" for error strings. Using English."}, "en"},
    {"EnglishInForceNeedsNoWarning", R"({"de": {"mes_ok": "Gut"}})", "en", {"de", "en"}, {}, "en"},
    // Only English present: the switch is left to the first lookup.
    {"OnlyEnglishNoSwitch", R"({"en": {"mes_ok": "Okay"}})", "ru", {"en"},
     {"\"en\" key is protected from overloading."}, "ru"},
    {"CommentsAllowed", "// texts\n{ /* ru */ \"ru\": {\"mes_ok\": \"x\" // ok\n } }", "ru", {"en", "ru"}, {}, "ru"},
    {"LanguagesInSortedOrder", R"({"uk": {}, "de": {}})", "en", {"en"},
     {"Bad value for key de in resources file.", "Bad value for key uk in resources file."}, "en"},
};

class LoadErrorStrings : public ConfigurationFixture, public ::testing::TestWithParam<ResourcesCase> {};

TEST_P(LoadErrorStrings, AddsGoodLanguagesAndWarnsOfTheRest)
{
    const ResourcesCase& c = GetParam();
    Configuration::load_conf(module_path());
    log.clear();
    if (c.file)
        dir.write("Velon.resources", c.file);
    Configuration::language = c.language;

    Configuration::load_error_strings(resources_file());

    std::vector<std::string> languages;
    for (const auto& entry : Configuration::messages)
        languages.push_back(entry.first);
    EXPECT_EQ(languages, c.languages);
    EXPECT_EQ(Configuration::language, c.language_after);
    EXPECT_EQ(Configuration::messages.at("en").size(), 187u);
    EXPECT_EQ(Configuration::get_message(true, "mes_ok"), "OK");

    const std::vector<std::string> warnings = logged("WARN", resources_fn);
    ASSERT_EQ(warnings.size(), c.warnings.size()) << ::testing::PrintToString(warnings);
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        const std::string& expected = c.warnings[i];
        if (!expected.empty() && expected.back() == '*')
            EXPECT_THAT(warnings[i], StartsWith(expected.substr(0, expected.size() - 1)));
        else
            EXPECT_EQ(warnings[i], expected);
    }
    EXPECT_EQ(log.lines().size(), warnings.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadErrorStrings, ::testing::ValuesIn(resources_cases),
                         [](const ::testing::TestParamInfo<ResourcesCase>& info) {
                             return std::string(info.param.name);
                         });

class Resources : public ConfigurationFixture, public ::testing::Test {};

TEST_F(Resources, MissingFileWarningNamesThePath)
{
    Configuration::load_error_strings(resources_file());
    EXPECT_THAT(logged("WARN", resources_fn), ElementsAre("Resources file is not found: " + resources_file()));
}

TEST_F(Resources, LanguageIsAddedOnceAndNeverReplaced)
{
    dir.write("Velon.resources", R"({"ru": {"mes_ok": "first"}})");
    Configuration::load_error_strings(resources_file());
    dir.write("Velon.resources", R"({"ru": {"mes_ok": "second", "mes_no": "n"}, "de": {"mes_ok": "Gut"}})");
    Configuration::load_error_strings(resources_file());

    EXPECT_EQ(Configuration::messages.at("ru"), (Configuration::MessageTable{{"mes_ok", "first"}}));
    EXPECT_EQ(Configuration::messages.at("de"), (Configuration::MessageTable{{"mes_ok", "Gut"}}));
}

// The start of a process: "Velon.conf" names Russian, no resource file exists.
TEST_F(Resources, WithoutResourcesTextsComeOutInEnglish)
{
    dir.write("Velon.conf", R"({"plugin.language": "ru", "plugin.trusted_sites": []})");
    ASSERT_EQ(Configuration::load_conf(module_path()), "mes_success");
    Configuration::load_error_strings(resources_file());
    EXPECT_EQ(Configuration::language, "ru");
    EXPECT_THAT(logged("WARN", resources_fn), ElementsAre("Resources file is not found: " + resources_file()));

    EXPECT_EQ(Configuration::get_message(false, "mes_cancel"), "Cancel");
    EXPECT_EQ(Configuration::language, "en");
}

TEST_F(Resources, LanguageFromTheConfigurationIsUsed)
{
    dir.write("Velon.conf", R"({"plugin.language": "ru", "plugin.trusted_sites": []})");
    dir.write("Velon.resources", R"({"ru": {"mes_ok": "\u0414\u0430"}, "de": {"mes_ok": "Gut"}})");
    ASSERT_EQ(Configuration::load_conf(module_path()), "mes_success");
    Configuration::load_error_strings(Configuration::dir_of_path(module_path(), "Velon.resources"));

    EXPECT_EQ(Configuration::get_message(false, "mes_ok"), "\xd0\x94\xd0\xb0");
    EXPECT_EQ(Configuration::get_message(true, "mes_ok"), "OK");
    EXPECT_EQ(Configuration::get_message(false, "mes_no"), "No");
}

}  // namespace
}  // namespace velon_test
