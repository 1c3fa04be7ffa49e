// The address book, catalog and debt book at 100,000 records each: reading and writing their
// streams, building the list lines, searching, the birthday list, the sort and the totals.
#include <benchmark/benchmark.h>

#include <random>

#include "core/addressbook/address.h"
#include "core/addressbook/birthdays.h"
#include "core/catalog/catalog.h"
#include "core/debts/credit.h"
#include "core/debts/statistics.h"
#include "storage/cp1251.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"

#include <filesystem>

namespace pomix {
namespace {

constexpr int kRecords = 100000;

std::string Word(std::mt19937& random, int length) {
    static const std::string letters = Utf8ToCp1251("абвгдеёжзийклмнопрстуфхцчшщэюя") + "abcxyz";
    std::string word;
    for (int i = 0; i < length; ++i) word += letters[random() % letters.size()];
    return word;
}

const AddressList& Contacts() {
    static const AddressList list = [] {
        std::mt19937 random(1);
        AddressList contacts;
        for (int i = 0; i < kRecords; ++i) {
            contacts.Add(
                Contact(Word(random, 8), Word(random, 6), Word(random, 9), 20000 + random() % 20000,
                        Word(random, 30), "123-45-67", "", Word(random, 8) + "@mail.ru",
                        "www." + Word(random, 6) + ".ru", {Word(random, 40), Word(random, 20)},
                        static_cast<std::uint8_t>(random() % 3 == 2 ? 255 : random() % 2)));
        }
        return contacts;
    }();
    return list;
}

const CatalogList& Entries() {
    static const CatalogList list = [] {
        std::mt19937 random(2);
        CatalogList entries;
        for (int i = 0; i < kRecords; ++i) {
            entries.Add(TCatalogNote(1 + static_cast<int>(random() % 6), Word(random, 15),
                                     {Word(random, 30), Word(random, 30), Word(random, 30)}));
        }
        return entries;
    }();
    return list;
}

const CreditList& Debts() {
    static const CreditList list = [] {
        std::mt19937 random(3);
        const std::string roubles = Utf8ToCp1251(" руб.");
        CreditList debts;
        for (int i = 0; i < kRecords; ++i) {
            const std::string subject = random() % 3 == 0
                                            ? Word(random, 12)
                                            : std::to_string(random() % 100000) + "." +
                                                  std::to_string(random() % 100) +
                                                  (random() % 2 ? " $" : roubles);
            debts.Add(TCreditNote(1 + static_cast<int>(random() % 2), Word(random, 10), subject,
                                  46000.5, 46000 + random() % 400));
        }
        return debts;
    }();
    return list;
}

template <class List, class Write>
std::string Serialized(const List& list, Write write) {
    MemoryStream stream;
    write(list, stream);
    return stream.ToString();
}

template <class List, class Read>
void BenchLoad(benchmark::State& state, const std::string& bytes, Read read) {
    for (auto _ : state) {
        MemoryStream stream(bytes);
        List list;
        read(stream, list);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

template <class List, class Write>
void BenchSave(benchmark::State& state, const List& list, Write write) {
    for (auto _ : state) {
        MemoryStream stream;
        write(list, stream);
        benchmark::DoNotOptimize(stream.Size());
    }
}

// The data file as the program writes and reads it: the stream compressed in its container.
std::string FilePath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("pomix_bench_") + name)).string();
}

template <class List, class Save>
void BenchFileSave(benchmark::State& state, const List& list, const char* fileName,
                   const char* streamName, Save save) {
    StreamContainer container;
    const std::string path = FilePath(fileName);
    for (auto _ : state) {
        SectionFile file(container, path, streamName);
        save(file, list, true);
    }
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

template <class List, class Save, class Load>
void BenchFileLoad(benchmark::State& state, const List& list, const char* fileName,
                   const char* streamName, Save save, Load load) {
    StreamContainer container;
    const std::string path = FilePath(fileName);
    {
        SectionFile file(container, path, streamName);
        save(file, list, true);
    }
    for (auto _ : state) {
        SectionFile file(container, path, streamName);
        List loaded;
        if (!load(file, loaded)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(loaded.Count());
    }
    std::filesystem::remove(path);
}

// --- Address book ---

void BM_AddressLoad(benchmark::State& state) {
    BenchLoad<AddressList>(state, Serialized(Contacts(), WriteAddressList), ReadAddressList);
}
void BM_AddressSave(benchmark::State& state) { BenchSave(state, Contacts(), WriteAddressList); }
void BM_AddressFileLoad(benchmark::State& state) {
    BenchFileLoad(state, Contacts(), kAddressFileName, kAddressStreamName, SaveAddressList,
                  LoadAddressList);
}
void BM_AddressFileSave(benchmark::State& state) {
    BenchFileSave(state, Contacts(), kAddressFileName, kAddressStreamName, SaveAddressList);
}
void BM_AddressListLines(benchmark::State& state) {
    AddressList list = Contacts();
    for (auto _ : state) benchmark::DoNotOptimize(UpDateListBox(list, kAllCategories).size());
}
void BM_AddressSearch(benchmark::State& state) {
    const std::string pattern = Utf8ToCp1251("*абв*");
    for (auto _ : state) benchmark::DoNotOptimize(RecordFound(Contacts(), pattern).size());
}
void BM_BirthdayList(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(BirthdayLines(Contacts(), 30, "Today").size());
}

// --- Catalog ---

void BM_CatalogLoad(benchmark::State& state) {
    BenchLoad<CatalogList>(state, Serialized(Entries(), WriteCatalogList), ReadCatalogList);
}
void BM_CatalogSave(benchmark::State& state) { BenchSave(state, Entries(), WriteCatalogList); }
void BM_CatalogFileLoad(benchmark::State& state) {
    BenchFileLoad(state, Entries(), kCatalogFileName, kCatalogStreamName, SaveCatalogList,
                  LoadCatalogList);
}
void BM_CatalogFileSave(benchmark::State& state) {
    BenchFileSave(state, Entries(), kCatalogFileName, kCatalogStreamName, SaveCatalogList);
}
void BM_CatalogListLines(benchmark::State& state) {
    CatalogList list = Entries();
    for (auto _ : state) benchmark::DoNotOptimize(UpDateListBox(list, 3).size());
}
void BM_CatalogSearchEverywhere(benchmark::State& state) {
    const std::string pattern = Utf8ToCp1251("*абв*");
    for (auto _ : state) {
        benchmark::DoNotOptimize(FoundRecord(Entries(), pattern, CatalogSearch::Everywhere).size());
    }
}
void BM_CatalogCounts(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CategoryCounts(Entries()));
}

// --- Debt book ---

void BM_CreditLoad(benchmark::State& state) {
    BenchLoad<CreditList>(state, Serialized(Debts(), WriteCreditList), ReadCreditList);
}
void BM_CreditSave(benchmark::State& state) { BenchSave(state, Debts(), WriteCreditList); }
void BM_CreditFileLoad(benchmark::State& state) {
    BenchFileLoad(state, Debts(), kCreditFileName, kCreditStreamName, SaveCreditList,
                  LoadCreditList);
}
void BM_CreditFileSave(benchmark::State& state) {
    BenchFileSave(state, Debts(), kCreditFileName, kCreditStreamName, SaveCreditList);
}
void BM_CreditListLines(benchmark::State& state) {
    CreditList list = Debts();
    const DateTime now = Now();
    for (auto _ : state) {
        // The lines and the cells of each, as a list shows them all.
        std::size_t bytes = 0;
        for (const ListLine& line : UpDateListBox(list, kOwedToMe)) {
            for (const std::string& cell : CreditCells(*list.Resolve(line), "!", now)) bytes += cell.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
void BM_CreditSortByName(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        CreditList list = Debts();
        state.ResumeTiming();
        SortedCreditList(list, 1);
        benchmark::DoNotOptimize(list.Count());
    }
}
void BM_CreditTotals(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(StatisticsTexts(CreditTotals(Debts()), ',', " roubles"));
}

BENCHMARK(BM_AddressFileLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddressLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddressListLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddressSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BirthdayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddressSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddressFileSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogFileLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogListLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogSearchEverywhere)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogCounts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogFileSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditFileLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditListLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditSortByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditTotals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditFileSave)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix
