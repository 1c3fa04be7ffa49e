#include "sync/engine.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <map>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "storage/cp1251.h"
#include "storage/errors.h"
#include "storage/side_by_side.h"
#include "sync/dav.h"
#include "sync/item.h"

namespace pomix::sync {
namespace {

struct EventTraits {
    using Record = Event;
    static constexpr Kind kKind = Kind::Calendar;
    static constexpr const char* kExtension = ".ics";
    static constexpr const char* kBlock = "BEGIN:VEVENT";
    static std::optional<Fields> FieldsOf(const Event& e) { return EventFields(e); }
    static std::string NewItem(const Event& e, const std::string& uid) {
        return NewEventItem(e, uid);
    }
    static std::optional<Event> Parse(const std::string& text) { return ItemEvent(text); }
    static std::string Merge(const std::string& item, const Fields& before, const Event& now) {
        return MergeEvent(item, before, now);
    }
    static Event ConflictCopy(Event e) {
        e.Name += Utf8ToCp1251(kConflictSuffix);
        return e;
    }
    // How much an equal, non-empty field says that an edited record is still the same one:
    // title, description, start (reminder and done say nothing).
    static constexpr double kWeights[kEventFieldCount] = {3, 2, 3, 0, 0};
    static std::string Label(const Fields& f) { return "\"" + Cp1251ToUtf8(f[0]) + "\""; }
};

struct ContactTraits {
    using Record = Contact;
    static constexpr Kind kKind = Kind::AddressBook;
    static constexpr const char* kExtension = ".vcf";
    static constexpr const char* kBlock = "BEGIN:VCARD";
    static std::optional<Fields> FieldsOf(const Contact& c) { return ContactFields(c); }
    static std::string NewItem(const Contact& c, const std::string& uid) {
        return NewContactItem(c, uid);
    }
    static std::optional<Contact> Parse(const std::string& text) { return ItemContact(text); }
    static std::string Merge(const std::string& item, const Fields& before, const Contact& now) {
        return MergeContact(item, before, now);
    }
    static Contact ConflictCopy(Contact c) {
        c.Surname += Utf8ToCp1251(kConflictSuffix);
        return c;
    }
    // Surname, first name, patronymic, birth date, address, phones, e-mail, web, note, category.
    static constexpr double kWeights[kContactFieldCount] = {3, 2, 1, 2, 1, 2, 1, 2, 1, 1, 0};
    static std::string Label(const Fields& f) {
        return "\"" + Cp1251ToUtf8(f[1].empty() ? f[0] : f[0] + " " + f[1]) + "\"";
    }
};

// An edited record is paired with an item only when equal fields weigh at least this much.
constexpr double kPairThreshold = 3;
// Above this many candidate comparisons, leftovers are taken as deleted and added instead.
constexpr std::size_t kMaxPairings = 4'000'000;
// Uploads and deletions in flight at once for each collection. Servers that take writes one at
// a time (both Radicale and Xandikos) gain little from more; the lanes hide the time between
// one answer and the next request.
constexpr std::size_t kLanes = 3;

template <class Traits>
double Similarity(const Fields& a, const Fields& b) {
    double score = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (!a[i].empty() && a[i] == b[i]) score += Traits::kWeights[i];
    }
    return score;
}

}  // namespace

template <class Record>
struct KindPlan {
    Collection Where;
    std::string Token;  // the server's sync token as of this run's reading
    std::map<std::string, Entry> Current;  // by item URL: the state as the server now has it
    std::vector<std::pair<std::size_t, Record>> Replace;
    std::vector<std::size_t> Remove;
    std::vector<Record> Add;
    // Entries to set (or, without a value, drop) once the local lists have the changes.
    std::vector<std::pair<std::string, std::optional<Entry>>> AfterApply;
};

struct SyncRun::Plan {
    KindPlan<Event> Events;
    KindPlan<Contact> Contacts;
};

