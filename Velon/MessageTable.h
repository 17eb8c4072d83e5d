#pragma once
// The built-in English texts of the message table. English is the language
// every other one falls back to, so its texts live in the module itself.

#include <array>

namespace velon {

struct BuiltinMessage {
    const char* key;
    const char* text;
};

extern const std::array<BuiltinMessage, 187> builtin_english_messages;

}  // namespace velon
