#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/PageTree.h"
#include "support/PumpedHost.h"

namespace {

using PB::JSObjectPtr;
using PB::variant;
using test::TreeObject;

std::string read(const std::shared_ptr<TreeObject>& array)
{
    std::string result = "pending";
    array->getObjectArray().done(
        [&result](std::vector<JSObjectPtr> objects) {
            result = "";
            for (const auto& o : objects)
                result += o ? "o" : "-";
        },
        [&result](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const PB::bad_variant_cast&) {
                result = "bad cast";
            } catch (const std::exception& x) {
                result = x.what();
            }
        });
    return result;
}

TEST(PageArray, ElementsInIndexOrder)
{
    auto host = std::make_shared<test::PumpedHost>();
    auto a = TreeObject::make(host);
    auto nested = TreeObject::array(host, {1, 2});
    const struct {
        const char* what;
        PB::VariantList elements;
        const char* expected;
    } cases[] = {
        {"empty array", {}, ""},
        {"objects and empty places", {JSObjectPtr(a), PB::PBNull(), variant(), JSObjectPtr(a)}, "o--o"},
        {"nested array stays one object", {JSObjectPtr(nested)}, "o"},
        {"null marker rejects", {JSObjectPtr(a), PB::variant_detail::null()}, "bad cast"},
        {"number rejects", {JSObjectPtr(a), 5}, "bad cast"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(TreeObject::array(host, c.elements)), c.expected) << c.what;
}

TEST(PageArray, LateAnswersAndLostHosts)
{
    auto host = std::make_shared<test::PumpedHost>();
    auto array = TreeObject::array(host, {JSObjectPtr(TreeObject::make(host))});
    array->answerLater = true;
    std::string result = "pending";
    array->getObjectArray().done([&result](std::vector<JSObjectPtr> o) { result = std::to_string(o.size()); });
    EXPECT_EQ(result, "pending");
    array->answer();  // "length"
    array->answer();  // element 0
    EXPECT_EQ(result, "1");

    array->answerLater = false;
    host.reset();
    EXPECT_THROW(array->getObjectArray(), std::bad_weak_ptr);
}

}  // namespace
