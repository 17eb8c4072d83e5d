#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "ScriptingCore/exceptions.h"

namespace {

struct Case {
    const char* name;
    std::function<std::exception*()> make;
    const char* what;
};

const Case cases[] = {
    {"script_error", [] { return new PB::script_error("Not implemented"); }, "Not implemented"},
    {"invalid_arguments default", [] { return new PB::invalid_arguments(); }, "Invalid Arguments"},
    {"invalid_arguments text", [] { return new PB::invalid_arguments("Too many arguments, expected 1."); },
     "Too many arguments, expected 1."},
    {"invalid_member", [] { return new PB::invalid_member("sign"); }, "The specified member does not exist: sign"},
    {"invalid_member empty", [] { return new PB::invalid_member(""); }, "The specified member does not exist: "},
    {"object_invalidated", [] { return new PB::object_invalidated(); }, "This object is no longer valid"},
    {"bad_cast_ext", [] { return new PB::bad_cast_ext("Invalid object"); }, "Invalid object"},
    {"bad_variant_cast", [] { return new PB::bad_variant_cast(typeid(int), typeid(std::string)); }, "bad cast"},
};

TEST(Exceptions, TextsAreExactThroughTheStdExceptionBase)
{
    for (const Case& c : cases) {
        std::unique_ptr<std::exception> e(c.make());
        EXPECT_STREQ(e->what(), c.what) << c.name;
    }
}

// Exceptions are thrown by value and copied; a copy must keep its text after
// the original is gone.
template <typename E>
std::string what_of_copy(const E& original)
{
    std::unique_ptr<E> source(new E(original));
    E copy(*source);
    source.reset();
    return copy.what();
}

TEST(Exceptions, CopiesKeepTheirTextAfterTheOriginalIsGone)
{
    EXPECT_EQ(what_of_copy(PB::script_error("boom")), "boom");
    EXPECT_EQ(what_of_copy(PB::invalid_member("x")), "The specified member does not exist: x");
    EXPECT_EQ(what_of_copy(PB::bad_cast_ext("This is not a valid object")), "This is not a valid object");
    EXPECT_EQ(what_of_copy(PB::bad_variant_cast(typeid(int), typeid(double))), "bad cast");
}

TEST(Exceptions, ScriptErrorsAreRuntimeErrorsAndCastsAreBadCasts)
{
    try {
        throw PB::invalid_arguments("Error: Argument 1 is not optional.");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Error: Argument 1 is not optional.");
    }
    try {
        throw PB::bad_cast_ext("BrowserHost has shut down");
    } catch (const std::bad_cast& e) {
        EXPECT_STREQ(e.what(), "BrowserHost has shut down");
    }
}

TEST(Exceptions, BadVariantCastNamesBothTypesReadably)
{
    PB::bad_variant_cast e(typeid(int), typeid(std::string));
    EXPECT_STREQ(e.from, "int");
    EXPECT_STREQ(e.to, "std::string");
    PB::bad_variant_cast w(typeid(unsigned long long), typeid(std::wstring));
    EXPECT_STREQ(w.from, "unsigned long long");
    EXPECT_STREQ(w.to, "std::wstring");
}

}  // namespace
