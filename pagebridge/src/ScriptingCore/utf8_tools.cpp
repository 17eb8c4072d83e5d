#include "ScriptingCore/utf8_tools.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace PB {
namespace {

[[noreturn]] void fail()
{
    throw std::range_error("bad conversion");
}

const char32_t replacementCharacter = 0xFFFD;

// Calls sink(code point) for each character from byte from on; rejects
// stray continuation bytes, leads of five- and six-byte forms, overlong
// forms, truncated sequences and values above U+10FFFF. Encoded surrogates
// pass as their values: a page's text may hold a lone one.
template <typename Sink>
void decode_utf8(const std::string& text, Sink sink, std::size_t from = 0)
{
    static const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    const std::size_t size = text.size();
    for (std::size_t i = from; i < size;) {
        const unsigned char lead = static_cast<unsigned char>(text[i++]);
        if (lead < 0x80) {
            sink(lead);
            continue;
        }
        int extra;
        char32_t value;
        if (lead >= 0xC0 && lead <= 0xDF) {
            extra = 1;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF7) {
            extra = 3;
            value = lead & 0x07;
        } else {
            fail();
        }
        for (int k = 0; k < extra; ++k) {
            if (i >= size)
                fail();
            const unsigned char next = static_cast<unsigned char>(text[i++]);
            if ((next & 0xC0) != 0x80)
                fail();
            value = (value << 6) | (next & 0x3F);
        }
        if (value < smallest[extra] || value > 0x10FFFF)
            fail();
        sink(value);
    }
}

// The length of the leading run of ASCII bytes, found eight at a time.
std::size_t ascii_run(const std::string& text)
{
    const std::size_t size = text.size();
    std::size_t i = 0;
    for (std::uint64_t bytes; i + 8 <= size; i += 8) {
        std::memcpy(&bytes, text.data() + i, sizeof bytes);
        if (bytes & 0x8080808080808080ULL)
            break;
    }
    while (i < size && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

}  // namespace

std::wstring utf8_to_wstring(std::string utf8)
{
    std::wstring wide;
    wide.reserve(utf8.size());
    decode_utf8(utf8, [&wide](char32_t c) { wide.push_back(static_cast<wchar_t>(c)); });
    return wide;
}

std::u16string utf8_to_utf16(std::string utf8)
{
    // A leading ASCII stretch (all of most texts) is widened in one go.
    const std::size_t ascii = ascii_run(utf8);
    std::u16string units(utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(ascii));
    if (ascii == utf8.size())
        return units;
    units.reserve(utf8.size());
    decode_utf8(utf8, [&units](char32_t c) {
        if (c > 0xFFFF) {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(c));
        }
    }, ascii);
    return units;
}

std::string wstring_to_utf8(const std::wstring& wide)
{
    std::string utf8;
    utf8.reserve(wide.size());
    for (wchar_t unit : wide) {
        // A wide character holds a code point or a surrogate unit here; a
        // value that is neither (negative, above U+10FFFF) is written as
        // U+FFFD, so that no caller has to fail.
        auto c = static_cast<std::uint32_t>(unit);
        if (c > 0x10FFFF)
            c = replacementCharacter;
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (c >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (c >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

}  // namespace PB
