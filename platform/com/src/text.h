// UTF-8 for the layer's own texts (registry dumps, scripts, resources); invalid sequences read as
// U+FFFD.
#pragma once

#include <string>

namespace com {
namespace detail {

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

}  // namespace detail
}  // namespace com
