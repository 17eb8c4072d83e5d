// A trivial call's round trip through the adapters: from the page's call of
// getVersion to the answer in the page's hands.

#include <benchmark/benchmark.h>

#include <exception>

#include "hosts/ComBench.h"
#include "hosts/NpBench.h"
#include "hosts/WireBench.h"

namespace {

template <typename Host>
void getVersion(benchmark::State& state)
{
    try {
        Host host;
        const typename Host::Call call("getVersion", {});
        for (auto _ : state)
            benchmark::DoNotOptimize(host.call(call));
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}
BENCHMARK_TEMPLATE(getVersion, bench::WireBench)->Name("HostWire/getVersion");
BENCHMARK_TEMPLATE(getVersion, bench::NpBench)->Name("Npapi/getVersion");
BENCHMARK_TEMPLATE(getVersion, bench::ComBench)->Name("ActiveX/getVersion");

}  // namespace
