#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "core/addressbook/address.h"
#include "commands.h"
#include "core/exchange/content_line.h"
#include "core/exchange/icalendar.h"
#include "core/exchange/import_file.h"
#include "core/exchange/vcard.h"
#include "dump.h"
#include "exchange.h"
#include "core/planner/calendar_format.h"
#include "storage/atomic_file.h"
#include "storage/data_lock.h"
#include "storage/errors.h"
#include "storage/stream_container.h"

namespace pomix::tool {
namespace {

// A reminder lead beyond four weeks is surely a typing slip.
constexpr int kMaxLeadMinutes = 40320;

// One line on standard error, as the other commands report their errors.
int Fail(const std::string& message) {
    std::cerr << message << "\n";
    return kError;
}

std::string FolderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

void ReportNotes(const std::string& source, const std::vector<dataio::ImportNote>& notes,
                 const std::string& what) {
    for (const dataio::ImportNote& note : notes) {
        std::cerr << source << ":" << note.Line << ": " << what << ": " << note.Reason << "\n";
    }
}

int ExportIcs(const Args& args) {
    int lead = dataio::kDefaultLeadMinutes;
    Args files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--lead") {
            if (i + 1 == args.size()) return UsageError("--lead takes MINUTES");
            const std::string& text = args[++i];
            char* end = nullptr;
            errno = 0;
            const long value = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || errno != 0 || value < 0 ||
                value > kMaxLeadMinutes) {
                return UsageError("--lead takes a number of minutes from 0 to " +
                                  std::to_string(kMaxLeadMinutes));
            }
            lead = static_cast<int>(value);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) return UsageError("export ics takes CALENDAR_FILE OUT [--lead MINUTES]");
    EventList events;
    ReadDataFile(files[0], kCalendarStream, [&](Stream& s) { ReadCalendar(s, events); });
    const auto result =
        dataio::WriteICalendar(events, lead, static_cast<long long>(std::time(nullptr)));
    WriteWholeFile(files[1], result.Text);
    ReportNotes(files[0], result.Skipped, "left out");  // by the event's position
    std::cout << result.Written << " exported, " << result.Skipped.size() << " left out\n";
    return kOk;
}

int ExportVcf(const Args& args) {
    if (args.size() != 2) return UsageError("export vcf takes ADDRESS_FILE OUT");
    AddressList list;
    ReadDataFile(args[0], kAddressStreamName, [&](Stream& s) { ReadAddressList(s, list); });
    WriteWholeFile(args[1], dataio::WriteVCards(list));
    std::cout << list.Count() << " exported, 0 left out\n";
    return kOk;
}

int ExportCsv(const Args& args) {
    if (args.size() != 3) return UsageError("export csv takes KIND FILE OUT");
    const DumpKind* kind = FindDumpKind(args[0]);
    if (!kind) return UsageError("unknown kind '" + args[0] + "'");
    const dataio::RecordTable table = kind->table(args[1]);
    WriteWholeFile(args[2], dataio::TableCsv(table));
    std::cout << table.Rows.size() << " exported, 0 left out\n";
    return kOk;
}

