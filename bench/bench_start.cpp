// The program's start until the address book, pressed at once, lists every contact: the main
// window made and shown, the address book selected right after, and the event loop run until
// its list holds every contact. Over no data files, and over 100,000 records in every section
// read beside the interface as the program does, and read in the sections' constructors one
// after another (how the program read them before). The process start and the making of the
// application are left out: the same in every case, they would only shrink the ratios.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>

#include "addressbook/abook_form.h"
#include "app/main_form.h"
#include "bench/large_data.h"
#include "bench/window_bench.h"
#include "settings/program_files.h"
#include "settings/settings_record.h"
#include "ui/message.h"

namespace pomix {
namespace {

// A program folder with a settings file and count records in every section (none: no files).
std::string Folder(int count) {
    const std::string folder = BenchFolder(("pomix-bench-start-" + std::to_string(count)).c_str());
    if (!std::filesystem::exists(folder + "Data/" + kSettingsFileName)) {
        MemoryStream stream;
        WriteSettings(TSettingsRecord{}, stream);
        StreamContainer container;
        container.AddStream(kSettingsStreamName, &stream);
        container.SaveToFile(folder + "Data/" + kSettingsFileName);
        if (count > 0) WriteLargeData(folder + "Data/", count);
    }
    return folder;
}

void TimeStart(benchmark::State& state, bool beside) {
    const int count = static_cast<int>(state.range(0));
    SetProgramDir(Folder(count));
    SetMessagePresenter([](MessageKind, const QString&) { return MessageAnswer::Ok; });
    TMainForm::SectionFactory sections = TMainForm::ProgramSections();
    if (!beside) {
        sections = [program = sections](int index, StreamContainer& container) {
            TSectionWindow::LoadWith(nullptr, 0);  // the section reads its file at once
            return program(index, container);
        };
    }
    for (auto _ : state) {
        auto form = std::make_unique<TMainForm>(sections);
        form->show();
        form->Select(form->SectionButtons[1]);
        auto& book = *static_cast<TABookForm*>(form->Display->Window(1));
        QElapsedTimer waited;
        waited.start();
        while (!(book.Loaded() && book.isVisible() &&
                 book.contactList->Count() == static_cast<int>(book.Contacts().Count()) &&
                 book.Contacts().Count() == static_cast<std::size_t>(count))) {
            if (waited.elapsed() > 60000) {
                state.SkipWithError("the contacts were not listed within a minute");
                break;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        state.PauseTiming();
        form.reset();  // without closing: nothing is saved
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_StartUntilContactsListed(benchmark::State& state) {
    TimeStart(state, true);
}
BENCHMARK(BM_StartUntilContactsListed)
    ->Arg(0)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_StartUntilContactsListedReadAtOnce(benchmark::State& state) {
    TimeStart(state, false);
}
BENCHMARK(BM_StartUntilContactsListedReadAtOnce)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace pomix

int main(int argc, char** argv) {
    return pomix::RunWindowBenchmarks(argc, argv);
}
