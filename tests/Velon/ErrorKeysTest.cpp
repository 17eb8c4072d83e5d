// Message keys of the crypto library's result codes.

#include "Velon/Configuration.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// The codes that have a text of their own, as closed ranges.
struct Range {
    int first;
    int last;
};
const Range known_ranges[] = {{2, 28},    {103, 109}, {112, 112}, {114, 119}, {122, 125}, {127, 129}, {132, 132},
                              {134, 136}, {138, 138}, {143, 145}, {147, 150}, {153, 155}, {158, 216}};

bool is_known(int code)
{
    for (const Range& r : known_ranges)
        if (code >= r.first && code <= r.last)
            return true;
    return false;
}

TEST(ErrorKey, EveryCodeAroundTheTable)
{
    int known = 0;
    for (int code = -300; code <= 300; ++code) {
        const std::string expected = is_known(code) ? "err_dravik_" + std::to_string(code) : "err_dravik_000";
        EXPECT_EQ(Configuration::error_key(code), expected) << code;
        known += is_known(code) ? 1 : 0;
    }
    EXPECT_EQ(known, 122);
}

TEST(ErrorKey, ExtremeCodesAreUnknown)
{
    for (const int code : {INT_MIN, INT_MIN + 1, -216, 1000, 1690, INT_MAX})
        EXPECT_EQ(Configuration::error_key(code), "err_dravik_000") << code;
}

TEST(ErrorKey, TableIsAscendingWithoutRepeats)
{
    for (std::size_t i = 1; i < Configuration::error_codes.size(); ++i)
        EXPECT_LT(Configuration::error_codes[i - 1], Configuration::error_codes[i]) << i;
}

}  // namespace
