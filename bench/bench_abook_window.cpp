// The address book window over 100,000 contacts: creation (loading the data file and building
// the sorted list), a tab switch, a search over every field and the coming birthdays.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "kit/record_routine.h"
#include "windows/addressbook/abook_form.h"
#include "bench/window_bench.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/stream_container.h"
#include "kit/desktop.h"
#include "kit/interface_language.h"

namespace pomix {
namespace {

constexpr int kContacts = 100'000;

std::string Folder() {
    static const std::string folder = BenchFolder("pomix-bench-abook");
    return folder;
}

// Writes the data file once: Cyrillic and Latin names, birth dates over eighty years, both
// categories and none, a few note lines each.
void WriteAddressFile(StreamContainer& container) {
    static bool written = false;
    if (written) return;
    written = true;
    AddressList list;
    std::uint32_t seed = 4242;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    const char* surnames[] = {"\xcf\xe5\xf2\xf0\xee\xe2", "\xc8\xe2\xe0\xed\xee\xe2", "Smith",
                              "\xd1\xe8\xe4\xee\xf0\xee\xe2", "Brown", "\xca\xf3\xe7\xed\xe5\xf6\xee\xe2"};
    for (int i = 0; i < kContacts; ++i) {
        const std::string n = std::to_string(next() % 1000000);
        list.Add(Contact(std::string(surnames[next() % 6]) + n, "Name" + n, "Patr",
                         20000 + next() % 29000, "Street " + n + ", house 5", "+7 495 " + n, "",
                         "user" + n + "@mail.ru", "www.site" + n + ".ru",
                         {"line one " + n, "line two"},
                         static_cast<std::uint8_t>(next() % 3 == 2 ? 255 : next() % 2)));
    }
    SectionFile file(container, Folder() + "Data/" + kAddressFileName, kAddressStreamName);
    SaveAddressList(file, list, true);
}

struct Setup {
    Setup() {
        SetProgramDir(Folder());
        WriteAddressFile(container);
        SetLocale(MakeDesktopLocale(InterfaceLocale()));
        SettingsRecord.BirthdayDays = 7;
    }
    StreamContainer container;
};

void BM_ABookWindowCreate(benchmark::State& state) {
    Setup setup;
    TimeCreation<TABookForm>(state, [](TABookForm& form) { return form.contactList->Count(); }, setup.container);
}
BENCHMARK(BM_ABookWindowCreate)->Unit(benchmark::kMillisecond);

// The data file alone, as the window's creation reads it: the part of the creation that is
// the storage layer's (decompression and reading the records).
void BM_ABookLoadFile(benchmark::State& state) {
    Setup setup;
    SectionFile file(setup.container, DataDir() + kAddressFileName, kAddressStreamName);
    AddressList list;
    for (auto _ : state) {
        LoadAddressList(file, list);
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_ABookLoadFile)->Unit(benchmark::kMillisecond);

void BM_ABookTabSwitch(benchmark::State& state) {
    Setup setup;
    TABookForm form(setup.container);
    int tab = 0;
    const int tabs[] = {kBusinessCategory, kPersonalCategory, kAllCategories};
    for (auto _ : state) {
        form.SelectCategory(tabs[tab++ % 3]);
        benchmark::DoNotOptimize(form.contactList->Count());
    }
}
BENCHMARK(BM_ABookTabSwitch)->Unit(benchmark::kMillisecond);

// A pattern that matches no field, so every field of every contact is compared.
void BM_ABookSearch(benchmark::State& state) {
    Setup setup;
    TABookForm form(setup.container);
    form.searchEdit->setText(QStringLiteral("*nothing like this*"));
    for (auto _ : state) {
        form.recordRoutine->Find();
        benchmark::DoNotOptimize(form.contactList->Count());
    }
}
BENCHMARK(BM_ABookSearch)->Unit(benchmark::kMillisecond);

// A pattern found in most contacts: the list fills with most of them.
void BM_ABookSearchManyFound(benchmark::State& state) {
    Setup setup;
    TABookForm form(setup.container);
    form.searchEdit->setText(QStringLiteral("*mail.ru"));
    for (auto _ : state) {
        form.recordRoutine->Find();
        benchmark::DoNotOptimize(form.contactList->Count());
    }
}
BENCHMARK(BM_ABookSearchManyFound)->Unit(benchmark::kMillisecond);

void BM_ABookBirthdays(benchmark::State& state) {
    Setup setup;
    TABookForm form(setup.container);
    for (auto _ : state) {
        form.ShowBirthdays();
        benchmark::DoNotOptimize(form.birthdayList->Count());
    }
}
BENCHMARK(BM_ABookBirthdays)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix

int main(int argc, char** argv) { return pomix::RunWindowBenchmarks(argc, argv); }
