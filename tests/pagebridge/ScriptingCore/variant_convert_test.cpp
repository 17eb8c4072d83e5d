#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "support/StubObjects.h"
#include "ScriptingCore/variant.h"

namespace {

using PB::variant;

using Api = test::StubApi;
using PageObject = test::StubPageObject;

// Runs the read and reports either the value's text or the failure with the
// wanted type's name, so that both outcomes sit in one table.
template <typename T>
std::string outcome(const variant& v)
{
    try {
        return variant(v.convert_cast<T>()).convert_cast<std::string>();
    } catch (const PB::bad_variant_cast& e) {
        return std::string("fail:") + e.to;
    }
}

struct Case {
    const char* what;
    std::string (*read)(const variant&);
    variant value;
    std::string expected;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();

const Case cases[] = {
    // Floating to integer: truncation within the open interval (min - 1, max + 1).
    {"int(2147483647.9)", &outcome<int>, 2147483647.9, "2147483647"},
    {"int(2147483648.0)", &outcome<int>, 2147483648.0, "fail:int"},
    {"int(-2147483648.9)", &outcome<int>, -2147483648.9, "-2147483648"},
    {"int(-2147483649.0)", &outcome<int>, -2147483649.0, "fail:int"},
    {"int(NaN)", &outcome<int>, kNaN, "fail:int"},
    {"uint(-0.5)", &outcome<unsigned int>, -0.5, "0"},
    {"uint(-1.0)", &outcome<unsigned int>, -1.0, "fail:unsigned int"},
    {"uint(4294967295.5)", &outcome<unsigned int>, 4294967295.5, "4294967295"},
    {"uint(4294967296.0)", &outcome<unsigned int>, 4294967296.0, "fail:unsigned int"},
    {"short(32767.9)", &outcome<short>, 32767.9, "32767"},
    {"short(-32769.0)", &outcome<short>, -32769.0, "fail:short"},
    {"ushort(65536.0)", &outcome<unsigned short>, 65536.0, "fail:unsigned short"},
    {"long(3e9)", &outcome<long>, 3e9, "3000000000"},
    {"long(1e19)", &outcome<long>, 1e19, "fail:long"},
    {"ulonglong(1.8e19)", &outcome<unsigned long long>, 1.8e19, "18000000000000000000"},
    {"float(1e39)", &outcome<float>, 1e39, "fail:float"},
    {"float(0.5)", &outcome<float>, 0.5, "0.5"},
    // Integer to integer: the target's own limits.
    {"int(-1) as uint", &outcome<unsigned int>, -1, "fail:unsigned int"},
    {"uint(2147483648) as int", &outcome<int>, 2147483648u, "fail:int"},
    {"uint(4294967295) as long", &outcome<long>, 4294967295u, "4294967295"},
    {"long(5e9) as int", &outcome<int>, 5000000000L, "fail:int"},
    {"long(-1) as ulong", &outcome<unsigned long>, -1L, "fail:unsigned long"},
    {"ulonglong max as long long", &outcome<long long>, 18446744073709551615ULL, "fail:long long"},
    {"int to double", &outcome<double>, 7, "7"},
    {"bool to int", &outcome<int>, true, "1"},
    {"bool to double", &outcome<double>, false, "0"},
    // Strings are read like stream extraction.
    {"int(' 42xyz')", &outcome<int>, " 42xyz", "42"},
    {"int('xyz')", &outcome<int>, "xyz", "fail:int"},
    {"int('')", &outcome<int>, "", "fail:int"},
    {"int('12345678901')", &outcome<int>, "12345678901", "fail:int"},
    {"long('12345678901')", &outcome<long>, "12345678901", "12345678901"},
    {"uint('-1')", &outcome<unsigned int>, "-1", "fail:unsigned int"},
    {"ulong(' -5')", &outcome<unsigned long>, " -5", "fail:unsigned long"},
    {"uint('17')", &outcome<unsigned int>, "17", "17"},
    {"double('2.5e3x')", &outcome<double>, "2.5e3x", "2500"},
    {"int(wide '-12')", &outcome<int>, std::wstring(L"-12"), "-12"},
    // Values with no numeric rule.
    {"int(empty)", &outcome<int>, variant(), "fail:int"},
    {"int(PBNull)", &outcome<int>, PB::PBNull(), "fail:int"},
    {"int(list)", &outcome<int>, PB::VariantList{1}, "fail:int"},
    {"double(pair)", &outcome<double>, std::make_pair(1u, 2u), "fail:double"},
    // Text forms.
    {"string(3.14159265)", &outcome<std::string>, 3.14159265, "3.14159"},
    {"string(123456789.0)", &outcome<std::string>, 123456789.0, "1.23457e+08"},
    {"string(1.0)", &outcome<std::string>, 1.0, "1"},
    {"string(0.1)", &outcome<std::string>, 0.1, "0.1"},
    {"string(true)", &outcome<std::string>, true, "true"},
    {"string(-5L)", &outcome<std::string>, -5L, "-5"},
    {"string(ulonglong)", &outcome<std::string>, 18446744073709551615ULL, "18446744073709551615"},
    {"string(wide)", &outcome<std::string>, std::wstring(L"\u0416"), "\xD0\x96"},
    {"string(null marker)", &outcome<std::string>, PB::variant_detail::null(), "fail:std::string"},
    {"string(map)", &outcome<std::string>, PB::VariantMap{}, "fail:std::string"},
    {"wstring(long long)", &outcome<std::wstring>, 5LL, "fail:std::wstring"},
    {"wstring(unsigned long long)", &outcome<std::wstring>, 5ULL, "fail:std::wstring"},
    {"wstring(int)", &outcome<std::wstring>, 42, "42"},
    {"wstring(double)", &outcome<std::wstring>, 0.25, "0.25"},
    {"wstring(false)", &outcome<std::wstring>, false, "false"},
    {"wstring(utf8)", &outcome<std::wstring>, "\xD0\x96", "\xD0\x96"},
    // Flags.
    {"bool('yes')", &outcome<bool>, "yes", "true"},
    {"bool('Yes')", &outcome<bool>, "Yes", "true"},
    {"bool('T')", &outcome<bool>, "T", "true"},
    {"bool('y')", &outcome<bool>, "y", "true"},
    {"bool('1')", &outcome<bool>, "1", "true"},
    {"bool('TRUE')", &outcome<bool>, "TRUE", "true"},
    {"bool('on')", &outcome<bool>, "on", "false"},
    {"bool('0')", &outcome<bool>, "0", "false"},
    {"bool('')", &outcome<bool>, "", "false"},
    {"bool(wide 'Yes')", &outcome<bool>, std::wstring(L"Yes"), "true"},
    {"bool(2)", &outcome<bool>, 2, "true"},
    {"bool(0.4)", &outcome<bool>, 0.4, "false"},
    {"bool(-1.5)", &outcome<bool>, -1.5, "true"},
    {"bool(empty)", &outcome<bool>, variant(), "fail:long"},
    {"bool(list)", &outcome<bool>, PB::VariantList{}, "fail:long"},
    {"bool(NaN)", &outcome<bool>, kNaN, "fail:long"},
    {"bool(1e19)", &outcome<bool>, 1e19, "fail:long"},
};

TEST(VariantConvert, Matrix)
{
    for (const Case& c : cases)
        EXPECT_EQ(c.read(c.value), c.expected) << c.what;
}

TEST(VariantConvert, HeldTargetIsReturnedUnchanged)
{
    EXPECT_EQ(variant(-3).convert_cast<int>(), -3);
    EXPECT_EQ(variant(std::string("a\0b", 3)).convert_cast<std::string>(), std::string("a\0b", 3));
    EXPECT_TRUE(std::isnan(variant(kNaN).convert_cast<double>()));
}

TEST(VariantConvert, ObjectPointers)
{
    auto api = std::make_shared<Api>();
    auto page = std::make_shared<PageObject>();

    EXPECT_EQ(variant(page).convert_cast<std::shared_ptr<PB::JSAPI>>().get(), page.get());
    EXPECT_EQ(variant(api).convert_cast<std::shared_ptr<PB::JSAPI>>().get(), api.get());
    EXPECT_EQ(variant(page).convert_cast<std::shared_ptr<PB::JSObject>>().get(), page.get());

    for (const variant& none : {variant(), variant(PB::variant_detail::empty()), variant(PB::PBNull())}) {
        EXPECT_FALSE(none.convert_cast<std::shared_ptr<PB::JSAPI>>());
        EXPECT_FALSE(none.convert_cast<std::shared_ptr<PB::JSObject>>());
    }

    const struct {
        const char* what;
        variant value;
        bool pageTarget;
        const char* to;
    } failures[] = {
        {"own object as page object", variant(api), true, "PB::JSObject"},
        {"int as page object", variant(5), true, "std::shared_ptr<PB::JSAPI>"},
        {"int as object", variant(5), false, "std::shared_ptr<PB::JSAPI>"},
        {"null marker as object", variant(PB::variant_detail::null()), false, "std::shared_ptr<PB::JSAPI>"},
    };
    for (const auto& f : failures) {
        try {
            if (f.pageTarget)
                f.value.convert_cast<std::shared_ptr<PB::JSObject>>();
            else
                f.value.convert_cast<std::shared_ptr<PB::JSAPI>>();
            ADD_FAILURE() << f.what << " was accepted";
        } catch (const PB::bad_variant_cast& e) {
            EXPECT_STREQ(e.to, f.to) << f.what;
        }
    }
}

}  // namespace
