// Small key=value files: the descriptions of tokens and key containers.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace dravik {

using ConfValues = std::map<std::string, std::string>;

// nullopt when the file cannot be read.
std::optional<ConfValues> readConf(const std::filesystem::path& file);
// Writes through a temporary file and a rename, so that a reader never sees
// half a file; false on failure.
bool writeConf(const std::filesystem::path& file, const ConfValues& values);

}  // namespace dravik
