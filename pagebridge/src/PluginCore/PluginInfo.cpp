#include "PluginCore/PluginInfo.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include <map>

namespace PB {

const char* const pluginMimeDescription = "application/x-velon::Orvanta Signature Plugin;";
const char* const pluginName = "Orvanta Signature Plugin";

std::string getPluginName(const std::string&)
{
    return pluginName;
}

std::vector<std::string> splitMimeDescription(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    boost::algorithm::split(pieces, text, boost::algorithm::is_any_of(std::string(1, separator)));
    return pieces;
}

std::vector<std::pair<std::string, std::string>> parseMimeDescription(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& entry : splitMimeDescription(text, ';')) {
        std::vector<std::string> fields = splitMimeDescription(entry, ':');
        if (fields.size() >= 3)
            entries.emplace_back(fields[0], fields[2]);
    }
    return entries;
}

std::string getPluginDescription(const std::string& mimetype)
{
    // Built once; later entries for a type replace earlier ones.
    static const std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> t;
        for (const auto& entry : parseMimeDescription(pluginMimeDescription))
            t[entry.first] = entry.second;
        return t;
    }();
    auto found = table.find(mimetype);
    return found == table.end() ? "Unknown Description" : found->second;
}

}  // namespace PB