namespace {

enum class WriteKind { Update, Create, Remove };
struct Write {
    WriteKind What;
    std::string Url, ETag, Text;
    Entry After;  // the entry once written (Update, Create)
    std::string Label;  // the record's name, for a refusal's note
};

// Refusals of one item that say nothing of the others: that item stays here for the next run
// (412, changed there meanwhile, likewise, and is compared then).
bool RefusesOnlyThatItem(long status) {
    return status == 400 || status == 403 || status == 409 || status == 413 || status == 415 ||
           status == 422;
}

template <class Traits>
class KindSync {
public:
    using Record = typename Traits::Record;

    KindSync(DavSession& dav, KindPlan<Record>& plan, KindReport& report,
             std::vector<std::string>& notes)
        : dav_(dav), plan_(plan), report_(report), notes_(notes) {}

    // Reads the server and decides; the writes are returned to be sent.
    std::vector<Write> Decide(const std::vector<const Record*>& local, CollectionState& state) {
        report_.Collection = plan_.Where.Url;
        report_.Created = plan_.Where.Created;
        if (state.Url != plan_.Where.Url) {
            // Another collection (or none known): nothing of the old mapping applies.
            state.Entries.clear();
            state.Token.clear();
            state.Url = plan_.Where.Url;
        }
        for (Entry& e : state.Entries) plan_.Current[e.Url] = e;

        // The server's items now: as the mapping has them when the collection's sync token is
        // the one of the last completed sync (nothing changed there since), else listed.
        std::unordered_map<std::string, std::string> remote;
        if (!state.Token.empty() && plan_.Where.Token == state.Token) {
            for (const auto& [url, e] : plan_.Current) remote[url] = e.ETag;
        } else {
            for (RemoteItem& item : dav_.List(plan_.Where)) remote[item.Url] = item.ETag;
        }
        plan_.Token = plan_.Where.Token;

        // Local records by their fields.
        std::vector<std::optional<Fields>> fields(local.size());
        std::unordered_multimap<std::string, std::size_t> byFields;
        for (std::size_t i = 0; i < local.size(); ++i) {
            fields[i] = Traits::FieldsOf(*local[i]);
            if (!fields[i]) {
                ++report_.LeftLocal;
                continue;
            }
            byFields.emplace(JoinFields(*fields[i]), i);
        }
        std::vector<char> used(local.size(), 0);
        std::vector<Entry*> entries;
        for (auto& [url, e] : plan_.Current) entries.push_back(&e);
        std::vector<std::ptrdiff_t> match(entries.size(), -1);
        std::vector<char> edited(entries.size(), 0);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            auto [from, to] = byFields.equal_range(JoinFields(entries[k]->Local));
            for (auto it = from; it != to; ++it) {
                if (!used[it->second]) {
                    used[it->second] = 1;
                    match[k] = static_cast<std::ptrdiff_t>(it->second);
                    break;
                }
            }
        }

        // What to fetch: items changed on the server and items new there.
        std::vector<std::string> fetch;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const auto it = remote.find(entries[k]->Url);
            if (it != remote.end() && (it->second != entries[k]->ETag || it->second.empty()))
                fetch.push_back(entries[k]->Url);
        }
        for (const auto& [url, etag] : remote) {
            if (!plan_.Current.count(url)) fetch.push_back(url);
        }
        std::unordered_map<std::string, RemoteItem> fetched;
        DavSession::Fetched got = dav_.Fetch(Traits::kKind, plan_.Where, fetch);
        for (RemoteItem& item : got.Items) fetched[item.Url] = std::move(item);
        // What was listed but not read keeps the collection's token from being stored, so
        // that the next run lists it again and reads it then.
        for (const std::string& url : got.TooLarge) {
            notes_.push_back(HttpConnection::PathOf(url) + ": larger than " +
                             std::to_string(kMaxItemBytes >> 20) +
                             " MiB; left as it is here and on the server");
            ++report_.Skipped;
        }
        for (const std::string& url : got.Missing) {
            notes_.push_back(HttpConnection::PathOf(url) +
                             ": listed but not sent by the server; read at the next sync");
        }
        const bool complete = got.TooLarge.empty() && got.Missing.empty();

