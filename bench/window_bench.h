// What the window benchmarks share.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

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

// A program folder of its own under the temporary folder, with its Data/ (path ends in "/").
inline std::string BenchFolder(const char* name) {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path / "Data");
    return path.string() + "/";
}

// The main of a window benchmark: windows need an application, and no display is needed.
inline int RunWindowBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace pomix
