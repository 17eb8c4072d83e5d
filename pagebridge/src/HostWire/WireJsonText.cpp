// The text of a value on the wire, written straight from the variant. It is
// the text that variantToJson and toJsonText (Json::FastWriter) give, byte
// for byte: the same forms of values, members in the same order, numbers
// written by jsoncpp's own routines, and strings quoted as jsoncpp quotes
// them (control characters and every non-ASCII character as \u escapes,
// with the same reading of malformed UTF-8). What it saves is the JSON value
// in between and the writer's copies, so that a large answer is held twice
// at most: as the variant and as its message.

#include <json/json.h>

#include "HostWire/WireValues.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace HostWire {

namespace {

void appendEscape(std::string& out, unsigned int unit)
{
    static const char hex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(hex[(unit >> shift) & 0xF]);
}

// The code point jsoncpp reads at *at, leaving at on its last byte: the
// bytes after a lead are taken without looking at them, and a form that is
// too short, overlong or a surrogate reads as U+FFFD.
unsigned int codePoint(const char*& at, const char* end)
{
    const unsigned int replacement = 0xFFFD;
    const auto byte = [at](int i) { return static_cast<unsigned int>(static_cast<unsigned char>(at[i])); };
    const unsigned int first = byte(0);
    if (first < 0x80)
        return first;
    if (first < 0xE0) {
        if (end - at < 2)
            return replacement;
        const unsigned int value = ((first & 0x1F) << 6) | (byte(1) & 0x3F);
        at += 1;
        return value < 0x80 ? replacement : value;
    }
    if (first < 0xF0) {
        if (end - at < 3)
            return replacement;
        const unsigned int value = ((first & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
        at += 2;
        if (value >= 0xD800 && value <= 0xDFFF)
            return replacement;
        return value < 0x800 ? replacement : value;
    }
    if (first < 0xF8) {
        if (end - at < 4)
            return replacement;
        const unsigned int value =
            ((first & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
        at += 3;
        return value < 0x10000 ? replacement : value;
    }
    return replacement;
}

void appendQuoted(std::string& out, const std::string& text)
{
    // Room for the text with its escapes (at most six characters for each
    // byte that may need one) and what follows it in the message, so that a
    // large text is not moved while the message grows.
    std::size_t escaped = 0;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        escaped += byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\';
    }
    out.reserve(out.size() + text.size() + 5 * escaped + 64);
    out.push_back('"');
    const char* const end = text.data() + text.size();
    for (const char* at = text.data(); at != end; ++at) {
        // A run that needs no escape goes over in one piece.
        const char* run = at;
        while (run != end && static_cast<unsigned char>(*run) >= 0x20 && static_cast<unsigned char>(*run) < 0x80 &&
               *run != '"' && *run != '\\')
            ++run;
        if (run != at) {
            out.append(at, run);
            at = run;
            if (at == end)
                break;
        }
        switch (*at) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            unsigned int value = codePoint(at, end);
            if (value < 0x20) {
                appendEscape(out, value);
            } else if (value < 0x80) {
                out.push_back(static_cast<char>(value));
            } else if (value < 0x10000) {
                appendEscape(out, value);
            } else {
                value -= 0x10000;
                appendEscape(out, 0xD800 + ((value >> 10) & 0x3FF));
                appendEscape(out, 0xDC00 + (value & 0x3FF));
            }
        }
        }
    }
    out.push_back('"');
}

void appendValue(std::string& out, const variant& value)
{
    // The forms of variantToJson.
    if (const std::string* text = value.get_if<std::string>()) {
        appendQuoted(out, *text);
    } else if (const std::wstring* wide = value.get_if<std::wstring>()) {
        appendQuoted(out, wstring_to_utf8(*wide));
    } else if (const VariantMap* map = value.get_if<VariantMap>()) {
        out.push_back('{');
        for (auto member = map->begin(); member != map->end(); ++member) {
            if (member != map->begin())
                out.push_back(',');
            appendQuoted(out, member->first);
            out.push_back(':');
            appendValue(out, member->second);
        }
        out.push_back('}');
    } else if (const VariantList* list = value.get_if<VariantList>()) {
        out.push_back('[');
        for (std::size_t i = 0; i < list->size(); ++i) {
            if (i > 0)
                out.push_back(',');
            appendValue(out, (*list)[i]);
        }
        out.push_back(']');
    } else if (value.holds<int>() || value.holds<char>() || value.holds<short>() || value.holds<long>() ||
               value.holds<long long>()) {
        out += Json::valueToString(static_cast<Json::LargestInt>(value.convert_cast<long long>()));
    } else if (value.holds<unsigned int>() || value.holds<unsigned short>() || value.holds<unsigned char>() ||
               value.holds<unsigned long>() || value.holds<unsigned long long>()) {
        out += Json::valueToString(static_cast<Json::LargestUInt>(value.convert_cast<unsigned long long>()));
    } else if (value.holds<double>() || value.holds<float>()) {
        out += Json::valueToString(value.convert_cast<double>());
    } else if (value.holds<bool>()) {
        out += value.cast<bool>() ? "true" : "false";
    } else {
        out += "null";
    }
}

}  // namespace

std::string variantToJsonText(const variant& value)
{
    std::string text;
    appendValue(text, value);
    return text;
}

}  // namespace HostWire
}  // namespace PB