        // A record that already holds the server's new version of an item is that item: the
        // mapping is older than the data files (the program stopped between writing them),
        // and the change must not come in a second time.
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (match[k] >= 0) continue;
            const auto f = fetched.find(entries[k]->Url);
            if (f == fetched.end()) continue;
            const std::optional<Record> theirs = Traits::Parse(f->second.Data);
            const std::optional<Fields> theirFields =
                theirs ? Traits::FieldsOf(*theirs) : std::nullopt;
            if (!theirFields) continue;
            auto [from, to] = byFields.equal_range(JoinFields(*theirFields));
            for (auto it = from; it != to; ++it) {
                if (used[it->second]) continue;
                used[it->second] = 1;
                match[k] = static_cast<std::ptrdiff_t>(it->second);
                edited[k] = 1;  // the same change on both sides
                break;
            }
        }
        PairEdits(fields, entries, used, match, edited);

        std::vector<Write> writes;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            Entry& e = *entries[k];
            const auto there = remote.find(e.Url);
            const bool serverGone = there == remote.end();
            bool serverSame = !serverGone && there->second == e.ETag && !e.ETag.empty();
            const RemoteItem* item = nullptr;
            std::optional<Record> theirs;
            // The version a local edit goes into, and the condition of its upload.
            std::string base = e.Item, baseETag = e.ETag;
            if (!serverGone && !serverSame) {
                const auto f = fetched.find(e.Url);
                if (f != fetched.end()) {
                    item = &f->second;
                    theirs = Traits::Parse(item->Data);
                }
                if (!theirs || !Traits::FieldsOf(*theirs)) {
                    if (item) {
                        notes_.push_back(HttpConnection::PathOf(e.Url) +
                                         ": the server's item cannot be read; left as it was");
                        ++report_.Skipped;
                    }
                    if (match[k] < 0) continue;
                    Kept();
                    continue;
                }
                // A new ETag alone is no change: some servers send none after an upload, or a
                // new one on every request. What Pomix shows decides; the server's item, with
                // whatever else changed there, is what an edit here goes into (or what a
                // deletion here deletes).
                if ((match[k] < 0 || edited[k]) && *Traits::FieldsOf(*theirs) == e.Local) {
                    serverSame = true;
                    base = item->Data;
                    baseETag = item->ETag;
                }
            }
            const std::ptrdiff_t i = match[k];
            if (i >= 0 && !edited[k]) {  // unchanged here
                if (serverSame) {
                    Kept();
                } else if (serverGone) {
                    plan_.Remove.push_back(static_cast<std::size_t>(i));
                    plan_.AfterApply.emplace_back(e.Url, std::nullopt);
                    ++report_.Local.Deleted;
                } else {
                    TakeTheirs(e, *item, *theirs, static_cast<std::size_t>(i), local);
                }
            } else if (i >= 0) {  // edited here
                const Record& mine = *local[static_cast<std::size_t>(i)];
                const Fields& now = *fields[static_cast<std::size_t>(i)];
                if (serverSame) {
                    Entry after{e.Url, {}, now, Traits::Merge(base, e.Local, mine)};
                    writes.push_back({WriteKind::Update, e.Url, baseETag, after.Item, after,
                                      Traits::Label(now)});
                    ++report_.Server.Changed;
                } else if (serverGone) {  // deleted there, changed here: kept, with the change
                    writes.push_back(NewItem(mine, now));
                    plan_.AfterApply.emplace_back(e.Url, std::nullopt);
                    ++report_.Server.Added;
                } else if (*Traits::FieldsOf(*theirs) == now) {  // the same change on both sides
                    plan_.AfterApply.emplace_back(e.Url, Entry{e.Url, item->ETag, now, item->Data});
                    e = Entry{e.Url, item->ETag, now, item->Data};
                    Kept();
                } else {  // a conflict: the server's version here, ours as a further record
                    const Record copy = Traits::ConflictCopy(mine);
                    TakeTheirs(e, *item, *theirs, static_cast<std::size_t>(i), local);
                    plan_.Add.push_back(copy);
                    writes.push_back(NewItem(copy, *Traits::FieldsOf(copy)));
                    ++report_.Local.Added;
                    ++report_.Server.Added;
                    ++report_.Conflicts;
                }
            } else {  // deleted here
                if (serverGone) {
                    plan_.AfterApply.emplace_back(e.Url, std::nullopt);
                } else if (serverSame) {
                    writes.push_back(
                        {WriteKind::Remove, e.Url, baseETag, {}, {}, Traits::Label(e.Local)});
                    ++report_.Server.Deleted;
                } else {  // changed there: kept, with the change
                    plan_.Add.push_back(*theirs);
                    plan_.AfterApply.emplace_back(
                        e.Url, Entry{e.Url, item->ETag, *Traits::FieldsOf(*theirs), item->Data});
                    ++report_.Local.Added;
                }
            }
        }

        // New on the server: the same as a new local record, or a new record here.
        std::unordered_multimap<std::string, std::size_t> newLocal;
        for (std::size_t i = 0; i < local.size(); ++i) {
            if (!used[i] && fields[i]) newLocal.emplace(JoinFields(*fields[i]), i);
        }
        std::vector<std::string> newUrls;
        for (const auto& [url, etag] : remote) {
            if (!plan_.Current.count(url)) newUrls.push_back(url);
        }
        std::sort(newUrls.begin(), newUrls.end());  // the order of a listing is the server's
        for (const std::string& url : newUrls) {
            const auto f = fetched.find(url);
            if (f == fetched.end()) continue;
            std::optional<Record> theirs = Traits::Parse(f->second.Data);
            const std::optional<Fields> theirFields =
                theirs ? Traits::FieldsOf(*theirs) : std::nullopt;
            if (!theirFields) {  // a to-do, or nothing Pomix can show: left alone
                if (f->second.Data.find(Traits::kBlock) != std::string::npos) {
                    notes_.push_back(HttpConnection::PathOf(url) +
                                     ": the server's item cannot be read; left as it is");
                    ++report_.Skipped;
                }
                continue;
            }
            // Each new item is visited once: its text moves on rather than being copied (a
            // collection of photos is large).
            Entry entry{url, f->second.ETag, *theirFields, std::move(f->second.Data)};
            const auto same = newLocal.find(JoinFields(*theirFields));
            if (same != newLocal.end()) {
                used[same->second] = 1;
                newLocal.erase(same);
                plan_.Current[url] = std::move(entry);
                Kept();
            } else {
                plan_.Add.push_back(std::move(*theirs));
                plan_.AfterApply.emplace_back(url, std::move(entry));
                ++report_.Local.Added;
            }
        }
        for (std::size_t i = 0; i < local.size(); ++i) {
            if (used[i] || !fields[i]) continue;
            writes.push_back(NewItem(*local[i], *fields[i]));
            ++report_.Server.Added;
        }
        if (!complete) plan_.Token.clear();
        return writes;
    }

    // Sends the writes, up to kLanes at once (each on a connection of its own, the first on
    // this run's). Each write is conditional on its own item, and no two name the same item,
    // so their order does not matter. After a failure no further write starts; what the
    // server took meanwhile is still recorded, and the first failure (in the writes' order)
    // is raised.
    void Send(const std::vector<Write>& writes, CollectionState& state, const Account& account) {
        std::vector<std::optional<std::string>> etags(writes.size());  // set once taken
        std::vector<std::exception_ptr> errors(writes.size());
        std::vector<std::string> refused(writes.size());
        std::vector<long> refusal(writes.size(), 0);
        std::atomic<std::size_t> next{0};
        std::atomic<bool> stop{false};
        const auto lane = [&](DavSession& dav) {
            for (std::size_t i; !stop && (i = next++) < writes.size();) {
                const Write& w = writes[i];
                try {
                    if (w.What == WriteKind::Remove) {
                        dav.Delete(w.Url, w.ETag);
                        etags[i].emplace();
                    } else {
                        const bool update = w.What == WriteKind::Update;
                        etags[i] = dav.Put(Traits::kKind, w.Url, w.Text,
                                           update ? w.ETag : std::string(),
                                           update && w.ETag.empty());
                    }
                } catch (const SyncError& e) {
                    if (e.Kind == SyncFailure::Refused &&
                        (RefusesOnlyThatItem(e.Status) || e.Status == 412)) {
                        refused[i] = e.what();
                        refusal[i] = e.Status;
                        continue;
                    }
                    errors[i] = std::current_exception();
                    stop = true;
                } catch (...) {
                    errors[i] = std::current_exception();
                    stop = true;
                }
            }
        };
        const std::size_t lanes = std::min(kLanes, writes.size());
        std::vector<std::thread> threads;
        // A lane that cannot start (no thread, out of memory) leaves its share to the others.
        for (std::size_t n = 1; n < lanes; ++n) {
            try {
                threads.emplace_back([&] {
                    try {
                        HttpConnection http(account);
                        DavSession dav(http);
                        lane(dav);
                    } catch (...) {
                    }
                });
            } catch (const std::system_error&) {
                break;
            }
        }
        lane(dav_);
        for (std::thread& t : threads) t.join();

        for (std::size_t i = 0; i < writes.size(); ++i) {
            if (!etags[i]) continue;
            const Write& w = writes[i];
            if (w.What == WriteKind::Remove) {
                plan_.Current.erase(w.Url);
            } else {
                Entry after = w.After;
                after.ETag = *etags[i];
                plan_.Current[w.Url] = std::move(after);
            }
            ++sent_;
        }
        for (std::size_t i = 0; i < writes.size(); ++i) {
            if (refused[i].empty()) continue;
            const Write& w = writes[i];
            if (refusal[i] == 412) {
                // Changed there meanwhile: never overwritten; the next run reads the change
                // and merges it with this one, as it does any change on both sides.
                notes_.push_back(w.Label + ": " + refused[i] +
                                 "; both versions are compared at the next sync");
                plan_.Token.clear();
            } else {
                notes_.push_back(w.Label + ": " + refused[i] +
                                 "; kept here, sent again at the next sync");
                ++report_.Refused;
            }
            --(w.What == WriteKind::Create   ? report_.Server.Added
               : w.What == WriteKind::Update ? report_.Server.Changed
                                             : report_.Server.Deleted);
        }
        Store(state);
        for (const std::exception_ptr& e : errors)
            if (e) std::rethrow_exception(e);
    }

    void Store(CollectionState& state) const {
        state.Entries.clear();
        state.Entries.reserve(plan_.Current.size());
        for (const auto& [url, e] : plan_.Current) state.Entries.push_back(e);
    }

