#pragma once
// A URL split into its parts: a plain value.

#include <cstdint>
#include <map>
#include <string>

namespace PB {

class URI {
public:
    URI() = default;
    // Throws std::runtime_error for a scheme with characters other than
    // letters and digits, and boost::bad_lexical_cast for a port that is no number.
    explicit URI(std::string url);

    static URI fromString(const std::string& url) { return URI(url); }
    std::string toString() const;

    static std::string urlDecode(const std::string& text);
    static std::string urlEncode(const std::string& text);
    void parseQueryData(const std::string& query);

    std::string protocol;
    std::string login;
    std::string domain;
    std::uint16_t port = 0;
    std::string path;
    std::map<std::string, std::string> query_data;
    std::string fragment;
};

}  // namespace PB
