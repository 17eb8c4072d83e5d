#pragma once
// How page addresses and trusted-site rules are read: the patterns shared
// by the site check and the rule matching.

#include <boost/regex.hpp>

#include <string>

namespace velon {
namespace site {

// A page address: 1 scheme ("http://", "https://" or none), 2 host, 3 port,
// 4 path, 5 query, 6 fragment.
const boost::regex& page_pattern();
// A page address or a rule: 1 scheme, 2 wildcard "*.", 3 host, 4 port,
// 5 path, 6 query, 7 fragment.
const boost::regex& rule_pattern();

// Matches the whole text against pattern. A text with a blank never matches
// (no group admits one), and it is refused before the library tries: its
// search for a way to match would run into the library's complexity limit.
// Any other text the library gives up on does not match either.
bool match(const std::string& text, boost::smatch& parts, const boost::regex& pattern);

// A page address the way a browser reads its host: a backslash separates
// like a slash, and a query or fragment ends the host
// ("https://a.example\\.b.example/", "https://a.example?.b.example" and
// "https://a.example#.b.example" all name the host "a.example"). Addresses
// of "file:///" pages are left as they are.
std::string as_browser_reads(std::string url);

// Whether the host and port groups read from a page address name user
// information ("https://bank.example:x@other.example/"), which would make
// the address look like a host it does not lead to.
bool hides_real_host(const std::string& host, const std::string& port);

// "file:///" pages are compared whole.
bool is_file_page(const std::string& url);

}  // namespace site
}  // namespace velon
