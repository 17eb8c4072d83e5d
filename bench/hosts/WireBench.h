#pragma once
// A lean HostWire host process in C++ for the benchmarks: it connects to the
// module's colony 0, makes one plug-in instance with "New", and calls its
// root object with "Invoke" commands made before the call; the module's own
// commands are answered at once from a small page (a browser object, a
// window whose location is the benchmark page, a document), and what the
// module schedules runs when a call waits for its reply. Replies are kept
// only as their length and first bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "kit/PageCall.h"

namespace bench {

class WireBench {
public:
    static constexpr const char* name = "HostWire";

    WireBench();
    ~WireBench();
    WireBench(const WireBench&) = delete;
    WireBench& operator=(const WireBench&) = delete;

    // A call's command text, made by the page side before the call.
    class Call {
    public:
        Call(const std::string& method, const PageArgs& args);

        const std::string& text() const { return m_text; }
        // The command text's bytes, as the module receives them.
        std::size_t bytes() const { return m_text.size(); }
        // What reading the text costs at the least: a bare Json::Reader parse.
        void floor() const;

    private:
        std::string m_text;
    };

    // Sends the command and runs what the module schedules until its reply
    // has come; a "success" reply resolves the answer.
    PageAnswer call(const Call& call);
    PageAnswer call(const std::string& method, const PageArgs& args = {});
};

}  // namespace bench
