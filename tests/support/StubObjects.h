#pragma once
// The smallest concrete scriptable object and page object, for tests that
// need one but exercise nothing of it.

#include "ScriptingCore/JSObject.h"

namespace test {

// Trivial bodies for the member operations of a scriptable object.
template <typename Base>
class StubMembers : public Base {
public:
    using Base::Base;
    void invalidate() override {}
    void getMemberNames(std::vector<std::string>& names) const override { names.clear(); }
    std::size_t getMemberCount() const override { return 0; }
    bool hasMethod(std::string) const override { return false; }
    bool hasProperty(int) const override { return false; }
    bool hasProperty(std::string) const override { return false; }
    PB::Promise<PB::variant> getProperty(int) override { return PB::variant(); }
    PB::Promise<PB::variant> getProperty(std::string) override { return PB::variant(); }
    void setProperty(int, const PB::variant&) override {}
    void setProperty(std::string, const PB::variant&) override {}
    void removeProperty(int) override {}
    void removeProperty(std::string) override {}
    PB::Promise<PB::variant> invoke(std::string, const PB::VariantList&) override { return PB::variant(); }
    PB_JSAPI_KEEP_WIDE_FORMS(Base);
};

class StubApi : public StubMembers<PB::JSAPI> {};

class StubPageObject : public StubMembers<PB::JSObject> {
public:
    explicit StubPageObject(const PB::BrowserHostPtr& host = PB::BrowserHostPtr()) : StubMembers<PB::JSObject>(host) {}
    bool isValid() override { return true; }
};

}  // namespace test
