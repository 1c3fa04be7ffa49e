// StreamContainer: named byte streams kept together in one file, the format of every data
// file of the program.
//
// File:   byte 0 compression marker (0x26 "&" compressed, anything else stored),
//         byte 1 cipher marker (0x2A "*" enciphered, anything else plain), then the payload.
// Image:  8-byte signature 01..08, int32 item count N, then N items in name order:
//         uint16 name length L, L name bytes, int32 data length S, S data bytes.
// Saving compresses the image, then enciphers it; loading undoes the steps in reverse.
#pragma once

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
    void LoadFromFile(const std::string& path);
    void SaveToStream(Stream& output);
    void LoadFromStream(Stream& input);

    std::size_t Count() const;
    std::vector<std::string> Names() const;

private:
    struct Item;
    std::vector<Item> items_;
    [[noreturn]] void ReportCorrupt();
    void ReadImage(MemoryStream& image);
    void File(const std::string& name, std::unique_ptr<MemoryStream> stream);
};

// Writes path as a file of the one stream source under name. The container is shared by every
// data file of the program, so it is left without streams whether the save succeeds or fails.
void SaveSingleStream(StreamContainer& container, const std::string& path, const std::string& name,
                      Stream& source);

}  // namespace pomix
