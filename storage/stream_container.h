// StreamContainer: named byte streams kept together in one file, the format of every data
// file of the program.
//
// File:   byte 0 compression marker (0x26 "&" compressed, anything else stored),
//         byte 1 cipher marker (0x2A "*" enciphered, anything else plain), then the payload.
// Image:  8-byte signature 01..08, int32 item count N, then N items in name order:
//         uint16 name length L, L name bytes, int32 data length S, S data bytes.
// Saving compresses the image, then enciphers it; loading undoes the steps in reverse.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "storage/stream.h"

namespace pomix {

class StreamContainer {
public:
    using TOnAskForKey = std::function<std::string(StreamContainer& sender)>;
    using TOnCorrupt = std::function<void(StreamContainer& sender)>;

    bool Compressed = true;
    bool Encrypted = false;
    std::string Key;
    TOnAskForKey OnAskForKey;
    TOnCorrupt OnCorrupt;

    StreamContainer();
    ~StreamContainer();
    StreamContainer(const StreamContainer&) = delete;
    StreamContainer& operator=(const StreamContainer&) = delete;

    // Copies the whole of source (read from its start) under name; an equal name (case
    // ignored) replaces that item's stream and keeps its first spelling.
    void AddStream(const std::string& name, Stream* source);
    // Appends a copy of the named stream to target at its position, then sets target's
    // position to 0, found or not.
    void GetStream(const std::string& name, Stream& target) const;
    // Moves the named stream's bytes into target (replacing what it held) and removes the
    // item; target is left empty when there is no such stream. Its position is 0.
    void TakeStream(const std::string& name, MemoryStream& target);
    void ClearStreams();

    // Writes to a temporary file beside path, flushes it, and renames it over path, so a save
    // that fails leaves the earlier file as it was.
    void SaveToFile(const std::string& path);
    // A damaged file raises EDamagedContainer after OnCorrupt.
    void LoadFromFile(const std::string& path);
    void SaveToStream(Stream& output);
    void LoadFromStream(Stream& input);
    // LoadFromFile, then read given the named stream at position 0 (empty when there is
    // none); the container is left without streams. A large compressed file is decoded on a
    // second thread while read takes what has arrived. Raises what LoadFromFile raises (a
    // damaged image: EDamagedContainer) even when read has already taken some of it, and
    // what read raises.
    void ReadStreamFromFile(const std::string& path, const std::string& name,
                            const std::function<void(Stream&)>& read);
    // Compressed images claiming at least this much are decoded beside their reading; below
    // it a second thread gains nothing worth its start.
    static constexpr std::size_t kOverlapFrom = 1 << 20;
    // ReadStreamFromFile over a file's bytes, decoding beside the reading from overlapFrom
    // claimed bytes on (tests and fuzzing take it lower).
    void ReadStreamFromBytes(Bytes file, const std::string& name,
                             const std::function<void(Stream&)>& read, std::size_t overlapFrom);

    std::size_t Count() const;
    std::vector<std::string> Names() const;

private:
    struct Item;
    // A file's bytes after its marks, deciphered, and what the marks said.
    struct Payload {
        Bytes bytes;
        bool compressed = false;
        bool enciphered = false;
        std::string key;
    };
    static constexpr std::size_t kNoItem = SIZE_MAX;
    struct ItemPlace {
        std::size_t begin = 0;
        std::size_t size = kNoItem;
    };
    std::vector<Item> items_;
    [[noreturn]] void ReportCorrupt();
    Payload Open(Bytes file);
    void Load(Payload payload);
    void Adopt(const Payload& payload);
    static ItemPlace SoleItem(Stream& image, const std::string& name);
    void ReadLoadedStream(const std::string& name, const std::function<void(Stream&)>& read);
    void ReadImage(MemoryStream& image);
    void File(const std::string& name, std::unique_ptr<MemoryStream> stream);
};

// Writes path as a file of the one stream source under name. The container is shared by every
// data file of the program, so it is left without streams whether the save succeeds or fails.
void SaveSingleStream(StreamContainer& container, const std::string& path, const std::string& name,
                      Stream& source);

}  // namespace pomix
