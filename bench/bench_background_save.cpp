// A background save of a 100,000-record notes file as the program runs it: the image taken on
// the interface thread, compressed and written on the saving thread. The figure that matters
// is max_gap_ms, the longest the event loop went without an iteration from the change being
// taken until its outcome came back (the taking included); the time is the whole save.
// take_ms is the wall-clock time of taking the image, take_cpu_ms the processor time of it.
#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <ctime>

#include "bench/window_bench.h"
#include "windows/notes/note_form.h"
#include "core/settings/program_files.h"
#include "storage/section_file.h"
#include "kit/background_save.h"

namespace pomix {
namespace {

constexpr int kNotes = 100'000;
using Clock = std::chrono::steady_clock;

// The interface thread's own processor time: on a loaded machine the wall-clock gap also
// counts the time other processes held the cores.
double ThreadCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void WriteNotesFile() {
    NoteList notes;
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < kNotes; ++i) {
        StrList memo;
        for (int l = 0; l < 3; ++l) {
            memo.push_back("\xd1\xf2\xf0\xee\xea\xe0 line " + std::to_string(next() % 100000) + " of the note");
        }
        notes.Add(TNote(46000 + (next() % 3000) / 7.0, std::move(memo), "Note " + std::to_string(next() % 50000)));
    }
    StreamContainer container;
    SectionFile(container, DataDir() + kNoteFileName, kNoteStreamName).SaveList(notes, true, WriteNotes);
}

void BM_BackgroundSave100k(benchmark::State& state) {
    SetProgramDir(BenchFolder("pomix-bench-background-save"));
    WriteNotesFile();
    StreamContainer container;
    TNoteForm form(container);
    TBackgroundSaver saver;
    double longest = 0;
    double take = 0;
    double takeCpu = 0;
    for (auto _ : state) {
        form.MarkChanged();  // as after one edit
        QEventLoop loop;
        QObject::connect(&saver, &TBackgroundSaver::saved, &loop, &QEventLoop::quit);
        auto last = Clock::now();
        double gap = 0;
        QTimer tick;  // fires at every iteration of the event loop
        tick.setInterval(0);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            gap = std::max(gap, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        });
        const auto before = Clock::now();
        const double cpuBefore = ThreadCpuMs();
        SaveWork work = *form.TakeSave();
        takeCpu = std::max(takeCpu, ThreadCpuMs() - cpuBefore);
        take = std::max(take, std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        saver.Post(std::move(work));
        tick.start();
        loop.exec();
        gap = std::max(gap, std::chrono::duration<double, std::milli>(Clock::now() - last).count());
        longest = std::max(longest, gap);
    }
    state.counters["max_gap_ms"] = longest;
    state.counters["take_ms"] = take;
    state.counters["take_cpu_ms"] = takeCpu;
}
BENCHMARK(BM_BackgroundSave100k)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace pomix

int main(int argc, char** argv) { return pomix::RunWindowBenchmarks(argc, argv); }
