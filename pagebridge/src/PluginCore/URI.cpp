#include "PluginCore/URI.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/lexical_cast.hpp>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace PB {

namespace {

std::string toLowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool isAlnumAscii(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::vector<std::string> split(const std::string& text, const char* separators)
{
    std::vector<std::string> pieces;
    boost::algorithm::split(pieces, text, boost::algorithm::is_any_of(separators));
    return pieces;
}

}  // namespace

URI::URI(std::string url)
{
    std::string rest = url;
    const std::size_t schemeEnd = rest.find("://");
    if (schemeEnd != std::string::npos) {
        protocol = toLowerAscii(rest.substr(0, schemeEnd));
        rest = rest.substr(schemeEnd + 3);
    }
    for (char c : protocol)
        if (!isAlnumAscii(c))
            throw std::runtime_error("URI: invalid characters in protocol part");

    if (protocol != "file") {
        std::string authority;
        const std::size_t pathStart = rest.find_first_of("/\\");
        if (pathStart == std::string::npos) {
            authority = rest;
            rest = "/";
        } else {
            authority = rest.substr(0, pathStart);
            rest = rest.substr(pathStart);
        }
        const std::size_t at = authority.find('@');
        if (at != std::string::npos) {
            login = authority.substr(0, at);
            authority = authority.substr(at + 1);
        }
        const std::size_t colon = authority.find(':');
        if (colon != std::string::npos) {
            domain = authority.substr(0, colon);
            // Kept as the low 16 bits, as the port field is 16 bits wide.
            port = static_cast<std::uint16_t>(boost::lexical_cast<std::int32_t>(authority.substr(colon + 1)));
        } else {
            domain = authority;
        }
        domain = toLowerAscii(domain);
    }

    const std::size_t hash = rest.find('#');
    if (hash != std::string::npos) {
        fragment = rest.substr(hash + 1);
        rest = rest.substr(0, hash);
    }
    const std::size_t question = rest.find('?');
    if (question != std::string::npos) {
        parseQueryData(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    path = urlDecode(rest);
}

void URI::parseQueryData(const std::string& query)
{
    for (const std::string& piece : split(query, "&")) {
        std::vector<std::string> tokens = split(piece, "=");
        const std::string key = urlDecode(tokens[0]);
        query_data[key] = tokens.size() >= 2 ? urlDecode(tokens[1]) : std::string();
    }
}

std::string URI::urlDecode(const std::string& text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

std::string URI::urlEncode(const std::string& text)
{
    static const std::string unreserved = "+$-_.!*'(),/";
    std::string encoded;
    encoded.reserve(text.size());
    for (char c : text) {
        if (isAlnumAscii(c) || unreserved.find(c) != std::string::npos) {
            encoded.push_back(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%.2x", static_cast<unsigned int>(static_cast<unsigned char>(c)));
            encoded += escape;
        }
    }
    return encoded;
}

std::string URI::toString() const
{
    std::string url = protocol + "://";
    if (!login.empty())
        url += login + "@";
    url += domain;
    if (port != 0)
        url += ":" + std::to_string(port);
    url += urlEncode(path);
    bool first = true;
    for (const auto& pair : query_data) {
        url += first ? "?" : "&";
        first = false;
        url += urlEncode(pair.first) + "=" + urlEncode(pair.second);
    }
    if (!fragment.empty())
        url += "#" + fragment;
    return url;
}

}  // namespace PB
