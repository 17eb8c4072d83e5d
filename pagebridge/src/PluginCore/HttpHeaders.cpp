#include "PluginCore/HttpHeaders.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/algorithm/string/trim.hpp>

#include <locale>
#include <vector>

namespace PB {

HeaderMap parseHttpHeaders(const std::string& text)
{
    const std::locale& classic = std::locale::classic();
    std::vector<std::string> lines;
    boost::algorithm::split(lines, text, boost::algorithm::is_any_of("\r\n"));
    HeaderMap headers;
    for (std::string& line : lines) {
        boost::algorithm::trim(line, classic);
        const std::string::size_type colon = line.find(':');
        if (line.empty() || colon == std::string::npos)
            continue;
        headers.emplace(boost::algorithm::trim_copy(line.substr(0, colon), classic),
                        boost::algorithm::trim_copy(line.substr(colon + 1), classic));
    }
    return headers;
}

}  // namespace PB
