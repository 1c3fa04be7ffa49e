#include "storage/stream_container.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>
#include <new>

#include "storage/atomic_file.h"
#include "storage/backups.h"
#include "storage/blowfish.h"
#include "storage/errors.h"
#include "storage/image_pipe.h"
#include "storage/lh5.h"
#include "storage/text.h"

namespace pomix {

struct StreamContainer::Item {
    std::string name;
    std::unique_ptr<MemoryStream> stream;
};

namespace {

constexpr std::uint8_t kCompressedMark = 0x26;
constexpr std::uint8_t kCipherMark = 0x2A;
constexpr std::uint8_t kBlankMark = 0x20;
constexpr std::uint8_t kSignature[8] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr std::size_t kMaxNameLength = 0xFFFF;

bool BeginsWithSignature(const Bytes& bytes) {
    return bytes.size() >= sizeof kSignature &&
           std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin());
}

// The length a compressed image claims (its first four bytes), or -1 without them.
std::int64_t Claimed(const Bytes& packed) {
    if (packed.size() < 4) return -1;
    std::int32_t claimed;
    std::memcpy(&claimed, packed.data(), sizeof claimed);
    return claimed;
}

// A compressed image may claim at most this multiple of its compressed size, beyond a first
// allowance, so that a small crafted file cannot make a load take gigabytes. Genuine data
// reaches it only with megabytes of one repeated pattern (20 MB of blanks compress about
// 17,700 times over, ordinary records under 20 times).
constexpr std::int64_t kMostExpansion = 4096;
constexpr std::int64_t kExpansionAllowance = 8 << 20;

bool WithinExpansion(std::int64_t imageSize, std::uint64_t compressedSize) {
    return imageSize <=
           kMostExpansion * static_cast<std::int64_t>(compressedSize) + kExpansionAllowance;
}

// Room for a compressed image's claimed length, but only as much as most genuine data expands
// to: a damaged length may claim gigabytes.
std::size_t ClaimedRoom(const Bytes& packed) {
    return static_cast<std::size_t>(std::clamp<std::int64_t>(
        Claimed(packed), 0, static_cast<std::int64_t>(packed.size()) * 16));
}

}  // namespace

StreamContainer::StreamContainer() = default;
StreamContainer::~StreamContainer() { ClearStreams(); }

void StreamContainer::AddStream(const std::string& name, Stream* source) {
    if (name.empty() || !source) return;
    auto copy = std::make_unique<MemoryStream>();
    source->Seek(0);
    copy->CopyFrom(*source);
    File(name, std::move(copy));
}

void StreamContainer::File(const std::string& name, std::unique_ptr<MemoryStream> stream) {
    const auto at = std::lower_bound(items_.begin(), items_.end(), name,
                                     [](const Item& item, const std::string& key) {
                                         return CompareNoCase(item.name, key) < 0;
                                     });
    if (at != items_.end() && CompareNoCase(at->name, name) == 0) {
        at->stream = std::move(stream);
    } else {
        items_.insert(at, Item{name, std::move(stream)});
    }
}

void StreamContainer::GetStream(const std::string& name, Stream& target) const {
    if (name.empty()) return;
    for (const Item& item : items_) {
        if (CompareNoCase(item.name, name) == 0) {
            const Bytes& data = item.stream->Data();
            target.Write(data.data(), data.size());
            break;
        }
    }
    target.Seek(0);
}

void StreamContainer::TakeStream(const std::string& name, MemoryStream& target) {
    target.Clear();
    const auto at = std::find_if(items_.begin(), items_.end(), [&name](const Item& item) {
        return !name.empty() && CompareNoCase(item.name, name) == 0;
    });
    if (at == items_.end()) return;
    target = std::move(*at->stream);
    target.Seek(0);
    items_.erase(at);
}

void StreamContainer::ClearStreams() { items_.clear(); }

std::size_t StreamContainer::Count() const { return items_.size(); }

std::vector<std::string> StreamContainer::Names() const {
    std::vector<std::string> names;
    names.reserve(items_.size());
    for (const Item& item : items_) names.push_back(item.name);
    return names;
}

void StreamContainer::SaveToFile(const std::string& path) {
    // The whole file is built in memory first: compression and cipher errors then come
    // before the disk is touched.
    MemoryStream file;
    SaveToStream(file);
    ReplaceFile(path, file.Data().data(), file.Data().size());
}

void StreamContainer::LoadFromFile(const std::string& path) {
    Load(Open(ReadFileBytes(path)));
}

