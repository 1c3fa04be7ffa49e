// Loading and saving a section's data file, the same for every record-keeping section:
// load reads the records from the file's one stream as it is decoded (ReadStreamFromFile);
// save writes the records, AddStream, SaveToFile, ClearStreams.
//
// A file whose records cannot be read whole (truncated, unreadable) leaves the section with
// the records read before the failure; a damaged container leaves it with none. So that the
// next save cannot destroy what it held, the first save after such a load first renames the
// file to "<name>.damaged" (or "<name>.damaged.1", ".2" … when that name is taken).
#pragma once

#include <functional>
#include <string>

#include "storage/stream.h"
#include "storage/stream_container.h"

namespace pomix {

class SectionFile {
public:
    using Reader = std::function<void(Stream& stream)>;
    using Writer = std::function<void(Stream& stream)>;

    SectionFile(StreamContainer& container, std::string path, std::string streamName);

    // True when the file was read whole (or does not exist: a new, empty section).
    // The reader is given the stream positioned at 0; any error it raises marks the load
    // as failed and is not passed on.
    // forget undoes what read did when the file's container turns out damaged: the bytes
    // read came from a damaged image and may be garbage.
    bool Load(const Reader& read, const std::function<void()>& forget = {});
    // Raises the storage errors of the save; the earlier file is then left as it was.
    void Save(const Writer& write);

    // The record lists of the sections: the list is replaced by what read(stream, list)
    // appends, and is written with write(list, stream) only when it was modified.
    template <class List, class ReadList>
    bool LoadList(List& list, ReadList read) {
        list.Clear();
        return Load([&list, read](Stream& stream) { read(stream, list); },
                    [&list] { list.Clear(); });
    }
    template <class List, class WriteList>
    void SaveList(const List& list, bool modified, WriteList write) {
        if (!modified) return;
        Save([&list, write](Stream& stream) { write(list, stream); });
    }

    bool LoadFailed() const { return loadFailed_; }
    const std::string& Path() const { return path_; }
    // Where a damaged file was kept, after a save moved it away; empty otherwise.
    const std::string& KeptAs() const { return keptAs_; }

private:
    StreamContainer& container_;
    std::string path_;
    std::string streamName_;
    bool loadFailed_ = false;
    // A failed load left a file that the next save must move away first.
    bool keepPending_ = false;
    std::string keptAs_;
};

}  // namespace pomix
