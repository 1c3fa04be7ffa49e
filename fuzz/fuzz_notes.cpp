// Arbitrary bytes as an "NBook" stream: whatever reads, whole or up to the damage, writes back
// to bytes that read whole into the same notes, and the search finds every title
// by itself and by any piece of it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/round_trip.h"
#include "core/notes/note.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    pomix::fuzz::CheckRoundTrip<pomix::NoteList>(bytes, pomix::ReadNotes, pomix::WriteNotes);

    pomix::MemoryStream in(bytes);
    pomix::NoteList notes;
    try {
        pomix::ReadNotes(in, notes);
    } catch (const pomix::EStorageError&) {
    }
    for (std::size_t i = 0; i < notes.Count(); ++i) {
        const pomix::TNote& note = notes[i];
        if (!pomix::NoteMatches(note, note.Name, pomix::NoteSearch::ByName)) __builtin_trap();
        // Any piece of a title between stars finds the note. A star or question mark in the
        // title itself is matched as a plain character first, so such titles are left out.
        if (note.Name.find_first_of("*?") != std::string::npos) continue;
        const std::string piece = note.Name.substr(note.Name.size() / 3, 4);
        if (!pomix::NoteMatches(note, "*" + piece + "*", pomix::NoteSearch::Everywhere))
            __builtin_trap();
    }
    return 0;
}
