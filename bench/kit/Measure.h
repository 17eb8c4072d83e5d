#pragma once
// Runs a benchmark of the module against its floor, in one run: each
// iteration times the floor and then the module's path, one after the other,
// so that both meet the same machine; the iteration's time is the path's.
// Before the timed iterations, one call of each warms up, and one more is
// counted on the heap. The path answers the length of the page's answer.
// Counters: floor_ms (the floor's mean), x_floor (path time / floor time),
// peak_MiB and floor_peak_MiB (heap growth of one call), text_MiB and
// answer_MiB (the page's argument and answer), x_text (the path's heap
// growth / the larger of the two) and own_x_text (what the path's growth
// exceeds the floor's by, over the same: for the answers that the library's
// own signing makes several times larger than the text).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "kit/HeapCount.h"
#include "kit/Payload.h"

namespace bench {

template <typename Work>
double secondsOf(Work& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename Work>
std::int64_t heapOf(Work& work)
{
    HeapWindow window;
    work();
    return window.peak();
}

// The heap growth of one call of the path, and the length of its answer.
template <typename Path>
std::pair<std::int64_t, std::size_t> heapAndAnswerOf(Path& path)
{
    HeapWindow window;
    const std::size_t answer = path();
    return {window.peak(), answer};
}

template <typename Floor, typename Path>
void againstFloor(benchmark::State& state, std::size_t textBytes, Floor floor, Path path)
{
    floor();
    path();
    const std::int64_t floorPeak = heapOf(floor);
    const auto [pathPeak, answerBytes] = heapAndAnswerOf(path);
    double floorTotal = 0;
    double pathTotal = 0;
    for (auto _ : state) {
        floorTotal += secondsOf(floor);
        const double seconds = secondsOf(path);
        pathTotal += seconds;
        state.SetIterationTime(seconds);
    }
    const double mib = static_cast<double>(kMiB);
    state.counters["floor_ms"] = 1000 * floorTotal / static_cast<double>(state.iterations());
    state.counters["x_floor"] = pathTotal / floorTotal;
    state.counters["peak_MiB"] = static_cast<double>(pathPeak) / mib;
    state.counters["floor_peak_MiB"] = static_cast<double>(floorPeak) / mib;
    state.counters["text_MiB"] = static_cast<double>(textBytes) / mib;
    state.counters["answer_MiB"] = static_cast<double>(answerBytes) / mib;
    const auto message = static_cast<double>(std::max(textBytes, answerBytes));
    state.counters["x_text"] = static_cast<double>(pathPeak) / message;
    state.counters["own_x_text"] = static_cast<double>(std::max<std::int64_t>(pathPeak - floorPeak, 0)) / message;
}

}  // namespace bench
