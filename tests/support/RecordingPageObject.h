#pragma once
// A page object that records every call made on it, with a settable
// context, native handle, validity and callHandlers support.

#include <string>
#include <vector>

#include "support/StubObjects.h"

namespace test {

class RecordingPageObject : public StubMembers<PB::JSObject> {
public:
    struct Call {
        std::string kind;  // "invoke" or "callHandlers"
        std::string name;
        PB::VariantList args;
        std::size_t handlers = 0;
        std::size_t sinks = 0;
    };

    RecordingPageObject(std::string label, void* context, void* handle = nullptr)
        : StubMembers<PB::JSObject>(PB::BrowserHostPtr()), label(std::move(label)), context(context), handle(handle ? handle : this)
    {
    }

    std::string label;
    void* context;
    void* handle;
    bool valid = true;
    bool batches = false;
    std::vector<Call>* journal = nullptr;  // shared log across objects, in call order
    std::vector<Call> calls;

    void* getContextID() override { return context; }
    void* getNativeHandle() override { return handle; }
    bool isValid() override { return valid; }
    bool supportsCallHandlers() override { return batches; }
    void callHandlers(std::string event, const PB::VariantList& args, const std::vector<PB::JSObjectPtr>& handlers,
                      const std::vector<PB::JSObjectPtr>& sinks) override
    {
        record({"callHandlers", event, args, handlers.size(), sinks.size()});
    }
    PB::Promise<PB::variant> invoke(std::string method, const PB::VariantList& args) override
    {
        record({"invoke", method, args});
        return PB::variant();
    }

    void invalidate() override { valid = false; }
    PB_JSAPI_KEEP_WIDE_FORMS(StubMembers<PB::JSObject>);

private:
    void record(Call call)
    {
        if (journal) {
            Call tagged = call;
            tagged.name = label + "." + call.kind + "(" + call.name + ")";
            journal->push_back(tagged);
        }
        calls.push_back(std::move(call));
    }
};

}  // namespace test
