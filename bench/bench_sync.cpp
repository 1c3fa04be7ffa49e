// Sync of a large planner and address book with the servers sync/tests/dav_servers.sh starts
// (run this program through that script):
//   FirstUpload/<server>   an empty server and 10,000 events and 10,000 contacts here
//   NothingToDo/<server>   the same data, synced, again (the usual sync at start or on a timer)
//   MappingRead, MappingWrite   the mapping of as many items: read by every sync, written
//                          by one that changed something
//   AnswerRead/items       a 200 MB multistatus answer of 250 items, read: the memory it takes
//                          beyond the answer itself (peak_over_answer, in answers)
//   AnswerRead/entity      an answer declaring a 1 MiB entity and using it 1000 times, refused
// POMIX_BENCH_SYNC_COUNT changes the number of records of each kind.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "storage/cp1251.h"
#include "sync/dav.h"
#include "sync/dav_xml.h"
#include "sync/engine.h"
#include "sync/item.h"
#include "sync/state.h"

namespace pomix::sync {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

int Count() {
    const std::string n = Env("POMIX_BENCH_SYNC_COUNT");
    return n.empty() ? 10000 : std::atoi(n.c_str());
}

struct Local {
    EventList Events;
    AddressList Contacts;
};

Local MakeLocal(int count) {
    Local local;
    std::uint32_t seed = 2929;
    const auto word = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return Utf8ToCp1251("Слово") + std::to_string(seed % 100000);
    };
    for (int i = 0; i < count; ++i) {
        const DateTime day = 45000 + i % 4000;
        local.Events.Append(Event(word() + " " + word(), {word(), word()}, day, (i % 96) / 96.0, 1,
                                  i % 3 == 0 ? 1 : 0, 0));
        local.Contacts.Add(Contact(word(), word(), word(), 30000 + i % 20000, word() + " " + word(),
                                   "+7 900 " + word(), "", word() + "@example.org", "", {word()},
                                   static_cast<std::uint8_t>(i % 2)));
    }
    return local;
}

struct Server {
    std::string Name, Base, CalendarHome, BookHome;
};

// A fresh calendar and address book on the server, named after tag.
SyncOptions Collections(const Server& server, const Account& account, const std::string& tag) {
    HttpConnection http(account);
    // Radicale makes the user's home on the first request that names the user.
    http.Request("PROPFIND", server.Base + server.CalendarHome.substr(1), {}, {"Depth: 0"});
    const long calendar =
        http.Request("MKCALENDAR", server.Base + server.CalendarHome.substr(1) + "cal-" + tag + "/",
                     "<?xml version=\"1.0\"?><C:mkcalendar xmlns:D=\"DAV:\" "
                     "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:set><D:prop>"
                     "<C:supported-calendar-component-set><C:comp name=\"VEVENT\"/>"
                     "</C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>",
                     {"Content-Type: application/xml"})
            .Status;
    const long book =
        http.Request("MKCOL", server.Base + server.BookHome.substr(1) + "book-" + tag + "/",
                     "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
                     "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
                     "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                     "</D:prop></D:set></D:mkcol>",
                     {"Content-Type: application/xml"})
            .Status;
    if (calendar != 201 || book != 201) throw SyncError("cannot make the bench's collections");
    return {"cal-" + tag, "book-" + tag, {}};
}

SyncReport Run(const Account& account, SyncOptions options, const std::string& folder,
               Local& local) {
    // A first upload of 10,000 runs for hours: measured whole, past a run's usual limit.
    options.Timeout = std::chrono::hours(24);
    return Synchronize(account, options, folder, local.Events, local.Contacts,
                       [](const SyncReport&) {});
}

void FirstUpload(benchmark::State& state, const Server& server, const Account& account) {
    static int round = 0;
    const Local data = MakeLocal(Count());
    for (auto _ : state) {
        state.PauseTiming();
        const std::string tag = "up" + std::to_string(++round);
        const SyncOptions options = Collections(server, account, tag);
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("pomix-bench-sync-" + server.Name + tag);
        std::filesystem::create_directories(folder);
        Local local = data;
        state.ResumeTiming();
        const SyncReport report = Run(account, options, folder.string() + "/", local);
        state.PauseTiming();
        if (report.Events.Server.Added + report.Contacts.Server.Added !=
            2 * static_cast<std::size_t>(Count()))
            state.SkipWithError("not everything was uploaded");
        std::filesystem::remove_all(folder);
        state.ResumeTiming();
    }
}