private:
    void Kept() {
        ++report_.Local.Kept;
        ++report_.Server.Kept;
    }

    // Pairs records and entries left over by their similarity: the pairs are edits.
    void PairEdits(const std::vector<std::optional<Fields>>& fields,
                   const std::vector<Entry*>& entries, std::vector<char>& used,
                   std::vector<std::ptrdiff_t>& match, std::vector<char>& edited) {
        std::vector<std::size_t> freeRecords, freeEntries;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (!used[i] && fields[i]) freeRecords.push_back(i);
        for (std::size_t k = 0; k < entries.size(); ++k)
            if (match[k] < 0) freeEntries.push_back(k);
        if (freeRecords.empty() || freeEntries.empty() ||
            freeRecords.size() * freeEntries.size() > kMaxPairings)
            return;
        struct Candidate {
            double Score;
            std::size_t Entry, Record;
        };
        std::vector<Candidate> candidates;
        for (std::size_t k : freeEntries) {
            for (std::size_t i : freeRecords) {
                const double s = Similarity<Traits>(entries[k]->Local, *fields[i]);
                if (s >= kPairThreshold) candidates.push_back({s, k, i});
            }
        }
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate& a, const Candidate& b) { return a.Score > b.Score; });
        for (const Candidate& c : candidates) {
            if (match[c.Entry] >= 0 || used[c.Record]) continue;
            match[c.Entry] = static_cast<std::ptrdiff_t>(c.Record);
            edited[c.Entry] = 1;
            used[c.Record] = 1;
        }
    }

    // The server's changed item replaces local record i.
    void TakeTheirs(Entry& e, const RemoteItem& item, const Record& theirs, std::size_t i,
                    const std::vector<const Record*>& local) {
        const Fields theirFields = *Traits::FieldsOf(theirs);
        const Entry after{e.Url, item.ETag, theirFields, item.Data};
        plan_.AfterApply.emplace_back(e.Url, after);
        if (theirFields == *Traits::FieldsOf(*local[i])) {
            e = after;  // nothing Pomix shows has changed
            Kept();
            return;
        }
        plan_.Replace.emplace_back(i, theirs);
        ++report_.Local.Changed;
    }

    Write NewItem(const Record& record, const Fields& fields) {
        const std::string uid = NewUid();
        const std::string url = plan_.Where.Url + uid + Traits::kExtension;
        const std::string text = Traits::NewItem(record, uid);
        return {WriteKind::Create, url, {}, text, Entry{url, {}, fields, text}, Traits::Label(fields)};
    }

