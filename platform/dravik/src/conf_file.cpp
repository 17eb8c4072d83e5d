#include "conf_file.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "error.h"
#include "file_bytes.h"

namespace dravik {

std::optional<ConfValues> readConf(const std::filesystem::path& file) {
  std::string text;
  try {
    text = readFileBytes(file);
  } catch (const DravikError&) {
    return std::nullopt;
  }
  std::istringstream in(text);
  ConfValues values;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
    values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

bool writeConf(const std::filesystem::path& file, const ConfValues& values) {
  std::filesystem::path temporary = file;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const auto& [key, value] : values) {
      // A line break inside a value would forge another key.
      if (key.find_first_of("=\r\n") != std::string::npos || value.find_first_of("\r\n") != std::string::npos)
        return false;
      out << key << '=' << value << '\n';
    }
    if (!out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, file, error);
  if (error) std::filesystem::remove(temporary, error);
  return !error;
}

}  // namespace dravik
