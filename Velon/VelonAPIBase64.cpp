// Base64 (RFC 4648: standard alphabet, "=" padding, no line breaks).
#include "Velon/VelonAPI.h"

#include <array>
#include <cstdint>
#include <limits>

#include "Velon/ApiLog.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Characters outside the alphabet (the cleaning keeps some) count as 0.
const std::array<unsigned char, 256>& reverse_table()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> built{};
        for (unsigned char i = 0; i < 64; ++i)
            built[static_cast<unsigned char>(kAlphabet[i])] = i;
        return built;
    }();
    return table;
}

velon::LibraryBuffer library_buffer(std::size_t size, const char* function)
{
    if (size > std::numeric_limits<std::uint32_t>::max())
        VelonAPI::fail_with_key(function, "err_mem_01");
    velon::LibraryBuffer buffer(AllocBuffer(static_cast<std::uint32_t>(size)));
    if (!buffer)
        VelonAPI::fail_with_key(function, "err_mem_01");
    return buffer;
}

}  // namespace

std::string VelonAPI::clear_base64(std::string text)
{
    VELON_TRACE("VelonAPI::clear_base64", "VelonAPI::clear_base64(*buffer*)");
    velon::LibraryBuffer buffer = library_buffer(text.size() + 1, "VelonAPI::clear_base64");
    std::size_t kept = 0;
    for (char c : text)
        if (static_cast<signed char>(c) > 13)
            buffer.get()[kept++] = c;
    buffer.get()[kept] = '\0';
    // The text is done with: it goes before the result is made, so that a
    // large text is held at most twice.
    std::string().swap(text);
    return std::string(buffer.get(), kept);
}

std::string VelonAPI::base64_to_bin(std::string text)
{
    VELON_TRACE("VelonAPI::base64_to_bin", "VelonAPI::base64_to_bin(*content*)");
    const std::string clean = clear_base64(std::move(text));
    const std::size_t length = clean.size();
    if (length % 4 != 0)
        fail_with_key("VelonAPI::base64_to_bin", "err_base64_buffer_corruption");

    const auto& table = reverse_table();
    std::string out;
    out.reserve(length / 4 * 3);
    for (std::size_t i = 0; i < length; i += 4) {
        const std::uint32_t group = (table[static_cast<unsigned char>(clean[i])] << 18) |
                                    (table[static_cast<unsigned char>(clean[i + 1])] << 12) |
                                    (table[static_cast<unsigned char>(clean[i + 2])] << 6) |
                                    table[static_cast<unsigned char>(clean[i + 3])];
        out.push_back(static_cast<char>((group >> 16) & 0xFF));
        out.push_back(static_cast<char>((group >> 8) & 0xFF));
        out.push_back(static_cast<char>(group & 0xFF));
    }
    std::size_t size = out.size();
    if (length > 0 && clean[length - 1] == '=') {
        --size;
        if (clean[length - 2] == '=')
            --size;
    }
    out.resize(size);
    return out;
}

velon::LibraryBuffer VelonAPI::base64_to_library_buffer(const std::string& text, std::uint32_t* length)
{
    VELON_TRACE("VelonAPI::base64_to_bin", "VelonAPI::base64_to_bin(*content*)");
    VELON_TRACE("VelonAPI::clear_base64", "VelonAPI::clear_base64(*buffer*)");
    // One pass cleans and decodes: bytes that clear_base64 drops are skipped
    // on the way. The buffer, asked for before the text is judged as
    // clear_base64 asks for its own, holds the most the text can decode to.
    const std::size_t n = text.size();
    velon::LibraryBuffer buffer = library_buffer(n / 4 * 3 + 3, "VelonAPI::clear_base64");
    const auto& table = reverse_table();
    const auto kept = [](unsigned char c) { return static_cast<signed char>(c) > 13; };
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = in + n;
    char* out = buffer.get();
    unsigned char group[4];
    int filled = 0;
    std::size_t cleaned = 0;
    const auto decode = [&table, &out](const unsigned char* g) {
        const std::uint32_t bits = (table[g[0]] << 18) | (table[g[1]] << 12) | (table[g[2]] << 6) | table[g[3]];
        out[0] = static_cast<char>((bits >> 16) & 0xFF);
        out[1] = static_cast<char>((bits >> 8) & 0xFF);
        out[2] = static_cast<char>(bits & 0xFF);
        out += 3;
    };
    while (in < end) {
        if (filled == 0 && end - in >= 4 && kept(in[0]) && kept(in[1]) && kept(in[2]) && kept(in[3])) {
            decode(in);
            in += 4;
            cleaned += 4;
            continue;
        }
        const unsigned char c = *in++;
        if (!kept(c))
            continue;
        group[filled++] = c;
        ++cleaned;
        if (filled == 4) {
            decode(group);
            filled = 0;
        }
    }
    if (cleaned % 4 != 0)
        fail_with_key("VelonAPI::base64_to_bin", "err_base64_buffer_corruption");

    // Trailing "=" of the cleaned text shorten the result, at most two.
    const std::size_t size = cleaned / 4 * 3;
    std::size_t padding = 0;
    for (std::size_t i = n; i > 0 && padding < 2; --i) {
        const unsigned char c = static_cast<unsigned char>(text[i - 1]);
        if (!kept(c))
            continue;
        if (c != '=')
            break;
        ++padding;
    }
    *length = static_cast<std::uint32_t>(size - padding);
    return buffer;
}

std::string VelonAPI::bin_to_base64(std::string bytes)
{
    VELON_TRACE("VelonAPI::bin_to_base64", "VelonAPI::bin_to_base64(*content*)");
    const std::size_t n = bytes.size();
    const std::size_t size = 4 * (n / 3) + (n % 3 ? 4 : 0);
    velon::LibraryBuffer buffer = library_buffer(size, "VelonAPI::bin_to_base64");
    const std::size_t rest = n % 3;
    if (rest != 0)
        bytes.append(3 - rest, '\0');
    char* out = buffer.get();
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t group = (static_cast<unsigned char>(bytes[i]) << 16) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                                    static_cast<unsigned char>(bytes[i + 2]);
        *out++ = kAlphabet[(group >> 18) & 0x3F];
        *out++ = kAlphabet[(group >> 12) & 0x3F];
        *out++ = kAlphabet[(group >> 6) & 0x3F];
        *out++ = kAlphabet[group & 0x3F];
    }
    if (rest != 0)
        for (std::size_t i = 0; i < 3 - rest; ++i)
            buffer.get()[size - 1 - i] = '=';
    return std::string(buffer.get(), size);
}
