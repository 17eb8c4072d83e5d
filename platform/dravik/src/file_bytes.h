// Reading whole files: certificates, CRLs, requests, keys and the library's
// own description files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace dravik {

// Far more than any certificate, CRL, request or key file holds.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

// The whole content of the regular file at file (links followed); 112 when
// it cannot be read, names no regular file (a FIFO or a device would block
// or never end) or holds more than kMaxFileBytes.
std::string readFileBytes(const std::filesystem::path& file);

}  // namespace dravik
