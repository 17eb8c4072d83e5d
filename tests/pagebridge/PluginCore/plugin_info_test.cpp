#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "PluginCore/PluginInfo.h"

namespace {

TEST(PluginInfo, NameAndDescriptions)
{
    const struct {
        const char* type;
        const char* description;
    } cases[] = {
        {"application/x-velon", "Orvanta Signature Plugin"},
        {"APPLICATION/X-VELON", "Unknown Description"},
        {"", "Unknown Description"},
        {"application/x-velon ", "Unknown Description"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PB::getPluginDescription(c.type), c.description) << c.type;
        EXPECT_EQ(PB::getPluginName(c.type), "Orvanta Signature Plugin") << c.type;
    }
}

TEST(PluginInfo, DescriptionTexts)
{
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(PB::parseMimeDescription("a/x:ax:A;b/y::B;c/z"), (Entries{{"a/x", "A"}, {"b/y", "B"}}));
    EXPECT_EQ(PB::parseMimeDescription(PB::pluginMimeDescription),
              (Entries{{"application/x-velon", "Orvanta Signature Plugin"}}));
    EXPECT_EQ(PB::splitMimeDescription("a;;b;", ';'), (std::vector<std::string>{"a", "", "b", ""}));
}

}  // namespace