// Adds the records read from source to the data file target: under the data folder's lock,
// never over a damaged file, through the container's all-or-nothing save.
template <class List, class Record>
int AppendRecords(const std::string& target, const char* streamName, void (*read)(Stream&, List&),
                  void (*write)(const List&, Stream&), const std::string& source,
                  const dataio::ImportResult<Record>& result) {
    // Told only once the import has succeeded: an error is one line on standard error.
    const auto summary = [&] {
        for (const std::string& line : dataio::NoteLines(source, result)) std::cerr << line << "\n";
        std::cout << dataio::SummaryLine(result) << "\n";
    };
    if (result.Records.empty()) {  // nothing to add: the data file is not touched
        summary();
        return kOk;
    }
    DataFolderLock lock(FolderOf(target));
    if (lock.GetState() == DataFolderLock::State::HeldElsewhere) {
        return Fail("Pomix has the data folder " + FolderOf(target) +
                    " open; close the program and import again");
    }
    if (!lock.Locked()) return Fail(lock.Error());

    List list;
    std::error_code ec;
    if (std::filesystem::exists(target, ec)) {
        try {
            ReadDataFile(target, streamName, [&](Stream& s) { read(s, list); });
        } catch (const ECorruptFile&) {
            return Fail(target +
                        ": File is corrupt. Nothing was imported; the file is left as it is");
        }
    } else if (ec) {
        return Fail("Cannot open file " + target);
    }
    for (const Record& record : result.Records) list.Add(record);

    MemoryStream stream;
    write(list, stream);
    StreamContainer container;
    SaveSingleStream(container, target, streamName, stream);

    summary();
    return kOk;
}

// EventList is not a RecordList: its Add is Append.
struct EventListAdapter {
    EventList events;
    void Add(const Event& e) { events.Append(e); }
};

int ImportVcf(const Args& args) {
    if (args.size() != 2) return UsageError("import vcf takes ADDRESS_FILE IN");
    dataio::ImportResult<Contact> result;
    try {
        result = dataio::ImportContactsFile(args[1]);
    } catch (const dataio::FormatError& e) {
        return Fail(args[1] + ": " + e.what());
    }
    return AppendRecords<AddressList, Contact>(args[0], kAddressStreamName, ReadAddressList,
                                               WriteAddressList, args[1], result);
}

void ReadEvents(Stream& stream, EventListAdapter& list) {
    ReadCalendar(stream, list.events);
}
void WriteEvents(const EventListAdapter& list, Stream& stream) {
    WriteCalendar(list.events, stream);
}

int ImportIcs(const Args& args) {
    if (args.size() != 2) return UsageError("import ics takes CALENDAR_FILE IN");
    dataio::ImportResult<Event> result;
    try {
        result = dataio::ImportCalendarFile(args[1]);
    } catch (const dataio::FormatError& e) {
        return Fail(args[1] + ": " + e.what());
    }
    return AppendRecords<EventListAdapter, Event>(args[0], kCalendarStream, ReadEvents, WriteEvents,
                                                  args[1], result);
}

// The events or contacts of a CSV file, by the columns its header names.
int ImportCsv(const Args& args) {
    if (args.size() != 3 || (args[0] != "calendar" && args[0] != "address")) {
        return UsageError("import csv takes calendar CALENDAR_FILE IN or address ADDRESS_FILE IN");
    }
    try {
        if (args[0] == "calendar") {
            const auto result = dataio::ImportEventsCsvFile(args[2]);
            return AppendRecords<EventListAdapter, Event>(args[1], kCalendarStream, ReadEvents,
                                                          WriteEvents, args[2], result);
        }
        const auto result = dataio::ImportContactsCsvFile(args[2]);
        return AppendRecords<AddressList, Contact>(args[1], kAddressStreamName, ReadAddressList,
                                                   WriteAddressList, args[2], result);
    } catch (const dataio::FormatError& e) {
        return Fail(args[2] + ": " + e.what());
    }
}

}  // namespace

int RunExport(const Args& args) {
    if (args.empty()) return UsageError("export takes ics, vcf or csv");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "ics") return ExportIcs(rest);
    if (args[0] == "vcf") return ExportVcf(rest);
    if (args[0] == "csv") return ExportCsv(rest);
    return UsageError("unknown export format '" + args[0] + "'");
}

int RunImport(const Args& args) {
    if (args.empty()) return UsageError("import takes vcf, ics or csv");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "vcf") return ImportVcf(rest);
    if (args[0] == "ics") return ImportIcs(rest);
    if (args[0] == "csv") return ImportCsv(rest);
    return UsageError("unknown import format '" + args[0] + "'");
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    ReplaceFile(path, bytes);
}

}  // namespace pomix::tool
