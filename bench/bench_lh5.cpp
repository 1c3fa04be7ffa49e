// Throughput of the lh5 codec over a ~20 MB mixed corpus built in code: English-like prose,
// Russian prose in code page 1251 and binary records, in interleaved pieces as a data file
// would hold them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "storage/lh5.h"
#include "storage/lh5_matches.h"
#include "storage/stream.h"

namespace pomix {
namespace {

constexpr std::size_t kCorpusSize = 20 << 20;

// Code page 1251 for the Cyrillic letters of UTF-8 text; other characters pass as they are.
std::string ToCp1251(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        const unsigned cp = (c & 0x1F) << 6 | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
        if (cp >= 0x410 && cp <= 0x44F) {
            out += static_cast<char>(0xC0 + (cp - 0x410));
        } else {
            out += static_cast<char>(cp == 0x401 ? 0xA8 : 0xB8);
        }
    }
    return out;
}

void AppendProse(std::mt19937& rng, const std::vector<std::string>& words, std::size_t size,
                 std::string& out) {
    const std::size_t end = out.size() + size;
    std::geometric_distribution<int> pick(0.02);
    int inSentence = 0;
    while (out.size() < end) {
        std::string w = words[static_cast<std::size_t>(pick(rng)) % words.size()];
        if (inSentence == 0 && !w.empty())
            w[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(w[0])));
        out += w;
        if (++inSentence > 6 + static_cast<int>(rng() % 12)) {
            out += rng() % 4 == 0 ? ".\r\n" : ". ";
            inSentence = 0;
        } else {
            out += rng() % 9 == 0 ? ", " : " ";
        }
    }
}

void AppendRecords(std::mt19937& rng, std::size_t size, std::string& out) {
    static const char* const kNames[] = {"Ivanov",    "Petrova", "Smith",
                                         "Kuznetsov", "Brown",   "Orlova"};
    const std::size_t end = out.size() + size;
    std::int32_t id = 0;
    while (out.size() < end) {
        const double day = 45000.0 + rng() % 3000 + (rng() % 1440) / 1440.0;
        const std::int32_t amount = static_cast<std::int32_t>(rng() % 100000);
        const std::string name = kNames[rng() % std::size(kNames)];
        const auto len = static_cast<std::int32_t>(name.size());
        char rec[64];
        std::size_t n = 0;
        std::memcpy(rec + n, &id, 4), n += 4;
        std::memcpy(rec + n, &day, 8), n += 8;
        std::memcpy(rec + n, &amount, 4), n += 4;
        std::memcpy(rec + n, &len, 4), n += 4;
        rec[n++] = 0;
        std::memcpy(rec + n, name.data(), name.size()), n += name.size();
        out.append(rec, n);
        ++id;
    }
}

const Bytes& Corpus() {
    static const Bytes corpus = [] {
        std::mt19937 rng(20240601);
        const std::vector<std::string> english = {
            "the",     "of",        "and",      "to",         "in",        "a",        "is",
            "that",    "for",       "it",       "as",         "was",       "with",     "be",
            "by",      "on",        "not",      "he",         "this",      "are",      "or",
            "his",     "from",      "at",       "which",      "but",       "have",     "an",
            "had",     "they",      "you",      "were",       "their",     "one",      "all",
            "we",      "can",       "her",      "has",        "there",     "been",     "if",
            "more",    "when",      "will",     "would",      "who",       "so",       "no",
            "meeting", "calendar",  "birthday", "address",    "telephone", "note",     "catalog",
            "debt",    "payment",   "reminder", "program",    "license",   "software", "distribute",
            "modify",  "copyright", "warranty", "conditions", "source",    "code"};
        std::vector<std::string> russian;
        for (const char* w :
             {"и",         "в",         "не",      "на",      "я",       "что",     "он",
              "с",         "как",       "это",     "по",      "но",      "они",     "к",
              "у",         "же",        "вы",      "за",      "бы",      "от",      "о",
              "из",        "его",       "мы",      "так",     "было",    "для",     "встреча",
              "день",      "рождения",  "телефон", "адрес",   "заметка", "каталог", "долг",
              "напомнить", "позвонить", "купить",  "ремонт",  "работа",  "пятница", "суббота",
              "деньги",    "рубли",     "доллары", "вернуть", "книга",   "ёлка",    "всё",
              "сегодня"}) {
            russian.push_back(ToCp1251(w));
        }
        std::string text;
        text.reserve(kCorpusSize + 70000);
        for (int piece = 0; text.size() < kCorpusSize; ++piece) {
            const std::size_t size = 16384 + rng() % 49152;
            switch (piece % 3) {
                case 0:
                    AppendProse(rng, english, size, text);
                    break;
                case 1:
                    AppendProse(rng, russian, size, text);
                    break;
                default:
                    AppendRecords(rng, size, text);
                    break;
            }
        }
        text.resize(kCorpusSize);
        return Bytes(text.begin(), text.end());
    }();
    return corpus;
}

Bytes Packed() {
    MemoryStream source(Corpus()), target;
    Compress(source, target);
    return target.TakeData();
}

// The argument is the number of search threads (0: as many as the machine offers). The rate
// is over wall-clock time, since the search runs on several threads.
void BM_Lh5Compress(benchmark::State& state) {
    const Bytes& corpus = Corpus();
    lh5::SearchShape shape = lh5::SearchShape::Default();
    if (state.range(0) > 0) shape.threads = static_cast<int>(state.range(0));
    std::size_t packedSize = 0;
    lh5::SearchReport report;
    for (auto _ : state) {
        MemoryStream source(corpus), target;
        target.Reserve(corpus.size());
        report = lh5::CompressWith(source, target, shape);
        packedSize = target.Size();
        benchmark::DoNotOptimize(target.Data().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.size()));
    state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(corpus.size());
    state.counters["guesses_taken"] = report.accepted;
    state.counters["guesses_redone"] = report.rejected;
}
BENCHMARK(BM_Lh5Compress)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Lh5Decompress(benchmark::State& state) {
    const Bytes packed = Packed();
    const Bytes& corpus = Corpus();
    for (auto _ : state) {
        MemoryStream source(packed), target;
        target.Reserve(corpus.size());
        Decompress(source, target);
        benchmark::DoNotOptimize(target.Data().data());
        if (target.Size() != corpus.size()) state.SkipWithError("wrong output size");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.size()));
}
BENCHMARK(BM_Lh5Decompress)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix
