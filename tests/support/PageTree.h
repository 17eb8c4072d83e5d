#pragma once
// Page objects over an in-memory tree, for tests of everything that reads
// the page: properties (possibly other tree objects), methods, indexed
// members, and answers that arrive later when the test says so.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ScriptingCore/JSObject.h"

namespace test {

class TreeObject : public PB::JSObject {
public:
    using Method = std::function<PB::variant(const PB::VariantList&)>;

    explicit TreeObject(const PB::BrowserHostPtr& host) : PB::JSObject(host) {}

    static std::shared_ptr<TreeObject> make(const PB::BrowserHostPtr& host, PB::VariantMap props = {})
    {
        auto obj = std::make_shared<TreeObject>(host);
        obj->props = std::move(props);
        return obj;
    }
    // An array-like object: "length" and the members "0", "1", ...
    static std::shared_ptr<TreeObject> array(const PB::BrowserHostPtr& host, const PB::VariantList& elements)
    {
        auto obj = make(host, {{"length", static_cast<int>(elements.size())}});
        for (std::size_t i = 0; i < elements.size(); ++i)
            obj->props[std::to_string(i)] = elements[i];
        return obj;
    }

    PB::VariantMap props;
    std::map<std::string, Method> methods;
    // When set, reads and calls answer only when answer() or fail() is called.
    bool answerLater = false;
    std::vector<std::string> log;

    void answer()
    {
        auto queued = std::move(m_pending);
        for (auto& p : queued)
            p.first.resolve(p.second);
    }
    void fail(const std::string& why)
    {
        auto queued = std::move(m_pending);
        for (auto& p : queued)
            p.first.reject(std::make_exception_ptr(PB::script_error(why)));
    }
    std::size_t pendingAnswers() const { return m_pending.size(); }

    PB::Promise<PB::variant> getProperty(std::string name) override
    {
        log.push_back("get " + name);
        auto found = props.find(name);
        return reply(found == props.end() ? PB::variant() : found->second);
    }
    PB::Promise<PB::variant> getProperty(int index) override { return getProperty(std::to_string(index)); }
    void setProperty(std::string name, const PB::variant& value) override
    {
        log.push_back("set " + name);
        props[name] = value;
    }
    void setProperty(int index, const PB::variant& value) override { setProperty(std::to_string(index), value); }
    PB::Promise<PB::variant> invoke(std::string name, const PB::VariantList& args) override
    {
        log.push_back("call " + name);
        auto found = methods.find(name);
        if (found == methods.end())
            throw PB::invalid_member(name);
        return reply(found->second(args));
    }

    bool isValid() override { return !host.expired(); }
    void invalidate() override {}
    void getMemberNames(std::vector<std::string>& names) const override
    {
        names.clear();
        for (const auto& p : props)
            names.push_back(p.first);
    }
    std::size_t getMemberCount() const override { return props.size(); }
    bool hasMethod(std::string name) const override { return methods.count(name) != 0; }
    bool hasProperty(int index) const override { return props.count(std::to_string(index)) != 0; }
    bool hasProperty(std::string name) const override { return props.count(name) != 0; }
    void removeProperty(int index) override { props.erase(std::to_string(index)); }
    void removeProperty(std::string name) override { props.erase(name); }
    PB_JSAPI_KEEP_WIDE_FORMS(PB::JSObject);

private:
    PB::Promise<PB::variant> reply(const PB::variant& value)
    {
        if (!answerLater)
            return PB::Promise<PB::variant>(value);
        PB::Deferred<PB::variant> later;
        m_pending.emplace_back(later, value);
        return later.promise();
    }

    std::vector<std::pair<PB::Deferred<PB::variant>, PB::variant>> m_pending;
};

}  // namespace test