// The records go into the server's folder as files, one per item, and the mapping is made as a
// first sync would leave it: taking 10,000 items one request at a time takes the servers hours
// (see FirstUpload), and a first sync of a full collection fetches everything (Xandikos takes
// about a minute per 200 items of a collection of 10,000). Xandikos keeps each collection in
// git: the files go in as one commit.
SyncOptions Seeded(const Server& server, const Account& account, const Local& local,
                   const std::string& tag, const std::string& folder) {
    SyncOptions options = Collections(server, account, tag);
    const bool git = server.Name == "xandikos";
    const std::string root = Env(git ? "POMIX_TEST_XANDIKOS_DIR" : "POMIX_TEST_RADICALE_DIR");
    const std::string calendar = server.CalendarHome + options.Calendar + "/",
                      book = server.BookHome + options.AddressBook + "/";
    SyncState sync;
    sync.Events.Url = server.Base + calendar.substr(1);
    sync.Contacts.Url = server.Base + book.substr(1);
    for (const Event& e : local.Events) {
        const std::string uid = NewUid();
        const std::string text = NewEventItem(e, uid);
        std::ofstream(root + calendar + uid + ".ics", std::ios::binary) << text;
        sync.Events.Entries.push_back({sync.Events.Url + uid + ".ics", {}, *EventFields(e), text});
    }
    for (std::size_t i = 0; i < local.Contacts.Count(); ++i) {
        const std::string uid = NewUid();
        const std::string text = NewContactItem(local.Contacts[i], uid);
        std::ofstream(root + book + uid + ".vcf", std::ios::binary) << text;
        sync.Contacts.Entries.push_back(
            {sync.Contacts.Url + uid + ".vcf", {}, ContactFields(local.Contacts[i]), text});
    }
    for (const std::string& dir : {calendar, book}) {
        const std::string commit = "git -C '" + root + dir +
                                   "' -c user.name=bench -c user.email=bench@localhost ";
        if (git &&
            std::system((commit + "add -A >/dev/null && " + commit + "commit -q -m seed").c_str()))
            throw SyncError("cannot seed the bench's collections");
    }
    HttpConnection http(account);
    DavSession dav(http);
    for (CollectionState* c : {&sync.Events, &sync.Contacts}) {
        std::map<std::string, std::string> etags;
        for (const RemoteItem& item : dav.List(Collection{c->Url, {}, false, {}}))
            etags[item.Url] = item.ETag;
        for (Entry& e : c->Entries) e.ETag = etags[e.Url];
    }
    SaveState(folder, sync);
    return options;
}

// With POMIX_BENCH_SYNC_KEEP set, the seeded collections and the mapping are kept (the folder
// named there) and used again by the next run against the same servers, which then skips the
// minutes of seeding.
void NothingToDo(benchmark::State& state, const Server& server, const Account& account) {
    Local local = MakeLocal(Count());
    const std::string keep = Env("POMIX_BENCH_SYNC_KEEP");
    const std::string tag = keep.empty() ? "same" : "kept";
    const std::filesystem::path folder =
        (keep.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(keep)) /
        ("pomix-bench-sync-" + server.Name + tag);
    const SyncOptions options =
        std::filesystem::exists(folder / kMapFileName)
            ? SyncOptions{"cal-" + tag, "book-" + tag, {}}
            : (std::filesystem::create_directories(folder),
               Seeded(server, account, local, tag, folder.string() + "/"));
    Run(account, options, folder.string() + "/", local);  // the first sync, not measured
    for (auto _ : state) {
        const SyncReport report = Run(account, options, folder.string() + "/", local);
        if (report.Events.Server.Added + report.Events.Local.Added + report.Contacts.Server.Added +
                report.Contacts.Local.Added + report.Events.Server.Changed +
                report.Contacts.Server.Changed >
            0)
            state.SkipWithError("a sync with nothing to do changed something");
    }
    if (keep.empty()) std::filesystem::remove_all(folder);
}

