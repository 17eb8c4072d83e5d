// OLE Automation of the COM layer: GUID text, BSTR, VARIANT conversion and
// copying, SAFEARRAY.

#include <gtest/gtest.h>

#include <com/com.h>

#include <cmath>
#include <ostream>
#include <string>

namespace {

TEST(GuidText, RoundTripsAndRejectsMalformedText)
{
    const GUID guid = IID_IDispatchEx;
    EXPECT_EQ(com::guidText(guid), L"{A6EF9860-C720-11D0-9337-00A0C90DCAA9}");
    GUID parsed{};
    EXPECT_TRUE(com::parseGuid(L"{a6ef9860-c720-11d0-9337-00a0c90dcaa9}", &parsed));
    EXPECT_EQ(parsed, guid);
    for (const wchar_t* bad : {L"", L"A6EF9860-C720-11D0-9337-00A0C90DCAA9", L"{A6EF9860-C720-11D0-9337-00A0C90DCAAX}",
                               L"{A6EF9860C720-11D0-9337-00A0C90DCAA9}"})
        EXPECT_FALSE(com::parseGuid(bad, &parsed)) << com::toUtf8(bad);
    OLECHAR text[39];
    EXPECT_EQ(StringFromGUID2(guid, text, 39), 39);
    EXPECT_EQ(StringFromGUID2(guid, text, 38), 0);
}

TEST(Bstr, KeepsLengthNulsAndCharactersBeyondTheBasicPlane)
{
    const std::wstring text(L"a\0b\U0001F600", 4);
    com::Bstr value(text);
    EXPECT_EQ(SysStringLen(value.get()), 5u);  // the emoji takes two UTF-16 units
    EXPECT_EQ(SysStringByteLen(value.get()), 10u);
    EXPECT_EQ(value.text(), text);
    EXPECT_EQ(value.get()[5], 0);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(com::fromBstr(nullptr), L"");
    EXPECT_EQ(com::fromUtf8("\xC3\xA9\xFF"), L"\u00E9\uFFFD");
    EXPECT_EQ(com::toUtf8(L"\u00E9"), "\xC3\xA9");
}

TEST(Bstr, Utf16ReadsAsUtf8WithoutAWideCopy)
{
    // The same text as the way through the wide form gives; ASCII runs are
    // read four units at a time, so they end on and off such a boundary.
    const std::u16string texts[] = {
        u"",
        u"abcd",
        u"abcdefgh\u00E9",
        u"abc\u00E9defghijk",
        std::u16string(u"ab\0cdefgh", 9),
        u"\U0001F600abcdefgh",
        std::u16string{u'a', u'b', u'c', u'd', u'e', char16_t(0xD83D)},
        std::u16string{char16_t(0xDE00), u'x'},
        u"\u041F\u0440\u0438\u0432\u0435\u0442",
    };
    for (const std::u16string& text : texts)
        EXPECT_EQ(com::toUtf8(text.data(), text.size()), com::toUtf8(com::fromUtf16(text))) << text.size();
}

VARIANT make(VARTYPE vt)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}

struct ChangeCase {
    const char* name;
    VARIANT source;
    VARTYPE target;
    HRESULT hr;
    double number;      // the target as a number (VT_BOOL: -1 or 0)
    const wchar_t* text;  // for VT_BSTR targets
};

void PrintTo(const ChangeCase& c, std::ostream* os)
{
    *os << c.name;
}

