// Loading and saving a section's data file, the same for every record-keeping section:
// load reads the records from the file's one stream as it is decoded (ReadStreamFromFile);
// save writes the records, AddStream, SaveToFile, ClearStreams.
//
// A file whose records cannot be read whole (truncated, unreadable) leaves the section with
// the records read before the failure; a damaged container leaves it with none. So that the
// next save cannot destroy what it held, the first save after such a load first renames the
// file to "<name>.damaged" (or "<name>.damaged.1", ".2" … when that name is taken).
//
// A save is two steps, so that the slow one can run on another thread: the image (the
// serialised records) is taken where the list lives, and written (compressed, enciphered,
// replacing the file) wherever the caller likes. Images of one file must be written one after
// another, in the order they were taken; a save done in one go is both steps in a row, so
// both ways write the same bytes.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "storage/stream.h"
#include "storage/stream_container.h"

namespace pomix {

// The bytes of a file of one stream, as the container will write them, and the container's
// settings at the time it was taken.
struct FileImage {
    std::string path;
    std::string streamName;
    MemoryStream stream;
    bool compressed = true;
    bool encrypted = false;
    std::string key;
    // Written only over a file that exists (the settings file is never created).
    bool replaceOnly = false;
    // Shared with the section file: set while a damaged file waits to be moved away. Read and
    // cleared by the write, which runs in the order the images were taken.
    std::shared_ptr<std::atomic<bool>> keepPending;
    // Set by the write when it moved a damaged file away: where it went.
    std::string keptAs;

    // Writes the file; raises the storage errors of the save, the earlier file then stays.
    void Write();
};

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
    // The first step of a save: the image of what write writes. Then image->Write() anywhere,
    // and Written(*image) back here once it succeeded.
    std::shared_ptr<FileImage> TakeImage(const Writer& write) const;
    void Written(const FileImage& image);
    // Takes the outcome of a load done by another SectionFile of the same file (on another
    // thread, with its own container).
    void AdoptLoad(const SectionFile& loaded);

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
    template <class List, class WriteList>
    std::shared_ptr<FileImage> TakeListImage(const List& list, WriteList write) const {
        return TakeImage([&list, write](Stream& stream) { write(list, stream); });
    }

    // A section file of the same file over container, which takes this one's settings: for
    // a load on another thread, whose outcome AdoptLoad then takes.
    SectionFile Twin(StreamContainer& container) const;

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
    std::shared_ptr<std::atomic<bool>> keepPending_ = std::make_shared<std::atomic<bool>>(false);
    std::string keptAs_;
};

// A list read away from the section that owns it: on another thread, into a list and a
// container of its own. The owner then takes the list and AdoptLoad(file).
template <class List>
struct ListLoad {
    explicit ListLoad(const SectionFile& owner) : file(owner.Twin(container)) {}
    StreamContainer container;
    SectionFile file;
    List list;
    // Takes what another load of the same file read.
    void Adopt(ListLoad&& other) {
        list = std::move(other.list);
        file.AdoptLoad(other.file);
    }
};

}  // namespace pomix
