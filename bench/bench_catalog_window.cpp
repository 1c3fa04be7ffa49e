// The catalog window over 100,000 entries (titles and three-line descriptions spread over the
// six categories): creation with the load of the data file, a tab switch, a search and the
// per-category counts.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/window_bench.h"
#include "kit/record_routine.h"
#include "windows/catalog/catalog_form.h"
#include "core/settings/program_files.h"
#include "storage/stream_container.h"

namespace pomix {
namespace {

constexpr int kEntries = 100'000;

std::string Folder() {
    static const std::string folder = BenchFolder("pomix-bench-catalog");
    return folder;
}

// Writes the data file once per run: mixed Latin and Cyrillic titles and descriptions.
void WriteCatalogFile(StreamContainer& container) {
    static bool written = false;
    SetProgramDir(Folder());
    if (written) return;
    CatalogList entries;
    std::uint32_t seed = 2026;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < kEntries; ++i) {
        StrList memo;
        for (int l = 0; l < 3; ++l) {
            memo.push_back("\xd2\xf0\xe5\xea " + std::to_string(next() % 100000) +
                           " track title, artist and year");
        }
        entries.Add(
            TCatalogNote(static_cast<std::int32_t>(1 + next() % 6),
                         "Disc " + std::to_string(next() % 1'000'000) + " \xe0\xeb\xfc\xe1\xee\xec",
                         std::move(memo)));
    }
    SectionFile file(container, DataDir() + kCatalogFileName, kCatalogStreamName);
    SaveCatalogList(file, entries, true);
    written = true;
}

void BM_CatalogWindowCreate(benchmark::State& state) {
    StreamContainer container;
    WriteCatalogFile(container);
    TimeCreation<TCatalogForm>(state, [](TCatalogForm& form) { return form.titleList->count(); }, container);
}
BENCHMARK(BM_CatalogWindowCreate)->Unit(benchmark::kMillisecond);

// The data file's load alone, the part of the creation that the window does not add.
void BM_CatalogLoadOnly(benchmark::State& state) {
    StreamContainer container;
    WriteCatalogFile(container);
    SectionFile file(container, DataDir() + kCatalogFileName, kCatalogStreamName);
    CatalogList entries;
    for (auto _ : state) {
        LoadCatalogList(file, entries);
        benchmark::DoNotOptimize(entries.Count());
    }
}
BENCHMARK(BM_CatalogLoadOnly)->Unit(benchmark::kMillisecond);

void BM_CatalogTabSwitch(benchmark::State& state) {
    StreamContainer container;
    WriteCatalogFile(container);
    TCatalogForm form(container);
    int category = 1;
    for (auto _ : state) {
        category = category % kCatalogCategories + 1;
        form.SelectCategory(category);
        benchmark::DoNotOptimize(form.titleList->count());
    }
}
BENCHMARK(BM_CatalogTabSwitch)->Unit(benchmark::kMillisecond);

// A title and description search with a wildcard on both sides, the slowest of the three.
void BM_CatalogSearchEverywhere(benchmark::State& state) {
    StreamContainer container;
    WriteCatalogFile(container);
    TCatalogForm form(container);
    form.everywhereChoice->setChecked(true);
    form.searchEdit->setText("*777*");
    for (auto _ : state) {
        form.recordRoutine->Find();
        benchmark::DoNotOptimize(form.titleList->count());
    }
}
BENCHMARK(BM_CatalogSearchEverywhere)->Unit(benchmark::kMillisecond);

// Opening the statistics panel: its counts are taken over the whole list each time.
void BM_CatalogCounts(benchmark::State& state) {
    StreamContainer container;
    WriteCatalogFile(container);
    TCatalogForm form(container);
    for (auto _ : state) {
        form.ToggleStatistics();
        if (!form.statisticsPanel->isVisibleTo(&form)) form.ToggleStatistics();
        benchmark::DoNotOptimize(form.statisticsCounts[0]->text());
    }
}
BENCHMARK(BM_CatalogCounts)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix

int main(int argc, char** argv) { return pomix::RunWindowBenchmarks(argc, argv); }
