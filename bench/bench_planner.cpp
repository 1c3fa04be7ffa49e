// The planner with 100,000 events: loading and saving Calendar.dat, the day list, a year's
// all-records list, a title search and the once-a-minute reminder check.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "core/planner/calendar_format.h"
#include "core/planner/day_rules.h"
#include "core/planner/event_search.h"
#include "core/planner/event_sort.h"
#include "core/planner/planner.h"
#include "core/planner/reminders.h"
#include "storage/cp1251.h"

namespace pomix {
namespace {

constexpr int kEvents = 100'000;

DateTime DayOf(int year, int month, int day) {
    DateTime value = 0;
    TryEncodeDate(year, month, day, value);
    return value;
}

const DateTime kFirstDay = DayOf(2020, 1, 1);
const DateTime kShownDay = DayOf(2024, 6, 14);
const DateTime kNow = kShownDay + EncodeTime(12, 0);

// Events spread over eight years (about 34 a day), one in ten with a reminder, all of those in
// the future except a handful, as a long-used planner would hold them.
EventList MakeEvents() {
    static const std::string kTitles[] = {Utf8ToCp1251("Встреча"), "Meeting", Utf8ToCp1251("Звонок"),
                                          "Dentist", Utf8ToCp1251("День рождения")};
    std::mt19937 random(2024);
    EventList list;
    list.Reserve(kEvents);
    for (int i = 0; i < kEvents; ++i) {
        const DateTime date = kFirstDay + static_cast<double>(random() % 2922);
        const DateTime time = EncodeTime(static_cast<int>(random() % 24), static_cast<int>(random() % 60));
        const std::string name = kTitles[random() % 5] + " " + std::to_string(i);
        StrList memo{"Line one of the description of event " + std::to_string(i)};
        if (i % 3 == 0) memo.push_back(Utf8ToCp1251("Вторая строка описания"));
        const bool future = date > kShownDay + 1 || i % 5000 == 0;
        const std::uint8_t remind = i % 10 == 0 && future ? 1 : 0;
        list.Append(
            Event(name, memo, date, time, 1, remind, static_cast<std::uint8_t>(i % 7 == 0)));
    }
    return list;
}

const EventList& Events() {
    static const EventList list = MakeEvents();
    return list;
}

std::string SavedFile() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "pomix_bench_Calendar.dat";
        StreamContainer container;
        Planner planner(container, file.string());
        planner.Events = Events();
        planner.MarkChanged();
        planner.SaveCalendarList();
        return file.string();
    }();
    return path;
}

void BM_LoadCalendarList(benchmark::State& state) {
    const std::string path = SavedFile();
    StreamContainer container;
    for (auto _ : state) {
        Planner planner(container, path);
        planner.LoadCalendarList();
        benchmark::DoNotOptimize(planner.Events.Count());
    }
}
BENCHMARK(BM_LoadCalendarList)->Unit(benchmark::kMillisecond);

void BM_SaveCalendarList(benchmark::State& state) {
    const auto path = (std::filesystem::temp_directory_path() / "pomix_bench_Calendar_out.dat").string();
    StreamContainer container;
    Planner planner(container, path);
    planner.Events = Events();
    for (auto _ : state) {
        planner.MarkChanged();
        planner.SaveCalendarList();
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveCalendarList)->Unit(benchmark::kMillisecond);

void BM_StreamRoundTrip(benchmark::State& state) {
    for (auto _ : state) {
        MemoryStream stream;
        WriteCalendar(Events(), stream);
        stream.Seek(0);
        EventList loaded;
        ReadCalendar(stream, loaded);
        benchmark::DoNotOptimize(loaded.Count());
    }
}
BENCHMARK(BM_StreamRoundTrip)->Unit(benchmark::kMillisecond);

void BM_DayList(benchmark::State& state) {
    EventList list = Events();
    std::size_t lines = 0;
    for (auto _ : state) lines = DayLines(list, kShownDay).size();
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_DayList)->Unit(benchmark::kMicrosecond);

void BM_PlannedDays(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(PlannedDays(Events()).size());
}
BENCHMARK(BM_PlannedDays)->Unit(benchmark::kMicrosecond);

void BM_SpanListOfAYear(benchmark::State& state) {
    std::size_t lines = 0;
    for (auto _ : state) lines = SpanLines(Events(), DayOf(2024, 1, 1), DayOf(2024, 12, 31)).size();
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_SpanListOfAYear)->Unit(benchmark::kMillisecond);

void BM_SearchTitleWildcard(benchmark::State& state) {
    std::vector<EventLine> results;
    for (auto _ : state) Found(Events(), "*meeting 12*", SearchField::Name, results);
    state.counters["found"] = static_cast<double>(results.size());
}
BENCHMARK(BM_SearchTitleWildcard)->Unit(benchmark::kMillisecond);

void BM_SearchEverywhere(benchmark::State& state) {
    std::vector<EventLine> results;
    for (auto _ : state) Found(Events(), "*meeting 12*", SearchField::Everywhere, results);
    state.counters["found"] = static_cast<double>(results.size());
}
BENCHMARK(BM_SearchEverywhere)->Unit(benchmark::kMillisecond);

void BM_ReminderCheck(benchmark::State& state) {
    std::vector<EventRef> due;
    for (auto _ : state) DueEvents(Events(), kNow, 60, due);
    state.counters["due"] = static_cast<double>(due.size());
}
BENCHMARK(BM_ReminderCheck)->Unit(benchmark::kMicrosecond);

// The argument is the sort key: by title or by date.
void BM_Sort(benchmark::State& state) {
    const auto key = static_cast<int>(state.range(0));
    EventList list;
    for (auto _ : state) {
        state.PauseTiming();
        list = Events();  // the sorted copy is freed here, outside the timing
        state.ResumeTiming();
        SortEvents(list, key);
    }
}
BENCHMARK(BM_Sort)->Arg(kSortByName)->Arg(kSortByDate)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix
