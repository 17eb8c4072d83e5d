// The IDispatchEx face of a scriptable object: names, calls answered with
// page promises, property reads and writes, enumeration, connection points,
// and the script object's own life.

#include <algorithm>
#include <ostream>

#include "ActiveXCore/Guids.h"
#include "ScriptingCore/JSAPIAuto.h"
#include "AxFixture.h"

namespace {

class Bridge : public axtest::AxFixture {};

struct CallCase {
    const char* name;
    const wchar_t* member;
    WORD flags;
    std::vector<std::string> args;
    std::string logged;
};

void PrintTo(const CallCase& c, std::ostream* os)
{
    *os << c.name;
}

class BridgeCall : public Bridge, public testing::WithParamInterface<CallCase> {};

TEST_P(BridgeCall, AnswersWithAPagePromise)
{
    const CallCase& c = GetParam();
    com::ComPtr<IDispatchEx> face = apiWrapper();
    ASSERT_EQ(call(face.get(), c.member, c.flags, c.args), S_OK);
    page.run("console.log(typeof r.then);" + axtest::logOutcome("r"));
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{"function", c.logged}));
}

const CallCase kCalls[] = {
    {"SynchronousAnswer", L"add", DISPATCH_METHOD, {"2", "3"}, "r: 5"},
    {"ArgumentsInScriptOrder", L"callBack", DISPATCH_METHOD, {"(function (x) { return 'got ' + x; })", "'x'"}, "r: got x"},
    {"LaterAnswer", L"later", DISPATCH_METHOD, {"'x'"}, "r: later x"},
    {"FailureRejects", L"fail", DISPATCH_METHOD, {"'no way'"}, "r failed: no way"},
    {"UnknownMemberRejects", L"getLastException", DISPATCH_METHOD, {},
     "r failed: The specified member does not exist: Invalid method or property name"},
    {"PropertyRead", L"count", DISPATCH_PROPERTYGET, {}, "r: 0"},
    {"CallAsMethodAndGet", L"echo", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {"'e'"}, "r: e"},
};
INSTANTIATE_TEST_SUITE_P(Table, BridgeCall, testing::ValuesIn(kCalls),
                         [](const testing::TestParamInfo<CallCase>& info) { return std::string(info.param.name); });

// A scriptable object with a default method (the empty name) and a method f,
// both answering with their arguments.
std::shared_ptr<PB::JSAPIAuto> callableApi()
{
    auto api = std::make_shared<PB::JSAPIAuto>("callable");
    const auto answer = [](const std::string& who) {
        return [who](const PB::VariantList& args) {
            std::string text = who;
            for (const PB::variant& arg : args)
                text += " " + arg.convert_cast<std::string>();
            return PB::Promise<PB::variant>(PB::variant(text));
        };
    };
    api->registerMethod("", answer("itself"));
    api->registerMethod("f", answer("f"));
    return api;
}

struct ThisCase {
    const char* name;
    bool objectItself;  // DISPID_VALUE, else the method f
    bool withThis;      // the this value as the named DISPID_THIS argument 0
    const char* logged;
};

void PrintTo(const ThisCase& c, std::ostream* os)
{
    *os << c.name;
}

class BridgeThis : public Bridge, public testing::WithParamInterface<ThisCase> {};

TEST_P(BridgeThis, TheThisValueIsNoArgument)
{
    const ThisCase& c = GetParam();
    auto api = callableApi();
    auto face = com::ComPtr<IDispatchEx>::adopt(host->getJSAPIWrapper(api, false));
    // Script order (3, 'x'): the last argument first, behind the this value.
    com::VariantArray block(c.withThis ? 3 : 2);
    const std::size_t first = c.withThis ? 1 : 0;
    if (c.withThis) {
        block[0].vt = VT_DISPATCH;
        block[0].pdispVal = face.get();
        face->AddRef();
    }
    block[first].vt = VT_BSTR;
    block[first].bstrVal = com::allocBstr(L"x");
    block[first + 1].vt = VT_I4;
    block[first + 1].lVal = 3;
    DISPID named = DISPID_THIS;
    DISPPARAMS params{block.data(), c.withThis ? &named : nullptr, static_cast<UINT>(block.size()),
                      c.withThis ? 1u : 0u};
    const DISPID id = c.objectItself ? DISPID_VALUE : dispId(face.get(), L"f");
    com::Variant result;
    ASSERT_EQ(face->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    expose("r", result);
    page.run(axtest::logOutcome("r"));
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{c.logged}));
}

