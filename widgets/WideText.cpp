#include "widgets/WideText.h"

#include "ScriptingCore/utf8_tools.h"

#include <stdexcept>

std::wstring wideFromUtf8(const std::string& text) {
    try {
        return PB::utf8_to_wstring(text);
    } catch (const std::range_error&) {
        return std::wstring();
    }
}

std::string utf8FromWide(const std::wstring& text) { return PB::wstring_to_utf8(text); }
