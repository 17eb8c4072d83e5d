// The converting reads of PB::variant: one rule per held type and target.

#include <boost/numeric/conversion/cast.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "ScriptingCore/JSObject.h"
#include "ScriptingCore/utf8_tools.h"
#include "ScriptingCore/variant.h"

namespace PB {
namespace {

// Calls f with the held value when the variant holds an integer type.
template <typename F>
bool with_integer(const variant& v, F&& f)
{
    if (v.holds<char>()) return f(v.cast<char>()), true;
    if (v.holds<unsigned char>()) return f(v.cast<unsigned char>()), true;
    if (v.holds<short>()) return f(v.cast<short>()), true;
    if (v.holds<unsigned short>()) return f(v.cast<unsigned short>()), true;
    if (v.holds<int>()) return f(v.cast<int>()), true;
    if (v.holds<unsigned int>()) return f(v.cast<unsigned int>()), true;
    if (v.holds<long>()) return f(v.cast<long>()), true;
    if (v.holds<unsigned long>()) return f(v.cast<unsigned long>()), true;
    if (v.holds<long long>()) return f(v.cast<long long>()), true;
    if (v.holds<unsigned long long>()) return f(v.cast<unsigned long long>()), true;
    return false;
}

template <typename F>
bool with_floating(const variant& v, F&& f)
{
    if (v.holds<float>()) return f(v.cast<float>()), true;
    if (v.holds<double>()) return f(v.cast<double>()), true;
    return false;
}

// Reads the longest number prefix after leading white space, like stream
// extraction; a sign in front of an unsigned target is refused rather than
// wrapped around.
template <typename T>
bool parse_number(const std::string& text, T& out)
{
    std::istringstream in(text);
    if (std::is_unsigned<T>::value) {
        auto first = std::find_if(text.begin(), text.end(), [](char c) { return !std::isspace(static_cast<unsigned char>(c)); });
        if (first != text.end() && *first == '-')
            return false;
    }
    in >> out;
    return !in.fail() && !in.bad();
}

template <typename T>
T to_number(const variant& v)
{
    if (v.holds<T>())
        return v.cast<T>();
    const auto fail = [&v]() { return bad_variant_cast(v.get_type(), typeid(T)); };
    T result{};
    try {
        if (with_integer(v, [&result](auto value) { result = boost::numeric_cast<T>(value); }))
            return result;
        if (with_floating(v, [&](auto value) {
                // NaN passes every range test, and its conversion to an
                // integer is undefined: refuse it.
                if (!std::is_floating_point<T>::value && std::isnan(value))
                    throw fail();
                result = boost::numeric_cast<T>(value);
            }))
            return result;
    } catch (const boost::numeric::bad_numeric_cast&) {
        throw fail();
    }
    if (v.holds<bool>())
        return v.cast<bool>() ? T(1) : T(0);
    if (v.holds<std::string>()) {
        if (parse_number(v.cast<std::string>(), result))
            return result;
        throw fail();
    }
    if (v.holds<std::wstring>()) {
        if (parse_number(wstring_to_utf8(v.cast<std::wstring>()), result))
            return result;
        throw fail();
    }
    throw fail();
}

template <typename Char, typename T>
std::basic_string<Char> write_number(const variant& v, T value)
{
    std::basic_ostringstream<Char> out;
    out << value;
    if (out.fail())
        throw bad_variant_cast(v.get_type(), typeid(std::basic_string<Char>));
    return out.str();
}

template <typename Text>
bool is_yes(Text text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](auto c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<decltype(c)>(c - 'A' + 'a') : c;
    });
    static const char* const words[] = {"y", "1", "yes", "true", "t"};
    return std::any_of(std::begin(words), std::end(words),
                       [&text](const char* word) { return text == Text(word, word + std::char_traits<char>::length(word)); });
}

}  // namespace

template <> short variant::convert_cast<short>() const { return to_number<short>(*this); }
template <> unsigned short variant::convert_cast<unsigned short>() const { return to_number<unsigned short>(*this); }
template <> int variant::convert_cast<int>() const { return to_number<int>(*this); }
template <> unsigned int variant::convert_cast<unsigned int>() const { return to_number<unsigned int>(*this); }
template <> long variant::convert_cast<long>() const { return to_number<long>(*this); }
template <> unsigned long variant::convert_cast<unsigned long>() const { return to_number<unsigned long>(*this); }
template <> long long variant::convert_cast<long long>() const { return to_number<long long>(*this); }
template <> unsigned long long variant::convert_cast<unsigned long long>() const
{
    return to_number<unsigned long long>(*this);
}
template <> float variant::convert_cast<float>() const { return to_number<float>(*this); }
template <> double variant::convert_cast<double>() const { return to_number<double>(*this); }

template <>
bool variant::convert_cast<bool>() const
{
    if (holds<bool>())
        return cast<bool>();
    if (holds<std::string>())
        return is_yes(cast<std::string>());
    if (holds<std::wstring>())
        return is_yes(cast<std::wstring>());
    return convert_cast<long>() != 0;
}

template <>
std::string variant::convert_cast<std::string>() const
{
    if (holds<std::string>())
        return cast<std::string>();
    if (holds<bool>())
        return cast<bool>() ? "true" : "false";
    if (holds<char>())
        return std::string(1, cast<char>());
    if (holds<unsigned char>())
        return std::string(1, static_cast<char>(cast<unsigned char>()));
    if (holds<std::wstring>())
        return wstring_to_utf8(cast<std::wstring>());
    std::string text;
    const auto write = [&](auto value) { text = write_number<char>(*this, value); };
    if (with_integer(*this, write) || with_floating(*this, write))
        return text;
    throw bad_variant_cast(get_type(), typeid(std::string));
}

template <>
std::wstring variant::convert_cast<std::wstring>() const
{
    if (holds<std::wstring>())
        return cast<std::wstring>();
    if (holds<std::string>())
        return utf8_to_wstring(cast<std::string>());
    if (holds<bool>())
        return cast<bool>() ? L"true" : L"false";
    if (holds<char>())
        return std::wstring(1, static_cast<wchar_t>(static_cast<unsigned char>(cast<char>())));
    // 64-bit integers have no wide-text rule.
    if (holds<long long>() || holds<unsigned long long>())
        throw bad_variant_cast(get_type(), typeid(std::wstring));
    std::wstring text;
    const auto write = [&](auto value) { text = write_number<wchar_t>(*this, +value); };
    if (with_integer(*this, write) || with_floating(*this, write))
        return text;
    throw bad_variant_cast(get_type(), typeid(std::wstring));
}

template <>
std::shared_ptr<JSAPI> variant::convert_cast<std::shared_ptr<JSAPI>>() const
{
    if (holds<std::shared_ptr<JSObject>>())
        return cast<std::shared_ptr<JSObject>>();
    if (empty() || is_null())
        return std::shared_ptr<JSAPI>();
    return cast<std::shared_ptr<JSAPI>>();
}

template <>
std::shared_ptr<JSObject> variant::convert_cast<std::shared_ptr<JSObject>>() const
{
    std::shared_ptr<JSAPI> api = convert_cast<std::shared_ptr<JSAPI>>();
    if (!api)
        return std::shared_ptr<JSObject>();
    std::shared_ptr<JSObject> object = std::dynamic_pointer_cast<JSObject>(api);
    if (!object)
        throw bad_variant_cast(get_type(), typeid(JSObject));
    return object;
}

}  // namespace PB