const ThisCase kThisCases[] = {
    {"MethodWithThis", false, true, "r: f 3 x"},
    {"MethodWithoutThis", false, false, "r: f 3 x"},
    {"ObjectItselfWithThis", true, true, "r: itself 3 x"},
    // Without a this value DISPID_VALUE keeps its table name.
    {"ObjectItselfWithoutThis", true, false, "r failed: The specified member does not exist: value"},
};
INSTANTIATE_TEST_SUITE_P(Table, BridgeThis, testing::ValuesIn(kThisCases),
                         [](const testing::TestParamInfo<ThisCase>& info) { return std::string(info.param.name); });

TEST_F(Bridge, ThePageCallsAnObjectWithADefaultMethodAsAFunction)
{
    auto api = callableApi();
    com::Variant callable, plain;
    callable.vt = plain.vt = VT_DISPATCH;
    callable.pdispVal = host->getJSAPIWrapper(api, false);
    plain.pdispVal = apiWrapper().detach();
    expose("callable", callable);
    expose("plain", plain);
    page.run("console.log(typeof callable + ' ' + typeof plain);"
             "callable(3, 'x').then(function (v) { console.log(v); });"
             "callable.f(4).then(function (v) { console.log(v); });");
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{"function object", "itself 3 x", "f 4"}));
}

TEST_F(Bridge, NamesShareProcessWideDispids)
{
    com::ComPtr<IDispatchEx> first = apiWrapper();
    com::ComPtr<IDispatchEx> second = apiWrapper();
    EXPECT_EQ(dispId(first.get(), L"echo"), dispId(second.get(), L"echo"));
    EXPECT_GE(dispId(first.get(), L"echo"), 100);
    for (const wchar_t* special : {L"attachEvent", L"detachEvent", L"getLastException"})
        dispId(first.get(), special);
    const com::Bstr unknown(L"nothing");
    DISPID id = 0;
    EXPECT_EQ(first->GetDispID(unknown.get(), 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, -1);

    std::u16string add = com::toUtf16(L"add"), bad = com::toUtf16(L"bad"), echo = com::toUtf16(L"echo");
    LPOLESTR names[] = {add.data(), bad.data(), echo.data()};
    DISPID ids[3] = {0, 0, 7};
    EXPECT_EQ(first->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], dispId(first.get(), L"add"));
    EXPECT_EQ(ids[2], 7);  // not reached
}

TEST_F(Bridge, AnswersDirectlyWhereNoPromiseIsDue)
{
    com::ComPtr<IDispatchEx> face = apiWrapper();
    const struct {
        DISPID id;
        WORD flags;
        bool withResult;
        HRESULT hr;
        VARTYPE vt;
        LONG value;
    } cases[] = {
        {dispId(face.get(), L"echo"), DISPATCH_PROPERTYGET, true, S_OK, VT_BOOL, VARIANT_TRUE},  // a method read
        {DISPID_READYSTATE, DISPATCH_PROPERTYGET, true, S_OK, VT_I4, 1},
        {DISPID_ENABLED, DISPATCH_PROPERTYGET, true, S_OK, VT_BOOL, VARIANT_TRUE},
        {DISPID_SECURITYCTX, DISPATCH_PROPERTYGET, true, E_NOTIMPL, VT_EMPTY, 0},
        {dispId(face.get(), L"count"), DISPATCH_PROPERTYGET, false, E_INVALIDARG, VT_EMPTY, 0},
        {99, DISPATCH_METHOD, true, DISP_E_MEMBERNOTFOUND, VT_EMPTY, 0},
    };
    for (const auto& c : cases) {
        DISPPARAMS none{};
        com::Variant result;
        EXPECT_EQ(face->InvokeEx(c.id, 0, c.flags, &none, c.withResult ? &result : nullptr, nullptr, nullptr), c.hr)
            << c.id;
        EXPECT_EQ(result.vt, c.vt) << c.id;
        EXPECT_EQ(c.vt == VT_BOOL ? result.boolVal : result.lVal, c.vt == VT_EMPTY ? 0 : c.value) << c.id;
    }
}

