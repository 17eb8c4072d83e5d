// The process-wide table of DISPIDs and member names.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "ActiveXCore/DispIdNameMap.h"

namespace {

using PB::ActiveX::dispIdNameMap;

long eventId(std::uint32_t raw)
{
    return static_cast<long>(static_cast<std::int32_t>(raw));
}

struct PresetRow {
    long id;
    const wchar_t* name;
};

void PrintTo(const PresetRow& row, std::ostream* os)
{
    *os << row.id;
}

class PresetRows : public testing::TestWithParam<PresetRow> {};

TEST_P(PresetRows, NameTheStandardDispids)
{
    EXPECT_TRUE(dispIdNameMap().idExists(GetParam().id));
    EXPECT_EQ(dispIdNameMap().getValueForId<std::wstring>(GetParam().id), GetParam().name);
}

const PresetRow kRows[] = {
    {0, L"value"},
    {-1, L"toString"},
    {-525, L"readystate"},
    {-613, L"this"},
    {-5514, L"securitydomain"},
    {eventId(0x80011770), L"onmouseover"},
    {eventId(0x80011778), L"onclick"},
    {eventId(0x8001177F), L"onblur"},
    {eventId(0x80011782), L"onrowexit"},
    {eventId(0x8001178C), L"onabort"},
    {eventId(0x80011809), L"onwaiting"},
};
INSTANTIATE_TEST_SUITE_P(Table, PresetRows, testing::ValuesIn(kRows));

TEST(DispIdTable, GapsAndUnknownIdsHaveNoName)
{
    for (long id : {-2L, 99L, eventId(0x80011780), eventId(0x80011781)}) {
        EXPECT_FALSE(dispIdNameMap().idExists(id)) << id;
        EXPECT_THROW(dispIdNameMap().getValueForId<std::wstring>(id), PB::bad_variant_cast) << id;
    }
}

// Each test runs in a process of its own, so the counter starts fresh here.
TEST(DispIdTable, NewNamesCountFromOneHundredAndKeepTheirIds)
{
    // A wide name never finds the preset 8-bit row of the same text.
    EXPECT_EQ(dispIdNameMap().getIdForValue(PB::variant(std::wstring(L"onclick"))), 100);
    EXPECT_EQ(dispIdNameMap().getIdForValue(PB::variant(std::wstring(L"sign"))), 101);
    EXPECT_EQ(dispIdNameMap().getIdForValue(PB::variant(std::wstring(L"onclick"))), 100);
    EXPECT_EQ(dispIdNameMap().getValueForId<std::wstring>(101), L"sign");
    EXPECT_THROW(dispIdNameMap().setIdForValue(0, PB::variant(std::string("unused"))), std::runtime_error);
}

}  // namespace
