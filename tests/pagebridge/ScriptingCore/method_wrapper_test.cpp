#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ScriptingCore/JSAPIAuto.h"
#include "support/Errors.h"
#include "support/StubObjects.h"

namespace {

using PB::Promise;
using PB::variant;
using PB::VariantList;
using PB::VariantMap;

// Registers one method per name of the plug-in API, each with that method's
// signature; every member reports the arguments it received.
class FiftyMethods : public PB::JSAPIAuto {
public:
    FiftyMethods()
    {
        using F = FiftyMethods;
        for (const char* n : {"clearCachedKeyPasswords", "get_error", "resetCertRequestAttributes",
                              "resetCertRequestExtensions", "setCertRequestSubjectSignTool", "signFinal"})
            registerMethod(n, PB::make_method(this, &F::int0));
        registerMethod("getVersion", PB::make_method(this, &F::string0));
        registerMethod("initPlugin", PB::make_method(this, &F::promise0));
        registerMethod("getTokensList", PB::make_method(this, &F::list0));
        registerMethod("getNetworkInterfaceInfo", PB::make_method(this, &F::map0));
        for (const char* n : {"addCertRequestPolicy", "loadCRLs", "loadTrustedCertificates",
                              "loadUntrustedCertificates", "setCertReqAttrsAsCert", "tokenLogout"})
            registerMethod(n, PB::make_method(this, &F::int_s));
        registerMethod("setAddSignerCertificate", PB::make_method(this, &F::int_b));
        for (const char* n : {"devicePresent", "fileExists", "isToken", "keyContainerExists"})
            registerMethod(n, PB::make_method(this, &F::bool_s));
        for (const char* n : {"base64_to_bin", "clear_base64", "file_buffer", "readCertificate", "readCertRequest",
                              "signBinaryDataInContext", "signFileInContext"})
            registerMethod(n, PB::make_method(this, &F::string_s));
        for (const char* n : {"addCertRequestAttribute", "copyKeyContainer", "signInit"})
            registerMethod(n, PB::make_method(this, &F::int_ss));
        for (const char* n : {"setNewKeyPassword", "verifyCertificate"})
            registerMethod(n, PB::make_method(this, &F::int_sb));
        for (const char* n : {"encodeCertRequest", "getCertificateProperty", "getCertRequestProperty",
                              "getPrivateKeyByCertificate", "getTokenInfo"})
            registerMethod(n, PB::make_method(this, &F::string_ss));
        for (const char* n : {"generateKeyPair", "signInContext"})
            registerMethod(n, PB::make_method(this, &F::string_sb));
        for (const char* n : {"getCMC", "signBinaryData", "signFile"})
            registerMethod(n, PB::make_method(this, &F::string_sss));
        registerMethod("getCertificates", PB::make_method(this, &F::promise_sbb));
        registerMethod("writeCertificate", PB::make_method(this, &F::int_siss));
        registerMethod("setKeyGenOptions", PB::make_method(this, &F::int_ssss));
        registerMethod("sign", PB::make_method(this, &F::string_sssb));
        for (const char* n : {"showOpenDialog", "showSaveDialog"})
            registerMethod(n, PB::make_method(this, &F::string_isvss));
        registerMethod("makeRevocationRequest", PB::make_method(this, &F::string_sissssb));
    }

    std::vector<std::string> received;

