#pragma once
// The data a signing method hands to the library: text as UTF-16 (16-bit
// units, low byte first), bytes decoded from Base64, or a whole file read
// into a library buffer.

#include <cstdint>
#include <string>

#include "Velon/DravikHandles.h"

class VelonAPI;

namespace velon {

enum class SignSource { Text, Base64, File };

struct SignData {
    std::string bytes;   // Text and Base64
    LibraryBuffer file;  // File
    std::uint32_t length = 0;

    const void* data() const { return file ? static_cast<const void*>(file.get()) : bytes.data(); }
    void release()
    {
        file.reset();
        bytes.clear();
        length = 0;
    }
};

// content is the page's text, its Base64 text or a file path (UTF-8).
SignData sign_data(VelonAPI& api, SignSource source, std::string content);

}  // namespace velon
