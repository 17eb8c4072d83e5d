// Runs the openssl command-line tool with the GOST engine configured, to
// check the library's output with an independent verifier.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace dravik_test {

struct CliResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr
};

// Runs "openssl args..." in folder, with an OPENSSL_CONF there that loads the
// GOST engine.
CliResult runOpenssl(const std::filesystem::path& folder, const std::vector<std::string>& args);

}  // namespace dravik_test
