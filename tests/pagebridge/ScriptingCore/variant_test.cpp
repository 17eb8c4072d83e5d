#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/StubObjects.h"
#include "ScriptingCore/variant.h"

namespace {

using PB::variant;
using PB::VariantList;
using PB::VariantMap;

using Api = test::StubApi;
using PageObject = test::StubPageObject;

// Two distinct sample values per held type, in ascending order.
template <typename T>
struct Samples;
#define SAMPLES(T, A, B)                          \
    template <>                                   \
    struct Samples<T> {                           \
        static T low() { return A; }              \
        static T high() { return B; }             \
    }
SAMPLES(bool, false, true);
SAMPLES(int, -7, 2147483647);
SAMPLES(unsigned int, 1u, 4294967295u);
SAMPLES(long, -9000000000L, 9000000000L);
SAMPLES(unsigned long, 1ul, 18000000000000000000ul);
SAMPLES(long long, -1LL, 9223372036854775807LL);
SAMPLES(unsigned long long, 0ULL, 18446744073709551615ULL);
SAMPLES(double, -0.5, 3.25);
SAMPLES(std::string, "abc", "abd");
SAMPLES(std::wstring, L"\u0416", L"\u0417");
SAMPLES(VariantList, (VariantList{1, 2}), (VariantList{1, 3}));
SAMPLES(VariantMap, (VariantMap{{"a", 1}}), (VariantMap{{"a", 2}}));
using IdPair = std::pair<unsigned int, unsigned int>;
SAMPLES(IdPair, std::make_pair(1u, 9u), std::make_pair(2u, 0u));
#undef SAMPLES

// Lists and maps have no equality of their own; equivalence under the
// variant ordering stands in for it.
template <typename T>
bool same(const T& a, const T& b)
{
    return !(variant(a) < variant(b)) && !(variant(b) < variant(a));
}

template <typename T>
class HeldTypeTest : public ::testing::Test {};

using HeldTypes = ::testing::Types<bool, int, unsigned int, long, unsigned long, long long, unsigned long long,
                                   double, std::string, std::wstring, VariantList, VariantMap,
                                   IdPair>;
TYPED_TEST_SUITE(HeldTypeTest, HeldTypes);

TYPED_TEST(HeldTypeTest, SurvivesCopyMoveAndAssignment)
{
    using T = TypeParam;
    const T value = Samples<T>::high();
    variant v(value);
    EXPECT_TRUE(v.holds<T>());
    EXPECT_TRUE(v.get_type() == typeid(T));
    EXPECT_FALSE(v.empty());
    EXPECT_TRUE(same(v.cast<T>(), value));

    variant copy(v);
    EXPECT_TRUE(same(copy.cast<T>(), value));
    variant moved(std::move(copy));
    EXPECT_TRUE(same(moved.cast<T>(), value));

    variant assigned;
    assigned = v;
    EXPECT_TRUE(same(assigned.cast<T>(), value));
    variant moveAssigned("replaced");
    moveAssigned = std::move(assigned);
    EXPECT_TRUE(same(moveAssigned.cast<T>(), value));
    EXPECT_TRUE(assigned.get_type() == typeid(void));  // NOLINT(bugprone-use-after-move)

    variant reassigned(3.5);
    reassigned.assign(value);
    EXPECT_TRUE(reassigned.holds<T>());
    EXPECT_TRUE(same(reassigned.cast<T>(), value));
}

// A moved-from variant may still be compared (a map key left behind by a
// move, say): it orders as an empty value.
TYPED_TEST(HeldTypeTest, MovedFromSourcesOrderAsEmpty)
{
    using T = TypeParam;
    variant constructedFrom(Samples<T>::high());
    variant constructed(std::move(constructedFrom));
    variant assignedFrom(Samples<T>::high());
    variant assigned;
    assigned = std::move(assignedFrom);
    for (const variant* left : {&constructedFrom, &assignedFrom}) {  // NOLINT(bugprone-use-after-move)
        EXPECT_TRUE(left->empty());
        EXPECT_FALSE(*left < variant());
        EXPECT_FALSE(variant() < *left);
        EXPECT_FALSE(*left < *left);
        EXPECT_TRUE(*left < constructed || constructed < *left);
        std::map<variant, int> keys{{variant(), 1}};
        keys[*left] = 2;
        EXPECT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys.begin()->second, 2);
    }
}

TYPED_TEST(HeldTypeTest, OrdersByItsOwnOrder)
{
    using T = TypeParam;
    variant low(Samples<T>::low()), high(Samples<T>::high()), low2(Samples<T>::low());
    EXPECT_TRUE(low < high);
    EXPECT_FALSE(high < low);
    EXPECT_FALSE(low < low2);
    EXPECT_FALSE(low2 < low);
}

TYPED_TEST(HeldTypeTest, StrictReadOfAnotherTypeNamesBothTypes)
{
    using T = TypeParam;
    variant v(Samples<T>::high());
    try {
        v.cast<float>();
        FAIL() << "cast accepted another type";
    } catch (const PB::bad_variant_cast& e) {
        EXPECT_STREQ(e.to, "float");
        EXPECT_NE(std::string(e.from), "");
        EXPECT_STREQ(e.what(), "bad cast");
    }
}