public:
    std::size_t sent_ = 0;  // writes the server took

private:
    DavSession& dav_;
    KindPlan<Record>& plan_;
    KindReport& report_;
    std::vector<std::string>& notes_;
};

template <class Record>
std::vector<Record> Applied(const std::vector<const Record*>& local, KindPlan<Record>& plan) {
    std::vector<char> removed(local.size(), 0);
    for (std::size_t i : plan.Remove) removed[i] = 1;
    std::vector<std::optional<Record>> replaced(local.size());
    for (auto& [i, r] : plan.Replace) replaced[i] = r;
    std::vector<Record> out;
    out.reserve(local.size() + plan.Add.size());
    for (std::size_t i = 0; i < local.size(); ++i) {
        if (removed[i]) continue;
        out.push_back(replaced[i] ? *replaced[i] : *local[i]);
    }
    for (Record& r : plan.Add) out.push_back(std::move(r));
    return out;
}

template <class Record>
void ApplyEntries(KindPlan<Record>& plan, CollectionState& state) {
    for (auto& [url, entry] : plan.AfterApply) {
        if (entry) {
            plan.Current[url] = std::move(*entry);
        } else {
            plan.Current.erase(url);
        }
    }
    // The plan is spent: its entries move.
    state.Entries.clear();
    state.Entries.reserve(plan.Current.size());
    for (auto& [url, e] : plan.Current) state.Entries.push_back(std::move(e));
    state.Token = plan.Token;
}

}  // namespace

