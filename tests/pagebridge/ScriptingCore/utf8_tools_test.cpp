#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "ScriptingCore/utf8_tools.h"

namespace {

struct RoundTrip {
    const char* name;
    std::string utf8;
    std::wstring wide;
    std::u16string utf16;
};

const RoundTrip roundTrips[] = {
    {"empty", "", L"", u""},
    {"ascii", "abc", L"abc", u"abc"},
    {"latin", "\xC3\xA9", std::wstring(1, 0xE9), u"\u00E9"},
    {"cyrillic", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", L"\u041F\u0440\u0438\u0432\u0435\u0442",
     u"\u041F\u0440\u0438\u0432\u0435\u0442"},
    {"cjk", "\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587", u"\u4E2D\u6587"},
    {"emoji", "\xF0\x9F\x98\x80", std::wstring(1, static_cast<wchar_t>(0x1F600)),
     std::u16string{char16_t(0xD83D), char16_t(0xDE00)}},
    {"max code point", "\xF4\x8F\xBF\xBF", std::wstring(1, static_cast<wchar_t>(0x10FFFF)),
     std::u16string{char16_t(0xDBFF), char16_t(0xDFFF)}},
    // A leading ASCII run is taken eight bytes at a time: runs that end on,
    // before and after such a boundary, then other characters.
    {"ascii run of eight", "abcdefgh", L"abcdefgh", u"abcdefgh"},
    {"ascii run then latin", "abcdefghi\xC3\xA9z", L"abcdefghi\u00E9z", u"abcdefghi\u00E9z"},
    {"ascii run then emoji", "abcdefg\xF0\x9F\x98\x80!",
     std::wstring(L"abcdefg") + static_cast<wchar_t>(0x1F600) + L"!",
     std::u16string(u"abcdefg") + char16_t(0xD83D) + char16_t(0xDE00) + u"!"},
    {"nul inside an ascii run", std::string("abcd\0efghijk", 12), std::wstring(L"abcd\0efghijk", 12),
     std::u16string(u"abcd\0efghijk", 12)},
    // Surrogates are units of their own both ways; two encoded halves are
    // not joined into one character.
    {"lone high surrogate", "a\xED\xA0\xBD" "b", std::wstring{L'a', static_cast<wchar_t>(0xD83D), L'b'},
     std::u16string{u'a', char16_t(0xD83D), u'b'}},
    {"lone low surrogate", "\xED\xB8\x80", std::wstring(1, static_cast<wchar_t>(0xDE00)),
     std::u16string{char16_t(0xDE00)}},
    {"first and last surrogate", "\xED\xA0\x80\xED\xBF\xBF",
     std::wstring{static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDFFF)},
     std::u16string{char16_t(0xD800), char16_t(0xDFFF)}},
    {"surrogate pair in two sequences", "\xED\xA0\xBD\xED\xB8\x80",
     std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)},
     std::u16string{char16_t(0xD83D), char16_t(0xDE00)}},
    {"surrogate after an ascii run of eight", "abcdefgh\xED\xA0\xBD",
     std::wstring(L"abcdefgh") + static_cast<wchar_t>(0xD83D), std::u16string(u"abcdefgh") + char16_t(0xD83D)},
};

TEST(Utf8Tools, RoundTrips)
{
    for (const RoundTrip& c : roundTrips) {
        EXPECT_EQ(PB::utf8_to_wstring(c.utf8), c.wide) << c.name;
        EXPECT_EQ(PB::wstring_to_utf8(c.wide), c.utf8) << c.name;
        EXPECT_EQ(PB::utf8_to_utf16(c.utf8), c.utf16) << c.name;
    }
}

TEST(Utf8Tools, InvalidInputIsRejected)
{
    const struct {
        const char* name;
        std::string bytes;
    } invalid[] = {
        {"lone continuation", "\x80"},
        {"lead then ascii", "\xC3\x41"},
        {"lead at end", "ab\xC3"},
        {"truncated three-byte", "\xE4\xB8"},
        {"overlong NUL", std::string("\xC0\x80", 2)},
        {"overlong slash", "\xE0\x80\xAF"},
        {"overlong four-byte", "\xF0\x80\x80\x80"},
        {"above U+10FFFF", "\xF4\x90\x80\x80"},
        {"five-byte form", "\xF8\x88\x80\x80\x80"},
        {"six-byte form", "\xFC\x84\x80\x80\x80\x80"},
        {"invalid byte FF", "\xFF"},
        {"truncated surrogate", "\xED\xA0"},
        {"after a long ascii run", "abcdefghijklmnop\xC3"},
        {"continuation after an ascii run of eight", "abcdefgh\x80"},
    };
    for (const auto& c : invalid) {
        for (int which = 0; which < 2; ++which) {
            try {
                if (which == 0)
                    PB::utf8_to_wstring(c.bytes);
                else
                    PB::utf8_to_utf16(c.bytes);
                ADD_FAILURE() << c.name << " was accepted";
            } catch (const std::range_error& e) {
                EXPECT_STREQ(e.what(), "bad conversion") << c.name;
            }
        }
    }
}

TEST(Utf8Tools, EmbeddedNulsPassThrough)
{
    const std::string withNul("a\0b", 3);
    EXPECT_EQ(PB::wstring_to_utf8(PB::utf8_to_wstring(withNul)), withNul);
}

TEST(Utf8Tools, WideValuesThatAreNeitherCodePointNorSurrogateBecomeTheReplacementCharacter)
{
    const struct {
        const char* name;
        wchar_t value;
    } cases[] = {
        {"above U+10FFFF", static_cast<wchar_t>(0x110000)},
        {"negative", static_cast<wchar_t>(-1)},
    };
    for (const auto& c : cases) {
        const std::wstring wide{L'a', c.value, L'b'};
        EXPECT_EQ(PB::wstring_to_utf8(wide), "a\xEF\xBF\xBD" "b") << c.name;
    }
    // What comes out reads back.
    EXPECT_EQ(PB::utf8_to_wstring(PB::wstring_to_utf8(std::wstring(1, static_cast<wchar_t>(0x110000)))), L"\uFFFD");
}

}  // namespace
