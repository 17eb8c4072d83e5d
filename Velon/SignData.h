#pragma once
// The data a signing method hands to the library: text as UTF-16 (16-bit
// units, low byte first), bytes decoded from Base64 into a library buffer,
// or a whole file read into a library buffer.

#include <cstdint>
#include <string>

#include "Velon/DravikHandles.h"

namespace velon {

enum class SignSource { Text, Base64, File };

// The UTF-16 units of a text are signed as they lie in memory, which is
// their low byte first only on a little-endian machine.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "text is signed as UTF-16 with its low byte first");

struct SignData {
    std::u16string text;   // Text
    LibraryBuffer buffer;  // Base64 and File
    std::uint32_t length = 0;

    const void* data() const { return buffer ? static_cast<const void*>(buffer.get()) : text.data(); }
    void release()
    {
        buffer.reset();
        text = std::u16string();
        length = 0;
    }
};

// content is the page's text, its Base64 text or a file path (UTF-8).
SignData sign_data(SignSource source, std::string content);

}  // namespace velon
