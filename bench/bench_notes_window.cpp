// Start-up and close of the notes window over 10,000 notes of 20 lines each: loading the
// data file, building the sorted title list, and saving at close. And the save of an edited
// title over 100,000 notes.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/window_bench.h"
#include "kit/record_routine.h"
#include "windows/notes/note_form.h"
#include "core/settings/program_files.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"

namespace pomix {
namespace {

constexpr int kNotes = 10'000;
constexpr int kLines = 20;

std::string Folder() {
    static const std::string folder = BenchFolder("pomix-bench-notes");
    return folder;
}

// Writes the data file once: titles and lines of mixed Latin and Cyrillic words.
void WriteNotesFile(StreamContainer& container) {
    NoteList notes;
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < kNotes; ++i) {
        StrList memo;
        for (int l = 0; l < kLines; ++l) {
            memo.push_back("\xd1\xf2\xf0\xee\xea\xe0 line " + std::to_string(next() % 100000) +
                           " of the note, with some words to read");
        }
        notes.Add(TNote(46000 + (next() % 3000) / 7.0, std::move(memo),
                        "Note " + std::to_string(next() % 50000)));
    }
    MemoryStream stream;
    WriteNotes(notes, stream);
    container.AddStream(kNoteStreamName, &stream);
    container.SaveToFile(Folder() + "Data/" + kNoteFileName);
    container.ClearStreams();
}

void BM_NotesWindowOpen(benchmark::State& state) {
    StreamContainer container;
    SetProgramDir(Folder());
    WriteNotesFile(container);
    TimeCreation<TNoteForm>(state, [](TNoteForm& form) { return form.titleList->count(); }, container);
}
BENCHMARK(BM_NotesWindowOpen)->Unit(benchmark::kMillisecond);

void BM_NotesWindowOpenAndSave(benchmark::State& state) {
    StreamContainer container;
    SetProgramDir(Folder());
    WriteNotesFile(container);
    for (auto _ : state) {
        TNoteForm form(container);
        form.MarkChanged();  // as after one edit: the whole file is written at close
        form.CloseForm();
    }
}
BENCHMARK(BM_NotesWindowOpenAndSave)->Unit(benchmark::kMillisecond);

// An edited title saved over 100,000 notes: the title list takes the change on the interface
// thread.
void BM_NotesTitleEditSaved(benchmark::State& state) {
    StreamContainer container;
    SetProgramDir(BenchFolder("pomix-bench-notes-edit"));
    NoteList notes;
    std::uint32_t seed = 99;
    for (int i = 0; i < 100'000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        notes.Add(TNote(46000, {"text"}, "Note " + std::to_string(seed % 1'000'000)));
    }
    SectionFile(container, DataDir() + kNoteFileName, kNoteStreamName).SaveList(notes, true, WriteNotes);
    TNoteForm form(container);
    int round = 0;
    for (auto _ : state) {
        form.titleList->setCurrentRow(50'000);
        form.recordRoutine->Edit();
        form.titleEdit->SetText("Note edited " + std::to_string(round++ % 2));
        form.recordRoutine->Save();
    }
    form.Model()->ClearChanged();  // the close writes nothing
}
BENCHMARK(BM_NotesTitleEditSaved)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix

int main(int argc, char** argv) { return pomix::RunWindowBenchmarks(argc, argv); }
