// The planner window over 100,000 events (eight years, about 34 a day): creating the window
// with its first day list, a click on a day, a month step, the all-records list of a year, a
// title search and the reminder check. Each interaction should stay under 50 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "bench/window_bench.h"
#include "windows/planner/calendar_form.h"
#include "core/planner/calendar_format.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"
#include "kit/alarm_sound.h"
#include "kit/notifier.h"

namespace pomix {
namespace {

constexpr int kEvents = 100'000;

DateTime DayOf(int year, int month, int day) {
    DateTime value = 0;
    TryEncodeDate(year, month, day, value);
    return value;
}

std::string Folder() {
    static const std::string folder = BenchFolder("pomix-bench-planner-window");
    return folder;
}

// Written once per run; every benchmark opens a window over it.
StreamContainer& Container() {
    static StreamContainer made;
    static const bool written = [] {
        made.Compressed = true;
        Planner planner(made, Folder() + "Data/Calendar.dat");
        static const std::string kTitles[] = {Utf8ToCp1251("Встреча"), "Meeting", Utf8ToCp1251("Звонок"),
                                              "Dentist", Utf8ToCp1251("День рождения")};
        std::mt19937 random(2024);
        const DateTime first = DayOf(2020, 1, 1);
        for (int i = 0; i < kEvents; ++i) {
            const DateTime date = first + static_cast<double>(random() % 2922);
            planner.Events.Append(
                Event(kTitles[random() % 5] + " " + std::to_string(i), {"line"}, date,
                      EncodeTime(static_cast<int>(random() % 24), static_cast<int>(random() % 60)),
                      1, random() % 10 == 0 ? 1 : 0, 0));
        }
        planner.MarkChanged();
        planner.SaveCalendarList();
        return true;
    }();
    (void)written;
    return made;
}

void Setup() {
    SetProgramDir(Folder());
    SettingsRecord = TSettingsRecord{};
    SettingsRecord.HighlightPlannedDays = true;
    SettingsRecord.ReminderLead = 30;
    SetClock([] { return DayOf(2024, 6, 14) + EncodeTime(12, 0); });
    SetSoundPlayer([](const std::string&) {});
    SetNotifier([](const QString&, const QString&) { return true; });
}

void BM_PlannerWindowCreate(benchmark::State& state) {
    Setup();
    StreamContainer& container = Container();
    TimeCreation<TCalendarForm>(state, [](TCalendarForm& form) { return form.dayList->count(); }, container);
}
BENCHMARK(BM_PlannerWindowCreate)->Unit(benchmark::kMillisecond);

void BM_PlannerDayClick(benchmark::State& state) {
    Setup();
    TCalendarForm form(Container());
    int day = 0;
    for (auto _ : state) {
        form.SetSelectedDay(DayOf(2024, 6, 1 + day++ % 28));
        form.ShowDay();
        benchmark::DoNotOptimize(form.dayList->count());
    }
}
BENCHMARK(BM_PlannerDayClick)->Unit(benchmark::kMillisecond);

void BM_PlannerMonthStep(benchmark::State& state) {
    Setup();
    TCalendarForm form(Container());
    bool forward = true;
    for (auto _ : state) {
        forward ? form.NextMonth() : form.PrewMonth();
        forward = !forward;
        benchmark::DoNotOptimize(form.dayList->count());
    }
}
BENCHMARK(BM_PlannerMonthStep)->Unit(benchmark::kMillisecond);

void BM_PlannerAllRecordsOfAYear(benchmark::State& state) {
    Setup();
    TCalendarForm form(Container());
    form.allRecordsPanel->fromEdit->SetText("01.01.2024");
    form.allRecordsPanel->toEdit->SetText("31.12.2024");
    for (auto _ : state) {
        form.allRecordsPanel->ShowAll();
        benchmark::DoNotOptimize(form.allRecordsPanel->recordList->Count());
    }
    state.counters["lines"] = form.allRecordsPanel->recordList->Count();
}
BENCHMARK(BM_PlannerAllRecordsOfAYear)->Unit(benchmark::kMillisecond);

void BM_PlannerSearch(benchmark::State& state) {
    Setup();
    TCalendarForm form(Container());
    form.searchPanel->byNameButton->setChecked(true);
    form.searchPanel->searchEdit->setText(QStringLiteral("Dentist 1*"));
    for (auto _ : state) {
        form.searchPanel->Found();
        benchmark::DoNotOptimize(form.searchPanel->resultList->Count());
    }
    state.counters["lines"] = form.searchPanel->resultList->Count();
}
BENCHMARK(BM_PlannerSearch)->Unit(benchmark::kMillisecond);

void BM_PlannerReminderCheck(benchmark::State& state) {
    Setup();
    TCalendarForm form(Container());
    for (auto _ : state) {
        form.CheckReminders();
        form.reminderPanel->hide();
    }
    state.counters["lines"] = form.reminderPanel->dueList->Count();
}
BENCHMARK(BM_PlannerReminderCheck)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix

int main(int argc, char** argv) { return pomix::RunWindowBenchmarks(argc, argv); }