TEST_F(Bridge, PropertyWritesReachTheObject)
{
    com::ComPtr<IDispatchEx> face = apiWrapper();
    EXPECT_EQ(call(face.get(), L"count", DISPATCH_PROPERTYPUT, {"7"}), S_OK);
    EXPECT_EQ(call(face.get(), L"count", DISPATCH_PROPERTYGET, {}), S_OK);
    // Writing a method is no property write: the page learns it from a rejected promise.
    EXPECT_EQ(call(face.get(), L"echo", DISPATCH_PROPERTYPUT, {"1"}, "w"), S_OK);
    page.run(axtest::logOutcome("r") + axtest::logOutcome("w"));
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{
                         "r: 7", "w failed: The specified member does not exist: Invalid method or property name"}));
}

TEST_F(Bridge, EnumerationVisitsEveryMemberThenGetLastException)
{
    com::ComPtr<IDispatchEx> face = apiWrapper();
    std::vector<std::wstring> names;
    DISPID id = DISPID_STARTENUM;
    HRESULT hr;
    while ((hr = face->GetNextDispID(fdexEnumAll, id, &id)) == S_OK && names.size() < 100) {
        com::Bstr name;
        ASSERT_EQ(face->GetMemberName(id, name.put()), S_OK);
        names.push_back(name.text());
    }
    EXPECT_EQ(hr, S_FALSE);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back(), L"getLastException");
    for (const wchar_t* member : {L"add", L"echo", L"count", L"ondone"})
        EXPECT_NE(std::find(names.begin(), names.end(), member), names.end()) << com::toUtf8(member);
    com::Bstr none;
    EXPECT_EQ(face->GetMemberName(99, none.put()), DISP_E_UNKNOWNNAME);
}

TEST_F(Bridge, AnObjectThatHasGoneAnswersLikeAnUnknownOne)
{
    auto api = std::make_shared<PB::JSAPIAuto>("bare");
    auto weak = com::ComPtr<IDispatchEx>::adopt(host->getJSAPIWrapper(api, false));
    const DISPID id = dispId(weak.get(), L"toString");
    api.reset();
    const com::Bstr name(L"toString");
    DISPID again = 0;
    EXPECT_EQ(weak->GetDispID(name.get(), 0, &again), DISP_E_UNKNOWNNAME);
    DISPPARAMS none{};
    com::Variant result;
    EXPECT_EQ(weak->InvokeEx(id, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(weak->GetNextDispID(fdexEnumAll, DISPID_STARTENUM, &again), S_FALSE);
    EXPECT_EQ(weak->DeleteMemberByDispID(id), S_FALSE);
}

TEST_F(Bridge, AutoReleaseKeepsTheObjectAsLongAsItsFace)
{
    auto api = std::make_shared<PB::JSAPIAuto>("bare");
    auto face = com::ComPtr<IDispatchEx>::adopt(host->getJSAPIWrapper(api, true));
    std::weak_ptr<PB::JSAPI> watched = api;
    api.reset();
    EXPECT_FALSE(watched.expired());
    EXPECT_FALSE(face.query<IOleObject>());  // a script object is no control
    EXPECT_TRUE(face.query<IPageBridgeObject>());
    face.reset();
    EXPECT_TRUE(watched.expired());
}

TEST_F(Bridge, ConnectionPointCallsTheSinkForEvents)
{
    com::ComPtr<IDispatchEx> face = apiWrapper();
    com::ComPtr<IConnectionPointContainer> container = face.query<IConnectionPointContainer>();
    com::ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(PB::ActiveX::DIID_IPBComEventSource, point.put()), S_OK);
    com::ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
    com::ComPtr<IConnectionPoint> listed;
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(1, listed.put(), &fetched), S_OK);
    EXPECT_EQ(listed.get(), point.get());

    com::ComPtr<IDispatch> sink = pageDispatch("({ ondone: function (v) { console.log('sink ' + v); } })");
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(sink.get(), &cookie), S_OK);
    EXPECT_EQ(call(face.get(), L"fire", DISPATCH_METHOD, {"'ondone'", "3"}), S_OK);
    EXPECT_EQ(point->Unadvise(cookie + 100), E_UNEXPECTED);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(call(face.get(), L"fire", DISPATCH_METHOD, {"'ondone'", "4"}), S_OK);
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{"sink 3"}));
    EXPECT_EQ(point->Advise(nullptr, &cookie), CONNECT_E_CANNOTCONNECT);
}

}  // namespace