    int int0() { return record("int0()"), 0; }
    std::string string0() { return record("string0()"); }
    Promise<variant> promise0() { return variant(record("promise0()")); }
    Promise<VariantList> list0() { return VariantList{record("list0()")}; }
    Promise<VariantMap> map0() { return VariantMap{{"seen", record("map0()")}}; }
    int int_s(std::string a) { return record(join({a})), 1; }
    int int_b(bool a) { return record(join({b(a)})), 2; }
    bool bool_s(std::string a) { return record(join({a})), true; }
    std::string string_s(std::string a) { return record(join({a})); }
    int int_ss(std::string a, std::string c) { return record(join({a, c})), 3; }
    int int_sb(std::string a, bool c) { return record(join({a, b(c)})), 4; }
    std::string string_ss(std::string a, std::string c) { return record(join({a, c})); }
    std::string string_sb(std::string a, bool c) { return record(join({a, b(c)})); }
    std::string string_sss(std::string a, std::string c, std::string d) { return record(join({a, c, d})); }
    Promise<variant> promise_sbb(std::string a, bool c, bool d) { return variant(record(join({a, b(c), b(d)}))); }
    int int_siss(std::string a, int c, std::string d, std::string e)
    {
        return record(join({a, std::to_string(c), d, e})), 5;
    }
    int int_ssss(std::string a, std::string c, std::string d, std::string e) { return record(join({a, c, d, e})), 6; }
    std::string string_sssb(std::string a, std::string c, std::string d, bool e)
    {
        return record(join({a, c, d, b(e)}));
    }
    std::string string_isvss(int a, std::string c, variant v, std::string d, std::string e)
    {
        return record(join({std::to_string(a), c, v.empty() ? "(none)" : v.convert_cast<std::string>(), d, e}));
    }
    std::string string_sissssb(std::string a, int c, std::string d, std::string e, std::string f, std::string g,
                               std::string h, bool i)
    {
        return record(join({a, std::to_string(c), d, e, f, g, h, b(i)}));
    }

private:
    static std::string b(bool v) { return v ? "true" : "false"; }
    static std::string join(const std::vector<std::string>& parts)
    {
        std::string out;
        for (const auto& p : parts)
            out += (out.empty() ? "" : ",") + p;
        return out;
    }
    std::string record(const std::string& what)
    {
        received.push_back(what);
        return what;
    }
};

struct Outcome {
    std::string text;
    bool memberRan;
};

Outcome call(const std::string& method, const VariantList& args)
{
    auto obj = std::make_shared<FiftyMethods>();
    std::string text = "pending";
    try {
        obj->invoke(method, args)
            .done([&text](variant v) {
                      if (v.holds<VariantList>())
                          text = "list:" + v.cast<VariantList>()[0].convert_cast<std::string>();
                      else if (v.holds<VariantMap>())
                          text = "map:" + v.cast<VariantMap>().at("seen").convert_cast<std::string>();
                      else
                          text = v.convert_cast<std::string>();
                  },
                  [&text](std::exception_ptr) { text = "rejected"; });
    } catch (const PB::invalid_arguments& e) {
        text = std::string("error: ") + e.what();
    }
    return {text, !obj->received.empty()};
}

// One row per registered name: a valid argument list, what the member
// returns for it, and the parameter count.
struct Signature {
    const char* name;
    VariantList args;
    const char* result;
    std::size_t count;
};

const Signature signatures[] = {
    {"clearCachedKeyPasswords", {}, "0", 0},
    {"get_error", {}, "0", 0},
    {"resetCertRequestAttributes", {}, "0", 0},
    {"resetCertRequestExtensions", {}, "0", 0},
    {"setCertRequestSubjectSignTool", {}, "0", 0},
    {"signFinal", {}, "0", 0},
    {"getVersion", {}, "string0()", 0},
    {"initPlugin", {}, "promise0()", 0},
    {"getTokensList", {}, "list:list0()", 0},
    {"getNetworkInterfaceInfo", {}, "map:map0()", 0},
    {"addCertRequestPolicy", {"p"}, "1", 1},
    {"loadCRLs", {"p"}, "1", 1},
    {"loadTrustedCertificates", {"p"}, "1", 1},
    {"loadUntrustedCertificates", {"p"}, "1", 1},
    {"setCertReqAttrsAsCert", {"p"}, "1", 1},
    {"tokenLogout", {"p"}, "1", 1},
    {"setAddSignerCertificate", {"yes"}, "2", 1},
    {"devicePresent", {"d"}, "true", 1},
    {"fileExists", {"f"}, "true", 1},
    {"isToken", {"d"}, "true", 1},
    {"keyContainerExists", {"k"}, "true", 1},
    {"base64_to_bin", {"QQ=="}, "QQ==", 1},
    {"clear_base64", {"QQ=="}, "QQ==", 1},
    {"file_buffer", {"/f"}, "/f", 1},
    {"readCertificate", {"c"}, "c", 1},
    {"readCertRequest", {"r"}, "r", 1},
    {"signBinaryDataInContext", {"d"}, "d", 1},
    {"signFileInContext", {"f"}, "f", 1},
    {"addCertRequestAttribute", {"a", "b"}, "3", 2},
    {"copyKeyContainer", {"a", "b"}, "3", 2},
    {"signInit", {"a", "b"}, "3", 2},
    {"setNewKeyPassword", {"k", 1}, "4", 2},
    {"verifyCertificate", {"c", 0.0}, "4", 2},
    {"encodeCertRequest", {"a", "b"}, "a,b", 2},
    {"getCertificateProperty", {"a", "b"}, "a,b", 2},
    {"getCertRequestProperty", {"a", "b"}, "a,b", 2},
    {"getPrivateKeyByCertificate", {"a", "b"}, "a,b", 2},
    {"getTokenInfo", {"a", "b"}, "a,b", 2},
    {"generateKeyPair", {"GOST3410-2012-256", true}, "GOST3410-2012-256,true", 2},
    {"signInContext", {"t", "false"}, "t,false", 2},
    {"getCMC", {"a", "b", "c"}, "a,b,c", 3},
    {"signBinaryData", {"a", "b", "c"}, "a,b,c", 3},
    {"signFile", {"a", "b", "c"}, "a,b,c", 3},
    {"getCertificates", {"store", true, false}, "store,true,false", 3},
    {"writeCertificate", {"c", "7", "p", "n"}, "5", 4},
    {"setKeyGenOptions", {"a", "b", "c", "d"}, "6", 4},
    {"sign", {"a", "b", "c", 1}, "a,b,c,true", 4},
    {"showOpenDialog", {1, "t", "f", "d", "e"}, "1,t,f,d,e", 5},
    {"showSaveDialog", {2.0, "t", PB::VariantList{}, "d", "e"}, "2,t,(none),d,e", 5},
    {"makeRevocationRequest", {"c", 3, "a", "b", "d", "e", "f", true}, "c,3,a,b,d,e,f,true", 8},
};

TEST(MethodWrapper, FiftySignaturesAnswerTheirValidCalls)
{
    ASSERT_EQ(std::size(signatures), 50u);
    for (const Signature& s : signatures) {
        // A list where a variant parameter holds a list would not convert to a
        // string; the member's reporter handles it, so fix the row up here.
        VariantList args = s.args;
        if (std::string(s.name) == "showSaveDialog")
            args[2] = variant();
        Outcome o = call(s.name, args);
        EXPECT_EQ(o.text, s.result) << s.name;
        EXPECT_TRUE(o.memberRan) << s.name;
    }
}

TEST(MethodWrapper, CountErrorsForEveryArity)
{
    for (const Signature& s : signatures) {
        VariantList tooMany = s.args;
        tooMany.push_back("extra");
        if (s.count == 0) {
            // Parameterless members take and ignore any arguments.
            EXPECT_EQ(call(s.name, tooMany).text, s.result) << s.name;
            continue;
        }
        std::ostringstream expected;
        expected << "error: Too many arguments, expected " << s.count << ".";
        Outcome o = call(s.name, tooMany);
        EXPECT_EQ(o.text, expected.str()) << s.name;
        EXPECT_FALSE(o.memberRan) << s.name;

        VariantList missing(s.args.begin(), s.args.end() - 1);
        expected.str("");
        expected << "error: Error: Argument " << s.count << " is not optional.";
        o = call(s.name, missing);
        EXPECT_EQ(o.text, expected.str()) << s.name;
        EXPECT_FALSE(o.memberRan) << s.name;
    }
}

TEST(MethodWrapper, ArgumentErrorsAreExactAndComeBeforeTheMember)
{
    const struct {
        const char* method;
        VariantList args;
        const char* expected;
    } cases[] = {
        {"loadCRLs", {}, "error: Error: Argument 1 is not optional."},
        {"loadCRLs", {"a", "b"}, "error: Too many arguments, expected 1."},
        {"loadCRLs", {VariantList{}}, "error: Invalid argument conversion from PB::VariantList to std::string at index 1"},
        // With one parameter the count is checked before the conversion ...
        {"loadCRLs", {VariantList{}, "b"}, "error: Too many arguments, expected 1."},
        // ... with more, the conversion of an earlier position wins.
        {"signInit", {VariantList{}, "b", "c"},
         "error: Invalid argument conversion from PB::VariantList to std::string at index 1"},
        {"writeCertificate", {"c", "not a number", "p", "n"},
         "error: Invalid argument conversion from std::string to int at index 2"},
        {"writeCertificate", {"c", 1, "p"}, "error: Error: Argument 4 is not optional."},
        {"writeCertificate", {"c", 1, "p", "n", "x"}, "error: Too many arguments, expected 4."},
        {"showOpenDialog", {1, "t"}, "error: Error: Argument 4 is not optional."},
        {"showOpenDialog", {1, "t", variant(), "d", "e"}, "1,t,(none),d,e"},
        {"setAddSignerCertificate", {PB::PBNull()}, "error: Invalid argument conversion from PB::PBNull to long at index 1"},
        {"makeRevocationRequest", {"c", 3e10, "a", "b", "d", "e", "f", true},
         "error: Invalid argument conversion from double to int at index 2"},
    };
    for (const auto& c : cases) {
        Outcome o = call(c.method, c.args);
        EXPECT_EQ(o.text, c.expected) << c.method;
        if (std::string(c.expected).rfind("error:", 0) == 0) {
            EXPECT_FALSE(o.memberRan) << c.method;
        }
    }
}

TEST(MethodWrapper, ResultsAndFailuresOfMembers)
{
    struct Members : PB::JSAPIAuto {
        Members()
        {
            registerMethod("nothing", PB::make_method(this, &Members::nothing));
            registerMethod("zero", PB::make_method(this, &Members::zero));
            registerMethod("failsWithArgs", PB::make_method(this, &Members::failsWithArgs));
            registerMethod("failsWithout", PB::make_method(this, &Members::failsWithout));
            registerMethod("later", PB::make_method(this, &Members::later));
        }
        void nothing(std::string) {}
        int zero() { return 0; }
        int failsWithArgs(std::string) { throw PB::script_error("member failed"); }
        int failsWithout() { throw PB::script_error("member failed"); }
        Promise<VariantList> later() { return pending.promise(); }
        PB::Deferred<VariantList> pending;
    };
    auto obj = std::make_shared<Members>();
    variant got("unset");
    obj->invoke("nothing", {"x"}).done([&got](variant v) { got = v; });
    EXPECT_TRUE(got.empty());
    obj->invoke("zero", {}).done([&got](variant v) { got = v; });
    EXPECT_TRUE(got.holds<int>());

    std::string error;
    obj->invoke("failsWithArgs", {"x"}).fail([&error](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            error = x.what();
        }
    });
    EXPECT_EQ(error, "member failed");
    // A parameterless member called without arguments throws out of invoke;
    // called with arguments it rejects like the others.
    EXPECT_THROW(obj->invoke("failsWithout", {}), PB::script_error);
    bool rejected = false;
    obj->invoke("failsWithout", {1}).fail([&rejected](std::exception_ptr) { rejected = true; });
    EXPECT_TRUE(rejected);