SyncRun::SyncRun(const Account& account, SyncOptions options)
    : account_(account), options_(std::move(options)), plan_(std::make_unique<Plan>()) {
    if (account_.Deadline == std::chrono::steady_clock::time_point{} &&
        options_.Timeout.count() > 0) {
        account_.Deadline = std::chrono::steady_clock::now() + options_.Timeout;
        account_.Limit = options_.Timeout;
    }
    http_ = std::make_unique<HttpConnection>(account_);
    PrepareXml();
}

SyncRun::~SyncRun() = default;

void SyncRun::Exchange(const EventList& events, const AddressList& contacts, SyncState& state) {
    // The calendar and the address book go side by side, each on a connection of its own: a
    // sync costs about the slower of the two, and one's local work overlaps the other's wait.
    HttpConnection bookHttp(account_);
    DavSession eventDav(*http_), contactDav(bookHttp);
    // The collections of the last sync, while they are still there under the names asked for.
    const auto find = [&](DavSession& dav, Kind kind, const std::string& known,
                          const std::string& name) {
        std::optional<Collection> c;
        if (!known.empty()) c = dav.Known(kind, known, name);
        return c ? *c : dav.FindCollection(kind, account_.Server, name);
    };

    std::vector<const Event*> localEvents;
    std::vector<const Contact*> localContacts;
    std::vector<std::string> eventNotes, contactNotes;
    KindSync<EventTraits> eventSync(eventDav, plan_->Events, report_.Events, eventNotes);
    KindSync<ContactTraits> contactSync(contactDav, plan_->Contacts, report_.Contacts,
                                        contactNotes);
    // Both sides are read before anything is sent: a server that fails while being read has
    // been sent nothing.
    CollectionState eventState = state.Events, contactState = state.Contacts;
    std::vector<Write> eventWrites, contactWrites;
    // The address book aside, the calendar here (its failure is the one raised if both fail).
    SideBySide(
        [&] {
            plan_->Contacts.Where =
                find(contactDav, Kind::AddressBook, state.Contacts.Url, options_.AddressBook);
            for (std::size_t i = 0; i < contacts.Count(); ++i)
                localContacts.push_back(&contacts[i]);
            contactWrites = contactSync.Decide(localContacts, contactState);
        },
        [&] {
            plan_->Events.Where =
                find(eventDav, Kind::Calendar, state.Events.Url, options_.Calendar);
            for (const Event& e : events) localEvents.push_back(&e);
            eventWrites = eventSync.Decide(localEvents, eventState);
        });
    // Until Apply completes, the old token stays: a failed run is read again from there.
    state.Events.Url = eventState.Url;
    state.Events.Token = eventState.Token;
    state.Contacts.Url = contactState.Url;
    state.Contacts.Token = contactState.Token;
    if (options_.BeforeSending) options_.BeforeSending();
    const auto count = [&] {
        sent_ = eventSync.sent_ + contactSync.sent_;
        report_.Notes = std::move(eventNotes);
        report_.Notes.insert(report_.Notes.end(), contactNotes.begin(), contactNotes.end());
    };
    try {
        SideBySide([&] { contactSync.Send(contactWrites, state.Contacts, account_); },
                   [&] { eventSync.Send(eventWrites, state.Events, account_); });
    } catch (...) {
        count();
        throw;
    }
    count();
    localEvents_ = std::move(localEvents);
    localContacts_ = std::move(localContacts);
}

