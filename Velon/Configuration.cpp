#include "Velon/Configuration.h"

#include "Velon/JsonFile.h"
#include "ScriptingCore/Log.h"

namespace {

// Log lines of this file name the operation they belong to, whichever helper writes them.
struct LogSite {
    const char* component;
    const char* function;
};
constexpr LogSite load_site{"Configuration::load_conf()", "Configuration::load_conf"};
constexpr LogSite add_site{"Configuration::add_trusted()", "Configuration::add_trusted"};

#define CONF_LOG_ERROR(site, message) ::PB::Log::error((site).component, (message), __FILE__, __LINE__, (site).function)
#define CONF_LOG_WARN(site, message) ::PB::Log::warn((site).component, (message), __FILE__, __LINE__, (site).function)

const char* const success = "mes_success";
const char* const path_invalid = "err_pfiles";
const char* const not_found = "err_cfile_01";
const char* const parse_failed = "err_cfile_02";
const char* const write_failed = "err_cfile_03";

const char* const language_key = "plugin.language";
const char* const log_level_key = "plugin.loglevel";
const char* const trusted_sites_key = "plugin.trusted_sites";

// Reads conf_path into root; logs and answers the failure key, or success.
std::string read_conf_file(const LogSite& site, Json::Value& root, bool strict_end)
{
    std::string errors;
    switch (velon::JsonFile::read(Configuration::conf_path, root, errors, strict_end)) {
    case velon::JsonFile::ReadStatus::not_found:
        CONF_LOG_ERROR(site, "Config file is not found: " + Configuration::conf_path);
        return not_found;
    case velon::JsonFile::ReadStatus::parse_error:
        CONF_LOG_ERROR(site, "Failed to parse configuration file: " + errors);
        return parse_failed;
    case velon::JsonFile::ReadStatus::ok:
        break;
    }
    // Members are looked up by name, which only an object (or null, read as
    // an empty object) allows; anything else is a malformed file, not a
    // reason to throw at the caller.
    if (!root.isObject() && !root.isNull()) {
        CONF_LOG_ERROR(site, "Failed to parse configuration file: the top-level value is not an object");
        return parse_failed;
    }
    return success;
}

bool is_allowed_language(const std::string& language)
{
    return language == "ru" || language == "en" || language.empty();
}

bool is_allowed_log_level(int level)
{
    return level == 1 || level == 2 || level == 4 || level == 8 || level == 16;
}

}  // namespace

std::string Configuration::language;
std::int32_t Configuration::log_level = 0;
std::vector<std::string> Configuration::trusted_sites;
std::string Configuration::conf_path;
std::map<std::string, Configuration::MessageTable> Configuration::messages;

std::string Configuration::dir_of_path(std::string path, std::string file_name)
{
    const std::string::size_type separator = path.find_last_of("/\\");
    // A bare file name lies in the current directory.
    if (separator == std::string::npos)
        return file_name;
    return path.substr(0, separator + 1) + file_name;
}

int Configuration::get_log_level()
{
    return log_level;
}

std::string Configuration::load_conf(std::string module_path)
{
    ensure_english_table();

    if (module_path.find_first_of("/\\") == std::string::npos) {
        CONF_LOG_ERROR(load_site, "The plugin path is invalid: " + module_path);
        return path_invalid;
    }
    conf_path = dir_of_path(module_path, "Velon.conf");

    Json::Value root;
    const std::string read = read_conf_file(load_site, root, false);
    if (read != success)
        return read;

    // Each value is stored before it is checked; callers rely on a rejected
    // language or level being in force all the same.
    const Json::Value lang = root.get(language_key, "en");
    if (!lang.isString()) {
        CONF_LOG_ERROR(load_site, "plugin.language param error in configuration file");
        return parse_failed;
    }
    language = lang.asString();
    if (!is_allowed_language(language)) {
        CONF_LOG_ERROR(load_site, "plugin.language param error in configuration file");
        return parse_failed;
    }

    // isInt also takes a number such as 4.0 whose value is a 32-bit integer.
    const Json::Value level = root.get(log_level_key, 16);
    if (!level.isInt()) {
        CONF_LOG_ERROR(load_site, "plugin.loglevel param error in configuration file");
        return parse_failed;
    }
    log_level = level.asInt();
    if (!is_allowed_log_level(log_level)) {
        CONF_LOG_ERROR(load_site, "plugin.loglevel param error in configuration file");
        return parse_failed;
    }

    const Json::Value sites = root.get(trusted_sites_key, Json::Value());
    if (!sites.isArray()) {
        CONF_LOG_ERROR(load_site, "plugin.trusted_sites param error in configuration file");
        return parse_failed;
    }
    for (const Json::Value& rule : sites) {
        if (!rule.isString()) {
            CONF_LOG_ERROR(load_site, "plugin.trusted_sites param error in configuration file");
            return parse_failed;
        }
        trusted_sites.push_back(rule.asString());
    }
    return success;
}

std::string Configuration::add_trusted(std::string site)
{
    // Trusted for this process whatever becomes of the file.
    trusted_sites.push_back(site);

    // Another process may be adding a site at the same time: the file is
    // read again and replaced under a lock, so that neither loses the other's.
    const velon::JsonFile::UpdateLock lock(conf_path);
    // The file is written back whole, so it must be read whole: trailing
    // text the reader would skip is refused rather than silently dropped.
    Json::Value root;
    const std::string read = read_conf_file(add_site, root, true);
    if (read != success)
        return read;

    Json::Value& sites = root[trusted_sites_key];
    if (!sites.isArray()) {
        CONF_LOG_WARN(add_site, "plugin.trusted_sites param error in configuration file");
        sites = Json::Value(Json::arrayValue);
    }
    sites.append(Json::Value(site));

    if (!velon::JsonFile::write(conf_path, root)) {
        CONF_LOG_ERROR(add_site, "Config file can not be open for write: " + conf_path);
        return write_failed;
    }
    return success;
}
