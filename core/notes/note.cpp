#include "core/notes/note.h"

#include "storage/text.h"

namespace pomix {

void ReadNotes(Stream& stream, NoteList& list) {
    if (stream.Remaining() == 0) return;
    const auto count = stream.ReadValue<std::int32_t>();
    // The date, an empty title and an empty text.
    list.Reserve(ReadableCount(count, stream, 8 + 4 + 4));
    for (std::int32_t i = 0; i < count; ++i) {
        const auto date = stream.ReadValue<double>();
        std::string name = ReadStr(stream);
        StrList memo = ReadStrList(stream);
        list.Add(TNote(date, std::move(memo), std::move(name)));
    }
}

void WriteNotes(const NoteList& list, Stream& stream) {
    stream.WriteValue(static_cast<std::int32_t>(list.Count()));
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TNote& note = list[i];
        stream.WriteValue(note.Date);
        WriteStr(note.Name, stream);
        WriteStrList(note.Memo, stream);
    }
}

bool NoteMatches(const TNote& note, const std::string& pattern, NoteSearch where) {
    const bool byName = where != NoteSearch::ByText;
    const bool byText = where != NoteSearch::ByName;
    return (byName && WildMatch(note.Name, pattern, true)) ||
           (byText && LinesMatch(note.Memo, pattern));
}

}  // namespace pomix