TEST(Variant, MarkersAndEmptiness)
{
    const struct {
        const char* name;
        variant value;
        bool empty;
        bool null;
    } cases[] = {
        {"default", variant(), true, false},
        {"empty marker", variant(PB::variant_detail::empty()), true, false},
        {"PBNull", variant(PB::PBNull()), false, true},
        {"null marker", variant(PB::variant_detail::null()), false, false},
        {"zero", variant(0), false, false},
        {"empty string", variant(""), false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.empty(), c.empty) << c.name;
        EXPECT_EQ(c.value.is_null(), c.null) << c.name;
    }
    EXPECT_TRUE(variant().get_type() == typeid(void));
    EXPECT_TRUE(variant(PB::variant_detail::empty()).holds<PB::variant_detail::empty>());
}

bool equivalent(const variant& a, const variant& b)
{
    return !(a < b) && !(b < a);
}

TEST(Variant, EquivalenceAcrossTypes)
{
    EXPECT_TRUE(equivalent(variant(), variant()));
    EXPECT_TRUE(equivalent(variant(PB::PBNull()), variant(PB::PBNull())));
    EXPECT_TRUE(equivalent(variant(std::exception_ptr()), variant(std::make_exception_ptr(1))));
    EXPECT_FALSE(equivalent(variant(), variant(PB::variant_detail::empty())));
    EXPECT_FALSE(equivalent(variant(PB::PBNull()), variant()));
    EXPECT_FALSE(equivalent(variant(1), variant(1.0)));
    EXPECT_FALSE(equivalent(variant(1), variant(1L)));
    // Different types order one way only.
    EXPECT_NE(variant(1) < variant(1.0), variant(1.0) < variant(1));
}

TEST(Variant, ListsCompareElementWise)
{
    const VariantList ascending[] = {
        {},
        {1},
        {1, 2},
        {1, 2, 0},
        {1, 3},
        {2},
    };
    for (std::size_t i = 0; i + 1 < std::size(ascending); ++i) {
        EXPECT_TRUE(variant(ascending[i]) < variant(ascending[i + 1])) << i;
        EXPECT_FALSE(variant(ascending[i + 1]) < variant(ascending[i])) << i;
    }
    std::map<variant, int> keyed;
    keyed[variant(VariantList{1, "x"})] = 1;
    keyed[variant(VariantList{1, "x"})] = 2;
    keyed[variant(1)] = 3;
    keyed[variant(1.0)] = 4;
    EXPECT_EQ(keyed.size(), 3u);
}

TEST(Variant, MapsCompareByKeyThenValue)
{
    EXPECT_TRUE(variant(VariantMap{{"a", 1}}) < variant(VariantMap{{"b", 0}}));
    EXPECT_TRUE(variant(VariantMap{{"a", 1}}) < variant(VariantMap{{"a", 2}}));
    EXPECT_TRUE(variant(VariantMap{{"a", 1}}) < variant(VariantMap{{"a", 1}, {"b", 0}}));
}

TEST(Variant, TextsAndErrors)
{
    variant literal("abc");
    EXPECT_TRUE(literal.holds<std::string>());
    EXPECT_FALSE(literal.holds<std::wstring>());
    EXPECT_EQ(literal.cast<std::string>(), "abc");
    const char* none = nullptr;
    EXPECT_EQ(variant(none).cast<std::string>(), "");

    variant error(std::runtime_error("Invalidated"));
    EXPECT_TRUE(error.holds<std::exception>());
    EXPECT_TRUE(error.get_type() == typeid(std::exception));
    EXPECT_STREQ(error.cast<std::exception>().what(), "Invalidated");
    variant copied(error);
    EXPECT_STREQ(copied.cast<std::exception>().what(), "Invalidated");
    EXPECT_TRUE(variant(std::runtime_error("a")) < variant(std::logic_error("b")));

    auto scriptError = std::make_shared<PB::invalid_member>("x");
    variant held(scriptError);
    EXPECT_TRUE(held.holds<std::shared_ptr<PB::script_error>>());
}

TEST(Variant, ObjectPointersAreStoredAsTheirBaseAndOrderedByAddress)
{
    auto api = std::make_shared<Api>();
    auto page = std::make_shared<PageObject>();
    variant a(api), p(page);
    EXPECT_TRUE(a.holds<std::shared_ptr<PB::JSAPI>>());
    EXPECT_TRUE(p.holds<std::shared_ptr<PB::JSObject>>());
    EXPECT_EQ(a.cast<std::shared_ptr<PB::JSAPI>>().get(), api.get());
    EXPECT_EQ(api.use_count(), 2);

    auto other = std::make_shared<Api>();
    variant b(other);
    EXPECT_EQ(a < b, std::less<const void*>()(api.get(), other.get()));
    EXPECT_FALSE(a < variant(api));
}

TEST(Variant, StrictReadDistinguishesIntAndLong)
{
    variant v(1);
    EXPECT_THROW(v.cast<long>(), PB::bad_variant_cast);
    try {
        v.cast<long>();
    } catch (const PB::bad_variant_cast& e) {
        EXPECT_STREQ(e.from, "int");
        EXPECT_STREQ(e.to, "long");
    }
}

TEST(Variant, StringsToVariantList)
{
    EXPECT_TRUE(PB::stringsToVariantList({}).empty());
    VariantList list = PB::stringsToVariantList({"a", "b"});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].cast<std::string>(), "a");
    EXPECT_EQ(list[1].cast<std::string>(), "b");
}

}  // namespace
