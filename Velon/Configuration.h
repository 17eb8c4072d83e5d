#pragma once
// Process-wide settings of the plug-in: "Velon.conf" (language, log level,
// trusted sites), the message tables of the texts shown to users and written
// to the log, and the message keys of the crypto library's result codes.
//
// There are no instances: every plug-in instance in the process shares this
// state, and it is touched only on the thread that runs the API calls, so it
// takes no lock. Operations report failure by returning a message key
// ("mes_success" when all went well), log the failure themselves and do not
// throw; turning a key into a page-visible error is the caller's business.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Configuration {
public:
    Configuration() = delete;

    // Message key -> UTF-8 text.
    using MessageTable = std::map<std::string, std::string>;

    // Language of the message texts ("plugin.language"); empty until read.
    static std::string language;
    // "plugin.loglevel": 1 TRACE, 2 DEBUG, 4 INFO, 8 WARN, 16 ERROR.
    static std::int32_t log_level;
    // Trusted-site rules of the file, in file order, then those added by add_trusted.
    static std::vector<std::string> trusted_sites;
    // UTF-8 path of "Velon.conf", set by load_conf and rewritten by add_trusted.
    static std::string conf_path;
    // Language code -> its table. "en" is built in; a language once present
    // is never replaced or merged.
    static std::map<std::string, MessageTable> messages;
    // Crypto library result codes that have a text of their own, ascending.
    static const std::array<std::int32_t, 122> error_codes;

    // Reads "Velon.conf" beside the module (module_path is the module file's
    // full UTF-8 path). Returns "mes_success", "err_pfiles", "err_cfile_01"
    // or "err_cfile_02".
    static std::string load_conf(std::string module_path);
    // Trusts site for the rest of the process and appends it to the file's
    // "plugin.trusted_sites". Returns "mes_success", "err_cfile_01",
    // "err_cfile_02" or "err_cfile_03".
    static std::string add_trusted(std::string site);
    // The path of a file named file_name in the directory of path.
    static std::string dir_of_path(std::string path, std::string file_name);
    static int get_log_level();

    // With english set, the English text of key (for log lines); otherwise
    // the text of the language in force, English where it lacks the key.
    // Empty for a key nobody knows.
    static std::string get_message(bool english, std::string key);
    // Adds the languages of the resource file at path (UTF-8) that are not
    // loaded yet. Problems cost a warning each and leave English in force.
    static void load_error_strings(std::string path);

    // Whether a trusted-site rule covers the page address url: 1 yes, 0 no,
    // -1 when url cannot be read as a page address.
    static int is_host_trusted(std::string url);
    // Whether host has the shape of an IPv4 literal (four groups of one to
    // three digits; the ranges are not checked).
    static bool is_ip_address(std::string host);

    // The message key of a crypto library result code: "err_dravik_<code>"
    // for a code of error_codes, "err_dravik_000" for any other.
    static std::string error_key(int code);

private:
    static void ensure_english_table();
};