void StreamContainer::SaveToStream(Stream& output) {
    MemoryStream image;
    image.Write(kSignature, sizeof kSignature);
    image.WriteValue<std::int32_t>(static_cast<std::int32_t>(items_.size()));
    for (const Item& item : items_) {
        // The format's fields cannot hold these; writing them cut short would give a file
        // that reads back wrong, so the save fails instead.
        if (item.name.size() > kMaxNameLength) throw EStorageError("Stream name too long");
        if (item.stream->Size() > INT32_MAX) throw EStorageError("Stream too large");
        image.WriteValue<std::uint16_t>(static_cast<std::uint16_t>(item.name.size()));
        image.Write(item.name.data(), item.name.size());
        image.WriteValue<std::int32_t>(static_cast<std::int32_t>(item.stream->Size()));
        image.Write(item.stream->Data().data(), item.stream->Data().size());
    }

    const bool cipher = Encrypted && !Key.empty();
    bool compressed = Compressed;
    Bytes payload;
    if (compressed) {
        MemoryStream packed;
        image.Seek(0);
        Compress(image, packed);
        // A load refuses an image that expands past the bound: such an image is stored
        // instead, so that every file written is read back.
        compressed = WithinExpansion(static_cast<std::int64_t>(image.Size()), packed.Size());
        if (compressed) payload = packed.TakeData();
    }
    if (!compressed) payload = image.TakeData();
    const std::uint8_t marks[2] = {compressed ? kCompressedMark : kBlankMark,
                                   cipher ? kCipherMark : kBlankMark};
    if (cipher) Encipher(payload, Key);
    output.Write(marks, sizeof marks);
    output.Write(payload.data(), payload.size());
}

void StreamContainer::LoadFromStream(Stream& input) {
    Bytes file;
    try {
        input.Seek(0);
        if (input.Size() < 3) ReportCorrupt();
        file.resize(static_cast<std::size_t>(input.Remaining()));
        input.ReadBuffer(file.data(), file.size());
    } catch (const std::bad_alloc&) {
        ReportCorrupt();
    }
    Load(Open(std::move(file)));
}

StreamContainer::Payload StreamContainer::Open(Bytes file) {
    if (file.size() < 3) ReportCorrupt();
    Payload payload;
    payload.compressed = file[0] == kCompressedMark;
    payload.enciphered = file[1] == kCipherMark;
    file.erase(file.begin(), file.begin() + 2);
    payload.bytes = std::move(file);

    payload.key = Key;
    if (payload.enciphered) {
        if (OnAskForKey) payload.key = OnAskForKey(*this);
        try {
            Decipher(payload.bytes, payload.key);
        } catch (const std::exception&) {
            ReportCorrupt();
        }
    }
    if (!payload.compressed && !BeginsWithSignature(payload.bytes)) ReportCorrupt();
    if (payload.compressed && !WithinExpansion(Claimed(payload.bytes), payload.bytes.size())) {
        ReportCorrupt();
    }
    return payload;
}

void StreamContainer::Load(Payload payload) {
    MemoryStream image;
    if (payload.compressed) {
        try {
            // Room for the claimed length saves regrowing the image as it fills.
            image.Reserve(ClaimedRoom(payload.bytes));
            MemoryStream packed(std::move(payload.bytes));
            Decompress(packed, image, kSignature);
        } catch (const std::exception&) {
            ReportCorrupt();
        }
    } else {
        image = MemoryStream(std::move(payload.bytes));
    }
    try {
        ReadImage(image);
    } catch (const std::bad_alloc&) {
        ReportCorrupt();
    }
    Adopt(payload);
}

void StreamContainer::Adopt(const Payload& payload) {
    Key = payload.key;
    Compressed = payload.compressed;
    Encrypted = payload.enciphered;
}

void StreamContainer::ReadStreamFromFile(const std::string& path, const std::string& name,
                                         const std::function<void(Stream&)>& read) {
    ReadStreamFromBytes(ReadFileBytes(path), name, read, kOverlapFrom);
}

