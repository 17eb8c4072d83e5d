// Values on the wire, both ways: what plug-in values are written as, and
// what the host's JSON reads as.

#include <gtest/gtest.h>

#include <limits>

#include <sstream>

#include "FakeHost.h"
#include "HostWire/AlienLarvae.h"
#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireColony.h"
#include "HostWire/WireMessages.h"
#include "HostWire/WireValues.h"
#include "ScriptingCore/JSAPIAuto.h"

namespace hostwire_test {
namespace {

using namespace PB;
using namespace PB::HostWire;

std::string describe(const variant& v)
{
    std::ostringstream out;
    if (v.empty()) {
        out << "empty";
    } else if (v.is_null()) {
        out << "null";
    } else if (v.holds<double>()) {
        out << "double " << v.cast<double>();
    } else if (v.holds<std::string>()) {
        out << "'" << v.cast<std::string>() << "'";
    } else if (v.holds<bool>()) {
        out << (v.cast<bool>() ? "true" : "false");
    } else if (v.holds<std::pair<unsigned int, unsigned int>>()) {
        out << "pair(" << v.cast<std::pair<unsigned int, unsigned int>>().first << ","
            << v.cast<std::pair<unsigned int, unsigned int>>().second << ")";
    } else if (v.holds<std::shared_ptr<AlienLarvae>>()) {
        const auto stub = v.cast<std::shared_ptr<AlienLarvae>>();
        out << "stub(" << stub->getSpawnId() << "," << stub->getObjectId() << ")";
    } else if (v.holds<VariantList>()) {
        out << "[";
        const char* separator = "";
        for (const variant& element : v.cast<VariantList>()) {
            out << separator << describe(element);
            separator = ",";
        }
        out << "]";
    } else if (v.holds<VariantMap>()) {
        out << "{";
        const char* separator = "";
        for (const auto& member : v.cast<VariantMap>()) {
            out << separator << member.first << ":" << describe(member.second);
            separator = ",";
        }
        out << "}";
    } else {
        out << v.get_type().name();
    }
    return out.str();
}

struct ReadCase {
    const char* json;
    const char* read;
};

const ReadCase kReads[] = {
    {"7", "double 7"},
    {"-7", "double -7"},
    {"7.5", "double 7.5"},
    {"null", "null"},
    {"[true,\"s\"]", "[true,'s']"},
    {"{\"a\":[1,{\"b\":null}]}", "{a:[double 1,{b:null}]}"},
    {"{\"$type\":\"ref\",\"data\":[3,4,5]}", "stub(3,4)"},
    {"{\"$type\":\"ref\",\"data\":[3]}", "{$type:'ref',data:[double 3]}"},
    {"{\"$type\":\"ref\",\"data\":7}", "{$type:'ref',data:double 7}"},
    {"{\"$type\":\"local-ref\",\"data\":[2,9]}", "pair(2,9)"},
    {"{\"$type\":\"binary\",\"data\":\"AAAA\"}", "empty"},
    {"{\"$type\":\"error\",\"message\":\"m\"}", "{$type:'error',message:'m'}"},
    {"{\"$type\":\"error\",\"data\":\"boom\"}", "'boom'"},
    {"{\"$type\":\"json\",\"data\":{\"$type\":\"ref\",\"data\":[1,2]}}", "{$type:'ref',data:[double 1,double 2]}"},
    {"{\"$type\":\"other\",\"x\":1}", "{$type:'other',x:double 1}"},
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.json;
}

class WireReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(WireReadTest, HostJsonReadsAsPlugInValues)
{
    FakeHost host;
    host.responder = nullptr;
    const variant value = jsonToVariant(parse(GetParam().json), *WireColony::findColony(0));
    EXPECT_EQ(describe(value), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(HostWire, WireReadTest, ::testing::ValuesIn(kReads));

struct WriteCase {
    const char* name;
    variant value;
    const char* json;
};

const WriteCase kWrites[] = {
    {"Empty", variant(), "null"},
    {"Null", variant(PBNull()), "null"},
    {"Int", variant(-7), "-7"},
    {"Unsigned", variant(7u), "7"},
    {"Double", variant(7.5), "7.5"},
    {"Bool", variant(true), "true"},
    {"Text", variant("s\"q"), "\"s\\\"q\""},
    {"WideText", variant(std::wstring(L"\u00e9")), "\"\\u00e9\""},
    {"LongLong", variant(1LL << 40), "1099511627776"},
    {"ErrorAndText", variant(VariantList{variant(std::runtime_error("e")), variant("s")}),
     "[{\"$type\":\"error\",\"message\":\"e\"},\"s\"]"},
    {"NullErrorPointer", variant(std::exception_ptr()), "{\"$type\":\"error\",\"message\":\"Unknown exception\"}"},
    {"ErrorPointer", variant(std::make_exception_ptr(script_error("bad"))), "{\"$type\":\"error\",\"message\":\"bad\"}"},
    {"Pair", variant(std::make_pair(2u, 5u)), "{\"$type\":\"ref\",\"data\":[2,5]}"},
    {"Map", variant(VariantMap{{"b", variant(1)}, {"a", variant(VariantList())}}), "{\"a\":[],\"b\":1}"},
};

void PrintTo(const WriteCase& c, std::ostream* os)
{
    *os << c.name;
}

class WireWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WireWriteTest, PlugInValuesAreWrittenAsJson)
{
    EXPECT_EQ(toJsonText(variantToJson(encodeValue(GetParam().value, nullptr))), GetParam().json);
    // The messages are written straight from the values, to the same text.
    EXPECT_EQ(variantToJsonText(encodeValue(GetParam().value, nullptr)), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(HostWire, WireWriteTest, ::testing::ValuesIn(kWrites),
                         [](const ::testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

// The text written straight from a value is the one jsoncpp's writer gives
// for its JSON value, byte for byte, for every form and every odd string.
TEST(WireValues, MessagesAreWrittenAsJsoncppWritesThem)
{
    const std::string odd[] = {
        std::string("nul\0inside", 11),
        "\x01\x1f\x7f controls and DEL",
        "\b\f\n\r\t\"\\/",
        "\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80",      // two-, three- and four-byte characters
        "\x80 lone continuation",
        "\xC3",                                          // a lead at the end
        "\xE4\xB8",                                      // a short three-byte form
        "\xC0\x80 \xE0\x80\xAF \xF0\x80\x80\x80",          // overlong forms
        "\xED\xA0\xBD\xED\xB8\x80",                          // encoded surrogates
        "\xC3\x41",                                      // a lead before ASCII
        "\xF4\x90\x80\x80 \xF8\x88\x80\x80\x80 \xFF",       // beyond U+10FFFF, five-byte lead, FF
        std::string(300, 'x') + "\n" + std::string(300, 'y'),
    };
    VariantList values;
    VariantMap keyed;
    for (const std::string& text : odd) {
        values.emplace_back(text);
        keyed[text] = variant(text);
    }
    values.insert(values.end(),
                  {variant(static_cast<short>(-3)), variant(static_cast<unsigned char>(200)), variant('A'),
                   variant(std::numeric_limits<long long>::min()), variant(std::numeric_limits<unsigned long long>::max()),
                   variant(std::numeric_limits<unsigned long>::max()), variant(0.1), variant(1e300), variant(-0.0),
                   variant(static_cast<float>(0.25)), variant(std::numeric_limits<double>::quiet_NaN()), variant(false),
                   variant(std::wstring(L"w\u00e9")), variant(PBNull()), variant(), variant(VariantList()),
                   variant(VariantMap()), variant(keyed)});
    for (const variant& value : values)
        EXPECT_EQ(variantToJsonText(value), toJsonText(variantToJson(value))) << toJsonText(variantToJson(value));
    EXPECT_EQ(variantToJsonText(variant(values)), toJsonText(variantToJson(variant(values))));
}

TEST(WireValues, PlugInObjectsAreRegisteredUnderANewIdEachTime)
{
    FakeHost fake;
    auto host = std::make_shared<WireBrowserHost>(WireColony::findColony(0), 3);
    auto object = std::make_shared<JSAPIAuto>();
    const variant written = encodeValue(
        variant(VariantList{variant(JSAPIPtr(object)), variant(JSAPIPtr(object)), variant("s")}), host);
    EXPECT_EQ(toJsonText(variantToJson(written)),
              "[{\"$type\":\"ref\",\"data\":[3,1]},{\"$type\":\"ref\",\"data\":[3,2]},\"s\"]");
    EXPECT_EQ(host->getObject(1), object);
    EXPECT_EQ(host->getObject(2), object);
    EXPECT_EQ(host->retainedCount(), 2u);
}

TEST(WireValues, OneStubPerLivePageObject)
{
    FakeHost fake;
    WireColony& colony = *WireColony::findColony(0);
    const variant both = jsonToVariant(parse("[{\"$type\":\"ref\",\"data\":[4,1]},{\"$type\":\"ref\",\"data\":[4,1]}]"),
                                       colony);
    const VariantList list = both.cast<VariantList>();
    EXPECT_EQ(list[0].cast<std::shared_ptr<AlienLarvae>>(), list[1].cast<std::shared_ptr<AlienLarvae>>());
    EXPECT_EQ(fake.commandsNamed("Enum"), std::vector<std::string>{"[\"Enum\",4,1]"});
}

}  // namespace
}  // namespace hostwire_test
