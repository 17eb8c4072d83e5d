#pragma once
// A lean NPAPI browser in C++ for the benchmarks: a page whose window has a
// location and the page deferreds of the promise library, identifiers,
// memory and object references kept the way a browser keeps them, and
// pluginthreadasynccall calls queued until pumped. Unlike the tests' fake
// browser it records nothing per call, so that what is measured is the
// module. One instance of the module, made through NPP_New, with its
// scriptable object.

#include <npapi/npfunctions.h>

#include <cstddef>
#include <string>
#include <vector>

#include "kit/PageCall.h"

namespace bench {

class NpBench {
public:
    static constexpr const char* name = "Npapi";

    NpBench();
    ~NpBench();
    NpBench(const NpBench&) = delete;
    NpBench& operator=(const NpBench&) = delete;

    // A call's page values, made by the page before the call: NPVariant
    // strings in the browser's memory.
    class Call {
    public:
        Call(std::string method, const PageArgs& args);
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

        const std::string& method() const { return m_method; }
        // The bytes of the page's texts as the module receives them.
        std::size_t bytes() const { return m_bytes; }
        // Nothing to read: the module receives the values as they are.
        void floor() const {}
        const std::vector<NPVariant>& values() const { return m_values; }

    private:
        std::string m_method;
        std::vector<NPVariant> m_values;
        std::size_t m_bytes = 0;
    };

    // Calls a method of the plug-in's scriptable object as page script does,
    // then runs the queued calls until the answer's page promise settles.
    PageAnswer call(const Call& call);
    PageAnswer call(const std::string& method, const PageArgs& args = {});

    struct Object;

private:
    void pump();

    NPNetscapeFuncs m_browser{};
    NPPluginFuncs m_plugin{};
    NPP_t m_npp{};
    NPObject* m_scriptable = nullptr;
};

}  // namespace bench
