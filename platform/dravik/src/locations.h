// Where a path given to the library lives: the file system, or a simulated
// token under the home folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace dravik {

struct Location {
  bool onToken = false;
  std::string device;               // the token's device path ("etoken0:")
  std::string inner;                // the path inside the token, "\"-separated; "" for its root
  std::filesystem::path local;      // where the object is kept on disk
};

// The device path at the start of path, when path names a token.
std::optional<std::string> deviceOf(const std::string& path);
// A file-system path with backslashes read as folder separators, so that paths
// built the Windows way ("<container>\keys\a.key") name what they mean.
std::filesystem::path fileSystemPath(const std::string& path);
// 207 for a token path with "." or ".." parts, which could leave the token.
Location locate(const std::string& path);
std::filesystem::path tokensFolder();
std::filesystem::path tokenFolder(const std::string& device);
// The library's name for an entry inside a token: device, "\", inner.
std::string tokenPath(const std::string& device, const std::string& inner);
// The path of relative ("keys/a.key") inside the folder base names, written
// with base's separators: backslashes on a token or when base has only those.
std::string joinPath(const std::string& base, const std::string& relative);

}  // namespace dravik
