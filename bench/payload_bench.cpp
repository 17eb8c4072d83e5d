// Large payloads through the module's adapters, each set against the crypto
// library's signing of the same bytes with the same key and output format
// (and, for HostWire, a bare Json::Reader parse of the same command text):
// signBinaryData of 16 MiB of data as Base64; sign and signInContext of a
// 16 MiB text, detached; sign of an 8 MiB text attached, whose signature
// carries the text and so is a large answer; clear_base64 of the 16 MiB
// Base64 text, whose answer is as large as its argument (set against the
// signing of the 16 MiB of data); and signFile of a 64 MiB file, whose heap
// is set against the file's size.

#include <benchmark/benchmark.h>

#include <dravik/dravik.h>

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "hosts/ComBench.h"
#include "hosts/NpBench.h"
#include "hosts/WireBench.h"
#include "kit/Floor.h"
#include "kit/Measure.h"
#include "kit/PageCall.h"
#include "kit/Payload.h"
#include "kit/Workspace.h"

namespace {

using bench::PageArg;
using bench::PageArgs;
using bench::Payload;

struct PayloadCase {
    const char* name;
    const char* method;
    std::function<PageArgs()> args;
    std::function<void(const bench::LibrarySigner&)> floor;
    // A session opened before and closed after, for the methods that sign in one.
    bool session = false;
    // The bytes the heap is set against, when not the page's texts (a file's).
    std::function<std::size_t()> dataBytes = nullptr;
};

PageArgs signer(PageArgs args)
{
    const bench::Workspace& work = bench::Workspace::get();
    args.insert(args.begin() + 1, {PageArg::of(work.keyPath()), PageArg::of(work.certificate())});
    return args;
}

const std::vector<PayloadCase>& cases()
{
    static const std::vector<PayloadCase> all = {
        {"signBinaryData", "signBinaryData", [] { return signer({PageArg::of(Payload::base64())}); },
         [](const bench::LibrarySigner& library) { library.sign(Payload::bytes(), DRAVIK_SIGN_DETACHED); }},
        {"sign", "sign", [] { return signer({PageArg::of(Payload::text(16)), PageArg::of(true)}); },
         [](const bench::LibrarySigner& library) { library.sign(Payload::textUtf16(16), DRAVIK_SIGN_DETACHED); }},
        {"signInContext", "signInContext", [] { return PageArgs{PageArg::of(Payload::text(16)), PageArg::of(true)}; },
         [](const bench::LibrarySigner& library) { library.sign(Payload::textUtf16(16), DRAVIK_SIGN_DETACHED); },
         true},
        {"signAttached", "sign", [] { return signer({PageArg::of(Payload::text(8)), PageArg::of(false)}); },
         [](const bench::LibrarySigner& library) { library.sign(Payload::textUtf16(8), DRAVIK_SIGN_ATTACHED); }},
        {"clear_base64", "clear_base64", [] { return PageArgs{PageArg::of(Payload::base64())}; },
         [](const bench::LibrarySigner& library) { library.sign(Payload::bytes(), DRAVIK_SIGN_DETACHED); }},
        {"signFile", "signFile", [] { return signer({PageArg::of(Payload::filePath())}); },
         [](const bench::LibrarySigner& library) { library.sign(Payload::fileBytes(), DRAVIK_SIGN_DETACHED); }, false,
         [] { return Payload::fileBytes().size(); }},
    };
    return all;
}

template <typename Host>
void expectResolved(Host& host, const std::string& method, const PageArgs& args = {})
{
    const bench::PageAnswer answer = host.call(method, args);
    if (!answer.resolved)
        throw std::runtime_error(method + ": " + answer.head);
}

template <typename Host>
void runCase(benchmark::State& state, const PayloadCase& c)
{
    try {
        Host host;
        const bench::LibrarySigner library;
        const bench::Workspace& work = bench::Workspace::get();
        if (c.session)
            expectResolved(host, "signInit", {PageArg::of(work.keyPath()), PageArg::of(work.certificate())});
        // Made by the page before it calls.
        const typename Host::Call call(c.method, c.args());
        bench::againstFloor(state, c.dataBytes ? c.dataBytes() : call.bytes(),
                            [&] {
                                c.floor(library);
                                call.floor();
                            },
                            [&] {
                                const bench::PageAnswer answer = host.call(call);
                                if (!answer.resolved || answer.length == 0)
                                    throw std::runtime_error(std::string(c.method) + ": " + answer.head);
                                return answer.length;
                            });
        if (c.session)
            expectResolved(host, "signFinal");
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

template <typename Host>
void registerCases()
{
    for (const PayloadCase& c : cases())
        benchmark::RegisterBenchmark((std::string(Host::name) + "/" + c.name).c_str(),
                                     [&c](benchmark::State& state) { runCase<Host>(state, c); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
}

const bool registered = [] {
    registerCases<bench::WireBench>();
    registerCases<bench::NpBench>();
    registerCases<bench::ComBench>();
    return true;
}();

}  // namespace
