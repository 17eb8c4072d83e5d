// Values between PB::variant and COM VARIANT, both ways.

#include <limits>
#include <stdexcept>
#include <ostream>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "AxFixture.h"

namespace {

using PB::variant;

class VariantConversion : public axtest::AxFixture {};

struct ToComCase {
    const char* name;
    variant value;
    VARTYPE vt;
    LONGLONG number;          // the integer read of the union (VT_BOOL: boolVal)
    const wchar_t* text;      // VT_BSTR
};

void PrintTo(const ToComCase& c, std::ostream* os)
{
    *os << c.name;
}

class ToCom : public VariantConversion, public testing::WithParamInterface<ToComCase> {};

TEST_P(ToCom, BuildsTheVariantOfTheHeldType)
{
    const ToComCase& c = GetParam();
    com::Variant out;
    host->getComVariant(&out, c.value);
    ASSERT_EQ(out.vt, c.vt);
    switch (out.vt) {
    case VT_BOOL:
        EXPECT_EQ(out.boolVal, c.number);
        break;
    case VT_I4:
        EXPECT_EQ(out.lVal, c.number);
        break;
    case VT_UI4:
        EXPECT_EQ(out.ulVal, static_cast<ULONG>(c.number));
        break;
    case VT_I8:
    case VT_UI8:
        EXPECT_EQ(out.llVal, c.number);
        break;
    case VT_R8:
        EXPECT_DOUBLE_EQ(out.dblVal, static_cast<double>(c.number));
        break;
    case VT_BSTR:
        EXPECT_EQ(com::fromBstr(out.bstrVal), c.text);
        break;
    default:
        break;
    }
}

struct NotStd {};

const ToComCase kToCom[] = {
    {"True", variant(true), VT_BOOL, -1, nullptr},
    {"False", variant(false), VT_BOOL, 0, nullptr},
    {"Int", variant(-5), VT_I4, -5, nullptr},
    {"LongIs32Bit", variant(7L), VT_I4, 7, nullptr},
    {"UnsignedLong", variant(7UL), VT_UI4, 7, nullptr},
    {"UnsignedLongLong", variant(std::numeric_limits<unsigned long long>::max()), VT_UI8, -1, nullptr},
    {"Double", variant(2.0), VT_R8, 2, nullptr},
    {"TextEndsAtNul", variant(std::string("a\0b", 3)), VT_BSTR, 0, L"a"},
    {"LongAsciiTextEndsAtNul", variant(std::string("abcdefghij\0klm", 14)), VT_BSTR, 0, L"abcdefghij"},
    {"Utf8Text", variant(std::string("abcdefgh\xC3\xA9t\xC3\xA9")), VT_BSTR, 0, L"abcdefgh\u00E9t\u00E9"},
    {"TextBeyondTheBasicPlane", variant(std::string("x\xF0\x9F\x98\x80")), VT_BSTR, 0, L"x\U0001F600"},
    {"WideText", variant(std::wstring(L"\u00E9t\u00E9")), VT_BSTR, 0, L"\u00E9t\u00E9"},
    {"Exception", variant(std::runtime_error("broken")), VT_BSTR, 0, L"broken"},
    {"ExceptionPointer", variant(std::make_exception_ptr(std::runtime_error("thrown"))), VT_BSTR, 0, L"thrown"},
    {"ForeignException", variant(std::make_exception_ptr(NotStd())), VT_BSTR, 0, L"Unknown exception"},
    {"EmptyExceptionPointer", variant(std::exception_ptr()), VT_BSTR, 0, L"Unknown exception"},
    {"Null", variant(PB::PBNull()), VT_NULL, 0, nullptr},
    {"Undefined", variant(PB::variant_detail::empty()), VT_EMPTY, 0, nullptr},
    {"Empty", variant(), VT_EMPTY, 0, nullptr},
    {"NoBuilder", variant(std::pair<unsigned int, unsigned int>(1, 2)), VT_EMPTY, 0, nullptr},
    {"EmptyPageObject", variant(PB::JSObjectPtr()), VT_NULL, 0, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Table, ToCom, testing::ValuesIn(kToCom),
                         [](const testing::TestParamInfo<ToComCase>& info) { return std::string(info.param.name); });

TEST_F(VariantConversion, TextThatIsNoUtf8IsRefusedWhole)
{
    // Checked to its end, also beyond the NUL that ends what the page sees.
    for (const std::string& bad : {std::string("ab\xC3"), std::string("a\0\xC3", 3), std::string("abcdefghij\x80")}) {
        com::Variant out;
        EXPECT_THROW(host->getComVariant(&out, variant(bad)), std::range_error);
    }
}

VARIANT make(VARTYPE vt)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}

struct FromComCase {
    const char* name;
    VARIANT value;
    const std::type_info* held;
    const char* text;  // the value's text (convert_cast<std::string>)
};

void PrintTo(const FromComCase& c, std::ostream* os)
{
    *os << c.name;
}

class FromCom : public VariantConversion, public testing::WithParamInterface<FromComCase> {};

TEST_P(FromCom, ReadsTheVariantByItsType)
{
    const FromComCase& c = GetParam();
    const variant read = host->getVariant(&c.value);
    EXPECT_EQ(read.get_type(), *c.held);
    if (c.text) {
        EXPECT_EQ(read.convert_cast<std::string>(), c.text);
    }
}

template <typename Set>
VARIANT with(VARTYPE vt, Set set)
{
    VARIANT v = make(vt);
    set(v);
    return v;
}

const FromComCase kFromCom[] = {
    {"ByteIsLong", with(VT_UI1, [](VARIANT& v) { v.bVal = 200; }), &typeid(long), "200"},
    {"ShortIsLong", with(VT_I2, [](VARIANT& v) { v.iVal = -3; }), &typeid(long), "-3"},
    {"FloatIsDouble", with(VT_R4, [](VARIANT& v) { v.fltVal = 0.5f; }), &typeid(double), "0.5"},
    {"DecimalIsDouble", with(VT_DECIMAL, [](VARIANT& v) { v.decVal.Lo64 = 15; v.decVal.scale = 1; }), &typeid(double), "1.5"},
    {"TrueBool", with(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }), &typeid(bool), "true"},
    {"NullTextIsEmpty", make(VT_BSTR), &typeid(std::string), ""},
    {"TextEndsAtNul", with(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocStringLen(u"abcdefghi\0j", 11); }),
     &typeid(std::string), "abcdefghi"},
    {"TextIsUtf8", with(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocString(u"abcd\u00E9\U0001F600"); }),
     &typeid(std::string), "abcd\xC3\xA9\xF0\x9F\x98\x80"},
    {"LoneSurrogateIsReplaced",
     with(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocStringLen(u"a\xD83D\0b", 4); }), &typeid(std::string),
     "a\xEF\xBF\xBD"},
    {"UnsignedIsUnsignedLong", with(VT_UI4, [](VARIANT& v) { v.ulVal = 4000000000u; }), &typeid(unsigned long), "4000000000"},
    {"I8KeepsItsValue", with(VT_I8, [](VARIANT& v) { v.llVal = -1; }), &typeid(long long), "-1"},
    {"UI8KeepsItsValue", with(VT_UI8, [](VARIANT& v) { v.ullVal = ~0ULL; }), &typeid(unsigned long long),
     "18446744073709551615"},
    {"NullIsPageNull", make(VT_NULL), &typeid(PB::PBNull), nullptr},
    {"NullObjectIsPageNull", make(VT_DISPATCH), &typeid(PB::PBNull), nullptr},
    {"Empty", make(VT_EMPTY), &typeid(void), nullptr},
    {"ArrayIsNotRead", make(VT_ARRAY | VT_VARIANT), &typeid(void), nullptr},
    {"ByRefIsNotRead", make(VT_BYREF | VT_I4), &typeid(void), nullptr},
    {"CurrencyIsNotRead", make(VT_CY), &typeid(void), nullptr},
    {"DateIsNotRead", make(VT_DATE), &typeid(void), nullptr},
};
INSTANTIATE_TEST_SUITE_P(Table, FromCom, testing::ValuesIn(kFromCom),
                         [](const testing::TestParamInfo<FromComCase>& info) { return std::string(info.param.name); });