    got = variant();
    obj->invoke("later", {}).done([&got](variant v) { got = v; });
    EXPECT_TRUE(got.empty());
    obj->pending.resolve(VariantList{1, 2});
    EXPECT_EQ(got.cast<VariantList>().size(), 2u);
}

TEST(MethodWrapper, AHandedOverListIsTakenOverAndAKeptListIsLeftAlone)
{
    struct Members : PB::JSAPIAuto {
        Members() { registerMethod("take", PB::make_method(this, &Members::take)); }
        int take(std::string text, variant value)
        {
            seen = text.data();
            received = text;
            kept = value;
            return 0;
        }
        const char* seen = nullptr;
        std::string received;
        variant kept;
    };
    auto obj = std::make_shared<Members>();
    const std::string payload(4096, 'x');

    // A caller that keeps its list: the member gets copies, the list is as it was.
    const VariantList kept{payload, VariantList{1, 2}};
    obj->invoke("take", kept);
    EXPECT_EQ(obj->received, payload);
    EXPECT_NE(obj->seen, kept[0].get_if<std::string>()->data());
    EXPECT_EQ(kept[0].cast<std::string>(), payload);
    EXPECT_EQ(kept[1].cast<VariantList>().size(), 2u);

    // A caller done with its list: the member gets the very text, no copy of it.
    VariantList handed{payload, VariantList{1, 2}};
    const char* buffer = handed[0].get_if<std::string>()->data();
    obj->invoke("take", std::move(handed));
    EXPECT_EQ(obj->received, payload);
    EXPECT_EQ(obj->seen, buffer);
    EXPECT_EQ(obj->kept.cast<VariantList>().size(), 2u);

    // The same through the interface every scriptable object has.
    PB::JSAPIPtr api = obj;
    VariantList again{payload, 3};
    buffer = again[0].get_if<std::string>()->data();
    api->invoke("take", std::move(again));
    EXPECT_EQ(obj->seen, buffer);
    EXPECT_EQ(obj->kept.cast<int>(), 3);

    // An object that only reads kept lists is given the handed-over list to read.
    struct Reader : test::StubApi {
        PB::Promise<variant> invoke(std::string method, const VariantList& args) override
        {
            return variant(method + ":" + args.at(0).convert_cast<std::string>());
        }
        using test::StubApi::invoke;
    };
    PB::JSAPIPtr reader = std::make_shared<Reader>();
    std::string answer;
    reader->invoke("read", VariantList{"text"}).done([&answer](variant v) { answer = v.cast<std::string>(); });
    EXPECT_EQ(answer, "read:text");
}