// The mapping of Count() items of each kind: read (every sync), written (a sync that changed
// something, twice).
void Mapping(benchmark::State& state, bool write) {
    const Local local = MakeLocal(Count());
    SyncState sync;
    sync.Events.Url = "http://127.0.0.1:1/cal/";
    sync.Contacts.Url = "http://127.0.0.1:1/book/";
    for (const Event& e : local.Events) {
        const std::string uid = NewUid();
        sync.Events.Entries.push_back({sync.Events.Url + uid + ".ics", "\"" + uid + "\"",
                                       *EventFields(e), NewEventItem(e, uid)});
    }
    for (std::size_t i = 0; i < local.Contacts.Count(); ++i) {
        const std::string uid = NewUid();
        sync.Contacts.Entries.push_back({sync.Contacts.Url + uid + ".vcf", "\"" + uid + "\"",
                                         ContactFields(local.Contacts[i]),
                                         NewContactItem(local.Contacts[i], uid)});
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "pomix-bench-sync-map";
    std::filesystem::create_directories(folder);
    SaveState(folder.string() + "/", sync);
    for (auto _ : state) {
        if (write) {
            SaveState(folder.string() + "/", sync);
        } else {
            MapStatus status;
            benchmark::DoNotOptimize(LoadState(folder.string() + "/", status));
            if (status != MapStatus::Read) state.SkipWithError("the mapping did not read back");
        }
    }
    std::filesystem::remove_all(folder);
}

// The process's resident bytes now, and at most so far.
std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}
std::size_t PeakBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

// A multistatus answer as a calendar-query brings it: items with CRs, which XML carries as
// character references, so that libxml2 meets many pieces of text per item.
std::string ItemsAnswer(std::size_t items, std::size_t itemBytes) {
    std::string line(74, 'a');
    line += "&#13;\n";
    std::string data;
    while (data.size() < itemBytes) data += line;
    std::string out;
    out.reserve(items * (data.size() + 300) + 200);
    out += "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\" "
           "xmlns:C=\"urn:ietf:params:xml:ns:caldav\">";
    for (std::size_t i = 0; i < items; ++i) {
        out += "<D:response><D:href>/cal/" + std::to_string(i) +
               ".ics</D:href><D:propstat><D:prop><D:getetag>\"" + std::to_string(i) +
               "\"</D:getetag><C:calendar-data>" + data +
               "</C:calendar-data></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
               "</D:response>";
    }
    out += "</D:multistatus>";
    return out;
}

std::string EntityAnswer() {
    std::string out = "<?xml version=\"1.0\"?><!DOCTYPE D:multistatus [<!ENTITY big \"" +
                      std::string(1 << 20, 'x') +
                      "\">]><D:multistatus xmlns:D=\"DAV:\"><D:response><D:href>";
    for (int i = 0; i < 1000; ++i) out += "&big;";
    out += "</D:href></D:response></D:multistatus>";
    return out;
}

// Peak memory is the process's: run each case in a process of its own (--benchmark_filter).
// The answer is made in place, so that the peak before reading is about the answer's size.
void AnswerRead(benchmark::State& state, bool entity) {
    const std::string answer = entity ? EntityAnswer() : ItemsAnswer(250, 800 << 10);
    const std::size_t before = ResidentBytes();
    if (PeakBytes() > before + (16u << 20)) state.SkipWithError("the peak came before reading");
    for (auto _ : state) {
        try {
            const MultiStatus ms = ParseMultiStatus(answer);
            if (entity || ms.Resources.size() != 250) state.SkipWithError("read wrong");
        } catch (const SyncError&) {
            if (!entity) state.SkipWithError("refused");
        }
    }
    const double over = static_cast<double>(PeakBytes() > before ? PeakBytes() - before : 0);
    state.counters["answer_MB"] = static_cast<double>(answer.size()) / 1e6;
    state.counters["peak_over_answer_MB"] = over / 1e6;
}

}  // namespace
}  // namespace pomix::sync

int main(int argc, char** argv) {
    using namespace pomix::sync;
    static std::vector<Server> servers;
    std::stringstream all(Env("POMIX_TEST_DAV"));
    for (std::string one; std::getline(all, one, ';');) {
        std::stringstream words(one);
        Server s;
        words >> s.Name >> s.Base >> s.CalendarHome >> s.BookHome;
        servers.push_back(s);
    }
    static const std::string user = Env("POMIX_TEST_DAV_USER"),
                             password = Env("POMIX_TEST_DAV_PASSWORD");
    benchmark::RegisterBenchmark("MappingRead", Mapping, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("AnswerRead/items", AnswerRead, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("AnswerRead/entity", AnswerRead, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("MappingWrite", Mapping, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (const Server& s : servers) {
        const Account account{s.Base, user, password, false};
        benchmark::RegisterBenchmark(("NothingToDo/" + s.Name).c_str(), NothingToDo, s, account)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(5);
        benchmark::RegisterBenchmark(("FirstUpload/" + s.Name).c_str(), FirstUpload, s, account)
            ->Unit(benchmark::kSecond)
            ->UseRealTime()
            ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