TEST_F(VariantConversion, ListsAndMapsBecomePageArraysAndObjects)
{
    com::Variant list, map;
    host->getComVariant(&list, variant(PB::VariantList{variant(1), variant("a")}));
    host->getComVariant(&map, variant(PB::VariantMap{{"b", variant(2)}, {"a", variant(true)}}));
    ASSERT_EQ(list.vt, VT_DISPATCH);
    ASSERT_EQ(map.vt, VT_DISPATCH);
    expose("list", list);
    expose("map", map);
    page.run("console.log(Array.isArray(list), JSON.stringify(list), JSON.stringify(map));");
    EXPECT_EQ(log(), (std::vector<std::string>{"true [1,\"a\"] {\"a\":true,\"b\":2}"}));
}

TEST_F(VariantConversion, WithoutAPageWindowListsAndMapsAreArraysOfVariants)
{
    auto detached = std::make_shared<PB::ActiveX::ActiveXBrowserHost>(nullptr, nullptr);
    const variant noBuilder(std::pair<unsigned int, unsigned int>(0, 0));
    const struct {
        variant value;
        std::vector<std::wstring> elements;
    } cases[] = {
        {variant(PB::VariantList{variant(1), noBuilder, variant(2)}), {L"1", L"2"}},
        {variant(PB::VariantMap{{"b", variant(2)}, {"a", variant(1)}, {"c", noBuilder}}), {L"a", L"1", L"b", L"2"}},
        {variant(PB::VariantList()), {}},
    };
    for (const auto& c : cases) {
        com::Variant out;
        detached->getComVariant(&out, c.value);
        ASSERT_EQ(out.vt, VT_ARRAY | VT_VARIANT);
        LONG high = 0;
        SafeArrayGetUBound(out.parray, 1, &high);
        std::vector<std::wstring> elements;
        for (LONG i = 0; i <= high; ++i) {
            com::Variant element, text;
            SafeArrayGetElement(out.parray, &i, &element);
            VariantChangeType(&text, &element, 0, VT_BSTR);
            elements.push_back(com::fromBstr(text.bstrVal));
        }
        EXPECT_EQ(elements, c.elements);
    }
    detached->shutdown();
}

TEST_F(VariantConversion, ObjectsBecomeTheirPageFaces)
{
    // A page object goes back as the page's own object.
    const auto pageArray = pageObject("[7]");
    com::Variant own;
    host->getComVariant(&own, variant(PB::JSObjectPtr(pageArray)));
    ASSERT_EQ(own.vt, VT_DISPATCH);
    EXPECT_EQ(own.pdispVal, pageArray->getDispatch());

    // A scriptable object gets one COM face while it lives.
    PB::JSAPIPtr api;
    com::ComPtr<IDispatchEx> face = apiWrapper(&api);
    com::Variant first, second;
    host->getComVariant(&first, variant(api));
    host->getComVariant(&second, variant(api));
    EXPECT_EQ(first.pdispVal, static_cast<IDispatch*>(face.get()));
    EXPECT_EQ(second.pdispVal, first.pdispVal);

    // A page object read back keeps its identity in the page.
    const variant read = host->getVariant(&own);
    EXPECT_EQ(read.cast<PB::JSObjectPtr>()->getNativeHandle(), pageArray->getDispatch());
}

}  // namespace
