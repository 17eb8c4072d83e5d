#include <gtest/gtest.h>

#include <boost/lexical_cast.hpp>

#include <map>
#include <stdexcept>
#include <string>

#include "PluginCore/URI.h"

namespace {

using Query = std::map<std::string, std::string>;

struct Parsed {
    const char* url;
    const char* protocol;
    const char* login;
    const char* domain;
    int port;
    const char* path;
    Query query;
    const char* fragment;
    const char* text;  // toString()
};

const Parsed parsed[] = {
    {"ABC://Srv.Local:8080/a%20b?y=%41&x=1#Top", "abc", "", "srv.local", 8080, "/a b", {{"x", "1"}, {"y", "A"}}, "Top",
     "abc://srv.local:8080/a%20b?x=1&y=A#Top"},
    {"http://example.com", "http", "", "example.com", 0, "/", {}, "", "http://example.com/"},
    {"ftp://alice@files.example/pub/x", "ftp", "alice", "files.example", 0, "/pub/x", {}, "", "ftp://alice@files.example/pub/x"},
    {"file:///C:/dir/f.txt", "file", "", "", 0, "/C:/dir/f.txt", {}, "", "file:///C%3a/dir/f.txt"},
    {"host.example/path", "", "", "host.example", 0, "/path", {}, "", "://host.example/path"},
    {"http://h.example?q=1", "http", "", "h.example?q=1", 0, "/", {}, "", "http://h.example?q=1/"},
    {"http://h:70000/", "http", "", "h", 4464, "/", {}, "", "http://h:4464/"},
    {"http://h:-1/", "http", "", "h", 65535, "/", {}, "", "http://h:65535/"},
    {"http://h/p?a&&b=", "http", "", "h", 0, "/p", {{"a", ""}, {"", ""}, {"b", ""}}, "", "http://h/p?=&a=&b="},
    {"http://h/p?k=v=w", "http", "", "h", 0, "/p", {{"k", "v"}}, "", "http://h/p?k=v"},
    {"http://h\\dir\\f", "http", "", "h", 0, "\\dir\\f", {}, "", "http://h%5cdir%5cf"},
};

TEST(URI, Parsing)
{
    for (const Parsed& p : parsed) {
        PB::URI u = PB::URI::fromString(p.url);
        EXPECT_EQ(u.protocol, p.protocol) << p.url;
        EXPECT_EQ(u.login, p.login) << p.url;
        EXPECT_EQ(u.domain, p.domain) << p.url;
        EXPECT_EQ(u.port, p.port) << p.url;
        EXPECT_EQ(u.path, p.path) << p.url;
        EXPECT_EQ(u.query_data, p.query) << p.url;
        EXPECT_EQ(u.fragment, p.fragment) << p.url;
        EXPECT_EQ(u.toString(), p.text) << p.url;
    }
}

TEST(URI, Failures)
{
    try {
        PB::URI("ht-tp://h/");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "URI: invalid characters in protocol part");
    }
    for (const char* url : {"http://h:/", "http://h:8o/", "http://h:99999999999/"})
        EXPECT_THROW(PB::URI{url}, boost::bad_lexical_cast) << url;
}

TEST(URI, DecodingAndEncoding)
{
    const struct {
        const char* in;
        const char* out;
    } decoded[] = {
        {"%2f", "/"}, {"%2F%41", "/A"}, {"a+b", "a+b"}, {"100%", "100%"}, {"%4", "%4"}, {"%zz", "%zz"}, {"%e9", "\xe9"},
    };
    for (const auto& d : decoded)
        EXPECT_EQ(PB::URI::urlDecode(d.in), d.out) << d.in;
    const struct {
        std::string in;
        const char* out;
    } encoded[] = {
        {"\xe9", "%e9"},
        {" ", "%20"},
        {"aZ09+$-_.!*'(),/", "aZ09+$-_.!*'(),/"},
        {":@&=?#%~", "%3a%40%26%3d%3f%23%25%7e"},
        {std::string("\0", 1), "%00"},
    };
    for (const auto& e : encoded)
        EXPECT_EQ(PB::URI::urlEncode(e.in), e.out) << e.in;
}

}  // namespace
