// The debt book window over 100,000 debts: creating it (loading Credit.dat and listing one
// kind), switching the kind tab, sorting by a column tab, and counting the statistics.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/window_bench.h"
#include "windows/debts/credits_form.h"
#include "core/settings/program_files.h"
#include "storage/stream_container.h"

namespace pomix {
namespace {

constexpr int kDebts = 100'000;

std::string Folder() {
    static const std::string folder = BenchFolder("pomix-bench-debts");
    return folder;
}

// Half of each kind; names, subjects (money in both currencies and things) and due dates
// independent of one another, so that every sort really moves the debts.
void WriteCreditFile(StreamContainer& container) {
    CreditList debts;
    std::uint32_t seed = 2026;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    const char* const currencies[] = {" $", " USD", " \xf0\xf3\xe1.", " \xf0\xf3\xe1\xeb\xe5\xe9",
                                      " \xea\xed\xe8\xe3\xe0"};
    for (int i = 0; i < kDebts; ++i) {
        std::string name = "\xcf\xe5\xf2\xf0\xee\xe2 " + std::to_string(next() % 90000) + " \xc8. C.";
        std::string subject = std::to_string(next() % 100000) + "." + std::to_string(next() % 100) +
                              currencies[next() % 5];
        const DateTime due = 46000 + static_cast<double>(next() % 2000) + (next() % 24) / 24.0;
        debts.Add(TCreditNote(1 + (next() % 2), std::move(name), std::move(subject), 45000.5, due));
    }
    SectionFile file(container, Folder() + "Data/" + kCreditFileName, kCreditStreamName);
    SaveCreditList(file, debts, true);
}

StreamContainer& PreparedContainer() {
    static StreamContainer container;
    static const bool written = [] {
        SetProgramDir(Folder());
        WriteCreditFile(container);
        return true;
    }();
    (void)written;
    return container;
}

void BM_DebtsWindowCreate(benchmark::State& state) {
    StreamContainer& container = PreparedContainer();
    TimeCreation<TCreditsForm>(state, [](TCreditsForm& form) { return form.debtList->Count(); }, container, nullptr);
}
BENCHMARK(BM_DebtsWindowCreate)->Unit(benchmark::kMillisecond);

void BM_DebtsTabSwitch(benchmark::State& state) {
    TCreditsForm form(PreparedContainer(), nullptr);
    int kind = kOwedToMe;
    for (auto _ : state) {
        kind = kind == kOwedToMe ? kIOwe : kOwedToMe;
        form.ShowKind(kind);
        benchmark::DoNotOptimize(form.debtList->Count());
    }
}
BENCHMARK(BM_DebtsTabSwitch)->Unit(benchmark::kMillisecond);

// Each run sorts by the key the previous run did not: names, subjects, then due dates.
void BM_DebtsSort(benchmark::State& state) {
    TCreditsForm form(PreparedContainer(), nullptr);
    int tag = 0;
    for (auto _ : state) {
        tag = tag % 3 + 1;
        form.SortedCreditList(tag);
        benchmark::DoNotOptimize(form.debtList->Count());
    }
}
BENCHMARK(BM_DebtsSort)->Unit(benchmark::kMillisecond);

void BM_DebtsStatistics(benchmark::State& state) {
    TCreditsForm form(PreparedContainer(), nullptr);
    for (auto _ : state) {
        form.ShowStatistics();
        benchmark::DoNotOptimize(form.balanceDollars->text());
    }
}
BENCHMARK(BM_DebtsStatistics)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix

int main(int argc, char** argv) { return pomix::RunWindowBenchmarks(argc, argv); }
