#pragma once
// A lean COM container in C++ for the benchmarks: the module registered in
// the in-memory registry, its control made through DllGetClassObject and
// sited with IObjectWithSite on a site whose browser, document and window
// are small C++ objects (the window has a location and the promise
// library's PageBridgePromise), and the page's calls made through the
// control's IDispatchEx with BSTR arguments. Settlements arrive through the
// thread's message queue, which each call pumps. Nothing is recorded per
// call beyond the answer.

#include <com/dispatch.h>

#include <string>
#include <vector>

#include "kit/PageCall.h"

namespace bench {

class ComBench {
public:
    static constexpr const char* name = "ActiveX";

    ComBench();
    ~ComBench();
    ComBench(const ComBench&) = delete;
    ComBench& operator=(const ComBench&) = delete;

    // A call's page values, made by the page before the call: BSTRs and
    // booleans, last argument first as DISPPARAMS holds them.
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
        std::vector<VARIANT>& values() const { return m_values; }

    private:
        std::string m_method;
        mutable std::vector<VARIANT> m_values;
        std::size_t m_bytes = 0;
    };

    PageAnswer call(const Call& call);
    PageAnswer call(const std::string& method, const PageArgs& args = {});

private:
    IUnknown* m_control = nullptr;
    IDispatchEx* m_face = nullptr;
};

}  // namespace bench
