#pragma once
// The data of the large-payload benchmarks, made once per process: 16 MiB of
// pseudo-random bytes with their Base64 text (no line breaks), plain ASCII
// texts of a number of MiB with the UTF-16 form that the library signs for
// them, and a 64 MiB file of pseudo-random bytes in the workspace.

#include <cstddef>
#include <string>

namespace bench {

constexpr std::size_t kMiB = 1024 * 1024;

struct Payload {
    static const std::string& bytes();
    static const std::string& base64();
    static const std::string& text(std::size_t mib);
    static const std::string& textUtf16(std::size_t mib);
    // The file's bytes, and its path.
    static const std::string& fileBytes();
    static const std::string& filePath();
};

std::string toBase64(const std::string& bytes);

}  // namespace bench