VARIANT i4(LONG value)
{
    VARIANT v = make(VT_I4);
    v.lVal = value;
    return v;
}
VARIANT r8(double value)
{
    VARIANT v = make(VT_R8);
    v.dblVal = value;
    return v;
}
VARIANT boolean(bool value)
{
    VARIANT v = make(VT_BOOL);
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
VARIANT ui1(BYTE value)
{
    VARIANT v = make(VT_UI1);
    v.bVal = value;
    return v;
}
VARIANT decimal(ULONGLONG digits, BYTE scale, bool negative)
{
    VARIANT v = make(VT_DECIMAL);
    v.decVal.Lo64 = digits;
    v.decVal.scale = scale;
    v.decVal.sign = negative ? DECIMAL_NEG : 0;
    return v;
}

class VariantChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(VariantChange, ConvertsOrFailsAsThePlatformDoes)
{
    ChangeCase c = GetParam();
    com::Variant source;
    source.vt = c.source.vt;
    source.llVal = c.source.llVal;
    source.decVal = c.source.decVal;
    if (c.text && c.source.vt == VT_BSTR)
        source.bstrVal = com::allocBstr(c.text);
    com::Variant result;
    EXPECT_EQ(VariantChangeType(&result, &source, 0, c.target), c.hr);
    if (FAILED(c.hr)) {
        EXPECT_EQ(result.vt, VT_EMPTY);
        return;
    }
    ASSERT_EQ(result.vt, c.target);
    switch (c.target) {
    case VT_BSTR:
        EXPECT_EQ(com::fromBstr(result.bstrVal), c.text);
        break;
    case VT_BOOL:
        EXPECT_EQ(result.boolVal, static_cast<VARIANT_BOOL>(c.number));
        break;
    case VT_I4:
        EXPECT_EQ(result.lVal, static_cast<LONG>(c.number));
        break;
    case VT_UI4:
        EXPECT_EQ(result.ulVal, static_cast<ULONG>(c.number));
        break;
    case VT_R8:
        EXPECT_DOUBLE_EQ(result.dblVal, c.number);
        break;
    default:
        FAIL() << "no check for the target";
    }
}

const ChangeCase kChanges[] = {
    {"ByteToLong", ui1(200), VT_I4, S_OK, 200, nullptr},
    {"RealRoundsHalfToEven", r8(2.5), VT_I4, S_OK, 2, nullptr},
    {"RealOutOfLongRange", r8(3e10), VT_I4, DISP_E_OVERFLOW, 0, nullptr},
    {"NegativeToUnsigned", i4(-1), VT_UI4, DISP_E_OVERFLOW, 0, nullptr},
    {"DecimalToReal", decimal(12345, 2, true), VT_R8, S_OK, -123.45, nullptr},
    {"TextToLong", make(VT_BSTR), VT_I4, S_OK, 42, L" 42 "},
    {"TextThatIsNoNumber", make(VT_BSTR), VT_I4, DISP_E_TYPEMISMATCH, 0, L"4x"},
    {"TextTrueToBool", make(VT_BSTR), VT_BOOL, S_OK, -1, L"True"},
    {"BoolToTextIsMinusOne", boolean(true), VT_BSTR, S_OK, 0, L"-1"},
    {"LongToText", i4(-7), VT_BSTR, S_OK, 0, L"-7"},
    {"RealToText", r8(0.5), VT_BSTR, S_OK, 0, L"0.5"},
    {"EmptyToLongIsZero", make(VT_EMPTY), VT_I4, S_OK, 0, nullptr},
    {"NullToLong", make(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"DispatchToText", make(VT_DISPATCH), VT_BSTR, DISP_E_TYPEMISMATCH, 0, nullptr},
    {"CurrencyIsNotRead", make(VT_CY), VT_I4, DISP_E_BADVARTYPE, 0, nullptr},
    {"ZeroToBoolIsFalse", i4(0), VT_BOOL, S_OK, 0, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Table, VariantChange, testing::ValuesIn(kChanges),
                         [](const testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

// A COM object that counts its references.
class Counted : public com::RefCounted<IUnknown> {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override { return com::answerQuery(riid, object, this, {}); }
    ULONG count()
    {
        AddRef();
        return Release();
    }
};

TEST(VariantCopy, CopiesDeeplyAndClearsWhatItOwns)
{
    auto object = com::ComPtr<Counted>::adopt(new Counted());
    {
        com::Variant source, copy;
        source.vt = VT_UNKNOWN;
        source.punkVal = object.get();
        object->AddRef();
        ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
        EXPECT_EQ(object->count(), 3u);
        com::Variant text;
        text.vt = VT_BSTR;
        text.bstrVal = com::allocBstr(L"text");
        ASSERT_EQ(VariantCopy(&copy, &text), S_OK);  // the object is let go first
        EXPECT_EQ(object->count(), 2u);
        EXPECT_NE(copy.bstrVal, text.bstrVal);
        EXPECT_EQ(com::fromBstr(copy.bstrVal), L"text");
    }
    EXPECT_EQ(object->count(), 1u);

    com::Variant inner, byRef, direct;
    inner.vt = VT_I4;
    inner.lVal = 9;
    byRef.vt = VT_BYREF | VT_VARIANT;
    byRef.pvarVal = &inner;
    ASSERT_EQ(VariantCopyInd(&direct, &byRef), S_OK);
    EXPECT_EQ(direct.vt, VT_I4);
    EXPECT_EQ(direct.lVal, 9);
}

TEST(SafeArray, GrowsOnlyUnlockedAndCopiesItsElements)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    ASSERT_NE(array, nullptr);
    LONG index = 0;
    com::Variant text;
    text.vt = VT_BSTR;
    text.bstrVal = com::allocBstr(L"first");
    ASSERT_EQ(SafeArrayPutElement(array, &index, &text), S_OK);

    SafeArrayLock(array);
    const SAFEARRAYBOUND two{2, 0};
    EXPECT_EQ(SafeArrayRedim(array, &two), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    SafeArrayUnlock(array);
    ASSERT_EQ(SafeArrayRedim(array, &two), S_OK);

    LONG high = 0;
    ASSERT_EQ(SafeArrayGetUBound(array, 1, &high), S_OK);
    EXPECT_EQ(high, 1);
    index = 2;
    VARIANT* slot = nullptr;
    EXPECT_EQ(SafeArrayPtrOfIndex(array, &index, reinterpret_cast<void**>(&slot)), DISP_E_BADINDEX);

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
    ASSERT_EQ(SafeArrayDestroy(array), S_OK);
    index = 0;
    com::Variant read;
    ASSERT_EQ(SafeArrayGetElement(copy, &index, &read), S_OK);
    EXPECT_EQ(com::fromBstr(read.bstrVal), L"first");
    index = 1;
    com::Variant second;
    ASSERT_EQ(SafeArrayGetElement(copy, &index, &second), S_OK);
    EXPECT_EQ(second.vt, VT_EMPTY);
    VARTYPE type = VT_EMPTY;
    SafeArrayGetVartype(copy, &type);
    EXPECT_EQ(type, VT_VARIANT);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
}

}  // namespace