TEST(MethodWrapper, PromisesAndForeignExceptionsOfMembers)
{
    struct Members : PB::JSAPIAuto {
        Members()
        {
            registerMethod("invalidWith", PB::make_method(this, &Members::invalidWith));
            registerMethod("invalidWithout", PB::make_method(this, &Members::invalidWithout));
            registerMethod("invalidList", PB::make_method(this, &Members::invalidList));
            registerMethod("throwsInt", PB::make_method(this, &Members::throwsInt));
            registerMethod("abandoned", PB::make_method(this, &Members::abandoned));
        }
        Promise<variant> invalidWith(std::string) { return Promise<variant>(); }
        Promise<variant> invalidWithout() { return Promise<variant>(); }
        Promise<VariantList> invalidList(int) { return Promise<VariantList>(); }
        int throwsInt(std::string) { throw 7; }
        Promise<variant> abandoned(std::string) { return PB::Deferred<variant>().promise(); }
    };
    auto obj = std::make_shared<Members>();
    const struct {
        const char* method;
        VariantList args;
        const char* rejection;
    } rejected[] = {
        {"invalidWith", {"x"}, "Promise invalid"},
        {"invalidWithout", {"ignored"}, "Promise invalid"},
        {"invalidList", {1}, "Promise invalid"},
        {"abandoned", {"x"}, "Deferred object destroyed: 1"},
    };
    for (const auto& c : rejected) {
        std::string error = "not rejected";
        obj->invoke(c.method, c.args).fail([&error](std::exception_ptr e) { error = test::messageOf(e); });
        EXPECT_EQ(error, c.rejection) << c.method;
    }
    // Called without arguments, a parameterless member's failure leaves the call.
    EXPECT_THROW(obj->invoke("invalidWithout", VariantList()), std::runtime_error);
    // Only exceptions derived from std::exception become rejections.
    EXPECT_THROW(obj->invoke("throwsInt", {"x"}), int);
}

TEST(MethodWrapper, ArgumentAsPromise)
{
    const VariantList two{"a", 2};
    variant got("unset");
    PB::detail::methods::argumentAsPromise(two, 3).done([&got](variant v) { got = v; });
    EXPECT_TRUE(got.empty());
    PB::detail::methods::argumentAsPromise(two, 2).done([&got](variant v) { got = v; });
    EXPECT_EQ(got.cast<int>(), 2);
}

}  // namespace