void StreamContainer::ReadStreamFromBytes(Bytes file, const std::string& name,
                                          const std::function<void(Stream&)>& read,
                                          std::size_t overlapFrom) {
    ClearStreams();
    Payload payload = Open(std::move(file));
    // Only a claim within the room set aside (see ClaimedRoom) is taken at its word; a file
    // that expands further decodes into a growing image first.
    const std::size_t claimed = payload.compressed ? ClaimedRoom(payload.bytes) : 0;
    if (!payload.compressed || claimed < overlapFrom ||
        static_cast<std::int64_t>(claimed) != Claimed(payload.bytes)) {
        Load(std::move(payload));
        ReadLoadedStream(name, read);
        return;
    }

    // Large and compressed: decoding goes on beside the reading. Every outcome of the
    // plain path is kept: a damaged image reports corrupt whatever read has taken, and an
    // image that is not the one named stream is read whole first.
    auto pipe = std::make_unique<ImagePipe>(std::move(payload.bytes), claimed, kSignature);
    ItemPlace item;
    try {
        ArrivingStream image(*pipe, 0, pipe->Length());
        item = SoleItem(image, name);
    } catch (const std::exception&) {
        item = {};  // decoding stopped inside the header: Finish tells
    }
    const bool streamed = item.size != kNoItem;
    std::exception_ptr readError;
    if (streamed) {
        try {
            ArrivingStream stream(*pipe, item.begin, item.size);
            read(stream);
        } catch (...) {
            readError = std::current_exception();
        }
    }
    if (!pipe->Finish()) ReportCorrupt();
    if (!streamed) {
        MemoryStream image(Bytes(pipe->Data(), pipe->Data() + pipe->Length()));
        pipe.reset();
        try {
            ReadImage(image);
        } catch (const std::bad_alloc&) {
            ReportCorrupt();
        }
        Adopt(payload);
        ReadLoadedStream(name, read);
        return;
    }
    Adopt(payload);
    if (readError) std::rethrow_exception(readError);
}

void StreamContainer::ReadLoadedStream(const std::string& name,
                                       const std::function<void(Stream&)>& read) {
    MemoryStream stream;
    TakeStream(name, stream);
    ClearStreams();
    read(stream);
}

StreamContainer::ItemPlace StreamContainer::SoleItem(Stream& image, const std::string& name) {
    // The same fields and checks as ReadImage, for an image of one item named name.
    std::uint8_t signature[sizeof kSignature];
    image.ReadBuffer(signature, sizeof signature);
    if (!std::equal(std::begin(kSignature), std::end(kSignature), signature)) return {};
    if (image.ReadValue<std::int32_t>() != 1) return {};
    const auto nameLength = image.ReadValue<std::uint16_t>();
    if (nameLength == 0 || nameLength > image.Remaining()) return {};
    const std::string itemName = image.ReadText(nameLength);
    const auto size = image.ReadValue<std::int32_t>();
    if (size < 0 || static_cast<std::uint64_t>(size) > image.Remaining()) return {};
    if (name.empty() || CompareNoCase(itemName, name) != 0) return {};
    return {static_cast<std::size_t>(image.Position()), static_cast<std::size_t>(size)};
}

void StreamContainer::ReadImage(MemoryStream& image) {
    if (!BeginsWithSignature(image.Data())) ReportCorrupt();
    ClearStreams();
    image.Seek(sizeof kSignature);
    const auto count = image.ReadValue<std::int32_t>();
    for (std::int32_t i = 0; i < count; ++i) {
        const auto nameLength = image.ReadValue<std::uint16_t>();
        if (nameLength > image.Remaining()) throw EStreamReadError();
        std::string name(nameLength, '\0');
        image.ReadBuffer(name.data(), nameLength);
        const auto size = image.ReadValue<std::int32_t>();
        // A negative length is no length a writer produces: it cannot be read as one.
        if (size < 0 || static_cast<std::uint64_t>(size) > image.Remaining()) {
            throw EStreamReadError();
        }
        const auto from = image.Data().begin() + static_cast<std::ptrdiff_t>(image.Position());
        auto stream = std::make_unique<MemoryStream>(Bytes(from, from + size));
        image.Seek(image.Position() + static_cast<std::uint64_t>(size));
        // Filed as AddStream files it, which stores nothing under an empty name.
        if (!name.empty()) File(name, std::move(stream));
    }
}

void StreamContainer::ReportCorrupt() {
    if (OnCorrupt) OnCorrupt(*this);
    throw EDamagedContainer();
}

void SaveSingleStream(StreamContainer& container, const std::string& path, const std::string& name,
                      Stream& source) {
    // Every data file is saved here, on whichever thread saves it: the day's copy of what is
    // on disk is taken before the file is replaced.
    BackUpBeforeSave(path);
    container.ClearStreams();
    try {
        container.AddStream(name, &source);
        container.SaveToFile(path);
    } catch (...) {
        container.ClearStreams();
        throw;
    }
    container.ClearStreams();
}

}  // namespace pomix
