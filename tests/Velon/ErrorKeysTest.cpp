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

TEST(ErrorKey, Boundaries)
{
    struct Case {
        int code;
        const char* key;
    };
    const Case cases[] = {
        {2, "err_dravik_2"},        {28, "err_dravik_28"},      {29, "err_dravik_000"},   {102, "err_dravik_000"},
        {103, "err_dravik_103"},    {169, "err_dravik_169"},    {216, "err_dravik_216"},  {217, "err_dravik_000"},
        {0, "err_dravik_000"},      {1, "err_dravik_000"},      {-2, "err_dravik_000"},   {-103, "err_dravik_000"},
        {INT_MIN, "err_dravik_000"}, {INT_MAX, "err_dravik_000"}, {1000, "err_dravik_000"}, {258, "err_dravik_000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Configuration::error_key(c.code), c.key) << c.code;
}

TEST(ErrorKey, TableIsAscendingWithoutRepeats)
{
    for (std::size_t i = 1; i < Configuration::error_codes.size(); ++i)
        EXPECT_LT(Configuration::error_codes[i - 1], Configuration::error_codes[i]) << i;
}

}  // namespace
