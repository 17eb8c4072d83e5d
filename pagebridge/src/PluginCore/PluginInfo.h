#pragma once
// The plug-in's display name and the descriptions of its MIME types.

#include <string>
#include <vector>

namespace PB {

extern const char* const pluginMimeDescription;  // "type:extensions:description;..."
extern const char* const pluginName;

std::string getPluginName(const std::string& mimetype);
// "Unknown Description" for a type the module does not serve.
std::string getPluginDescription(const std::string& mimetype);
// Splits at every separator; empty pieces are kept.
std::vector<std::string> splitMimeDescription(const std::string& text, char separator);
// The type -> description table of a description text (entries without all three fields are skipped).
std::vector<std::pair<std::string, std::string>> parseMimeDescription(const std::string& text);

}  // namespace PB