void SyncRun::Apply(EventList& events, AddressList& contacts, SyncState& state) {
    ApplyEntries(plan_->Events, state.Events);
    ApplyEntries(plan_->Contacts, state.Contacts);
    if (report_.Events.LocalChanged()) {
        std::vector<Event> newEvents = Applied(localEvents_, plan_->Events);
        EventList list;
        list.Reserve(newEvents.size());
        for (Event& e : newEvents) list.Append(std::move(e));
        events = std::move(list);
    }
    if (report_.Contacts.LocalChanged()) {
        std::vector<Contact> newContacts = Applied(localContacts_, plan_->Contacts);
        AddressList list;
        list.Reserve(newContacts.size());
        for (Contact& c : newContacts) list.Add(std::move(c));
        contacts = std::move(list);
    }
}

SyncReport Synchronize(const Account& account, const SyncOptions& options,
                       const std::string& folder, EventList& events, AddressList& contacts,
                       const std::function<void(const SyncReport&)>& saveLists,
                       MapStatus* mapStatus) {
    MapStatus status;
    SyncState state = LoadState(folder, status);
    if (mapStatus) *mapStatus = status;
    // A sync with nothing to do writes nothing (a large mapping takes a while to write).
    const SyncState loaded = status == MapStatus::Read ? state : SyncState{};
    const auto save = [&] {
        if (status != MapStatus::Read || !(state == loaded)) SaveState(folder, state);
    };
    SyncRun run(account, options);
    try {
        run.Exchange(events, contacts, state);
    } catch (const SyncError& e) {
        // What the server took is remembered: it matches the untouched data files.
        if (run.Sent() == 0) throw;
        std::string recorded = "; the " + std::to_string(run.Sent()) +
                               " changes the server took before that are recorded in " +
                               kMapFileName;
        try {
            SaveState(folder, state);
        } catch (const EStorageError&) {
            recorded = "; the " + std::to_string(run.Sent()) +
                       " changes the server took before that could not be recorded in " +
                       kMapFileName + " (the next sync compares them by content)";
        }
        throw SyncError(e.what() + recorded, e.Kind, e.Status);
    }
    save();
    run.Apply(events, contacts, state);
    const SyncReport& report = run.Report();
    if (report.Events.LocalChanged() || report.Contacts.LocalChanged()) saveLists(report);
    save();
    return report;
}

}  // namespace pomix::sync
