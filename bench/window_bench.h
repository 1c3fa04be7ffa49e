// What the window benchmarks share.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>

namespace pomix {

// Times a window's creation alone: the window made in each round is closed with the clock
// stopped, as a program closes its windows only at its end. probe reads something the window
// built, so that the building cannot be left out.
template <class Window, class Probe, class... Args>
void TimeCreation(benchmark::State& state, Probe probe, Args&&... args) {
    for (auto _ : state) {
        auto window = std::make_unique<Window>(args...);
        benchmark::DoNotOptimize(probe(*window));
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

}  // namespace pomix
