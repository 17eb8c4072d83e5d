// Matching page addresses against the trusted-site rules of "Velon.conf".
#include "Velon/Configuration.h"
#include "Velon/SitePatterns.h"

#include "ScriptingCore/Log.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace velon {
namespace site {

const boost::regex& page_pattern()
{
    static const boost::regex pattern("(https?://)?([^/ :]+):?([^/ ]*)(/?[^ #?]*)\\x3f?([^ #]*)#?([^ ]*)");
    return pattern;
}

const boost::regex& rule_pattern()
{
    static const boost::regex pattern(
        "(https?://)?(\\*\\.)?([^/ :]+):?([^/ ]*)(/?[^ #?]*)\\x3f?([^ #]*)#?([^ ]*)");
    return pattern;
}

bool hides_real_host(const std::string& host, const std::string& port)
{
    if (host.find('@') != std::string::npos)
        return true;
    return !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool is_file_page(const std::string& url)
{
    return url.compare(0, 8, "file:///") == 0;
}

bool match(const std::string& text, boost::smatch& parts, const boost::regex& pattern)
{
    if (text.find(' ') != std::string::npos)
        return false;
    try {
        return boost::regex_match(text, parts, pattern);
    } catch (const std::runtime_error&) {
        return false;
    }
}

std::string as_browser_reads(std::string url)
{
    if (is_file_page(url))
        return url;
    std::replace(url.begin(), url.end(), '\\', '/');
    std::string::size_type host = 0;
    for (const char* scheme : {"http://", "https://"})
        if (url.compare(0, std::strlen(scheme), scheme) == 0)
            host = std::strlen(scheme);
    const std::string::size_type end = url.find_first_of("/?#", host);
    if (end != std::string::npos && url[end] != '/')
        url.insert(end, 1, '/');
    return url;
}

}  // namespace site
}  // namespace velon

bool Configuration::is_ip_address(std::string host)
{
    static const boost::regex ipv4("(\\d{1,3})(\\.\\d{1,3}){3}");
    return boost::regex_match(host, ipv4);
}

int Configuration::is_host_trusted(std::string url)
{
    if (trusted_sites.empty())
        return 0;
    if (velon::site::is_file_page(url))
        return std::find(trusted_sites.begin(), trusted_sites.end(), url) != trusted_sites.end() ? 1 : 0;

    url = velon::site::as_browser_reads(std::move(url));
    boost::smatch page;
    if (!velon::site::match(url, page, velon::site::rule_pattern()))
        return -1;
    const std::string scheme = page[1];
    const std::string host = page[3];
    if (velon::site::hides_real_host(host, page[4]))
        return -1;
    const bool host_is_ip = is_ip_address(host);

    for (const std::string& rule : trusted_sites) {
        boost::smatch parts;
        if (!velon::site::match(rule, parts, velon::site::rule_pattern())) {
            ::PB::Log::warn("Configuration::is_host_trusted()", "Bad rule in config file for url: " + rule, __FILE__,
                            __LINE__, "Configuration::is_host_trusted");
            continue;
        }
        if (parts[1].length() != 0 && parts[1] != scheme)
            continue;
        const std::string rule_host = parts[3];
        if (is_ip_address(rule_host)) {
            if (host_is_ip && host == rule_host)
                return 1;
            continue;
        }
        if (host_is_ip)
            continue;
        if (host == rule_host)
            return 1;
        // "*.example.com" covers the hosts below example.com: the text before
        // the domain must end at a label boundary, or "evilexample.com"
        // would pass for a subdomain.
        if (parts[2] == "*." && rule_host.find('.') != std::string::npos && rule_host.size() < host.size() &&
            host.compare(host.size() - rule_host.size(), rule_host.size(), rule_host) == 0 &&
            host[host.size() - rule_host.size() - 1] == '.')
            return 1;
    }
    return 0;
}
