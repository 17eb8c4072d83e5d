#pragma once
// Response headers as a multimap: several headers of one name are all kept.

#include <map>
#include <string>

namespace PB {

using HeaderMap = std::multimap<std::string, std::string>;

// Turns a header text ("Name: value" lines separated by CR and/or LF) into
// a map; names and values are trimmed, lines without a colon are skipped.
HeaderMap parseHttpHeaders(const std::string& text);

}  // namespace PB
