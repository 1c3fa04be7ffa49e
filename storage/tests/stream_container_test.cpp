#include "storage/stream_container.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

namespace fs = std::filesystem;

const std::string kSignature("\1\2\3\4\5\6\7\x08", 8);

std::string Int32(std::int32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}
std::string Uint16(std::uint16_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 2);
}
std::string ItemBytes(const std::string& name, const std::string& data) {
    return Uint16(static_cast<std::uint16_t>(name.size())) + name +
           Int32(static_cast<std::int32_t>(data.size())) + data;
}
// A stored, plain file around the given image.
MemoryStream StoredFile(const std::string& image) {
    return MemoryStream("  " + image);
}

std::string Saved(StreamContainer& c) {
    MemoryStream out;
    c.SaveToStream(out);
    return out.ToString();
}

std::string Content(const StreamContainer& c, const std::string& name) {
    MemoryStream s;
    c.GetStream(name, s);
    return s.ToString();
}

void Add(StreamContainer& c, const std::string& name, const std::string& data) {
    MemoryStream s(data);
    c.AddStream(name, &s);
}

TEST(StreamContainer, AddStreamWithoutNameOrStreamStoresNothing) {
    StreamContainer c;
    MemoryStream s(std::string("abc"));
    c.AddStream("", &s);
    c.AddStream("Name", nullptr);
    EXPECT_EQ(c.Count(), 0u);
}

TEST(StreamContainer, EqualNameReplacesTheStreamAndKeepsTheFirstSpelling) {
    StreamContainer c;
    Add(c, "NBook", "first");
    MemoryStream second(std::string("second"));
    second.Seek(3);  // copied from its start whatever its position
    c.AddStream("nbook", &second);
    EXPECT_EQ(second.Position(), 6u);
    ASSERT_EQ(c.Names(), std::vector<std::string>{"NBook"});
    EXPECT_EQ(Content(c, "NBOOK"), "second");
}

TEST(StreamContainer, NamesStayInCaseInsensitiveOrder) {
    StreamContainer c;
    for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "Beta1"}) Add(c, name, name);
    EXPECT_EQ(c.Names(), (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "Beta1", "gamma"}));
}

TEST(StreamContainer, GetStreamAppendsAtThePositionAndRewinds) {
    StreamContainer c;
    Add(c, "Data", "xyz");
    MemoryStream target(std::string("0123456"));
    target.Seek(2);
    c.GetStream("data", target);
    EXPECT_EQ(target.ToString(), "01xyz56");
    EXPECT_EQ(target.Position(), 0u);

    // A missing name is no error: the content stays, only the position goes to 0.
    target.Seek(4);
    c.GetStream("Missing", target);
    EXPECT_EQ(target.ToString(), "01xyz56");
    EXPECT_EQ(target.Position(), 0u);

    // An empty name does nothing at all.
    target.Seek(4);
    c.GetStream("", target);
    EXPECT_EQ(target.Position(), 4u);

    MemoryStream empty;
    c.GetStream("Missing", empty);
    EXPECT_THROW(empty.ReadValue<std::int32_t>(), EStreamReadError);
}

TEST(StreamContainer, TakeStreamMovesTheBytesOutWhole) {
    StreamContainer c;
    Add(c, "NBook", "xyz");
    Add(c, "Other", "abc");
    MemoryStream target(std::string("old"));
    c.TakeStream("nbook", target);
    EXPECT_EQ(target.ToString(), "xyz");
    EXPECT_EQ(target.Position(), 0u);
    EXPECT_EQ(target.ReadValue<char>(), 'x');  // reads like any memory stream
    EXPECT_EQ(c.Names(), std::vector<std::string>{"Other"});

    c.TakeStream("NBook", target);  // gone now
    EXPECT_EQ(target.Size(), 0u);
    c.TakeStream("", target);
    EXPECT_EQ(c.Count(), 1u);
}

TEST(StreamContainer, StoredLayoutIsMarkersThenThePlainImage) {
    StreamContainer c;
    c.Compressed = false;
    EXPECT_EQ(Saved(c), "  " + kSignature + Int32(0));

    Add(c, "b", "22");
    Add(c, "A", "1");
    EXPECT_EQ(Saved(c), "  " + kSignature + Int32(2) + ItemBytes("A", "1") + ItemBytes("b", "22"));
}

TEST(StreamContainer, StoredRoundTripKeepsEveryNameAndByteAndTheFlags) {
    StreamContainer writer;
    writer.Compressed = false;
    const std::string binary("\0\xff\x01\x80 end", 8);
    Add(writer, "Empty", "");
    Add(writer, "Binary", binary);
    Add(writer, "\xCA\xE0\xF2\xE0\xEB\xEE\xE3", "cp1251 name");
    MemoryStream file(Saved(writer));

    StreamContainer reader;
    reader.LoadFromStream(file);
    EXPECT_EQ(reader.Names(), writer.Names());
    EXPECT_EQ(Content(reader, "Empty"), "");
    EXPECT_EQ(Content(reader, "Binary"), binary);
    EXPECT_EQ(Content(reader, "\xCA\xE0\xF2\xE0\xEB\xEE\xE3"), "cp1251 name");
    // The file's markers are taken over: later saves are stored too.
    EXPECT_FALSE(reader.Compressed);
    EXPECT_FALSE(reader.Encrypted);
    EXPECT_EQ(Saved(reader).substr(0, 2), "  ");
}

TEST(StreamContainer, ReaderSortsItemsAndEqualNamesReplaceEarlierOnes) {
    MemoryStream file =
        StoredFile(kSignature + Int32(4) + ItemBytes("zed", "1") + ItemBytes("Abc", "2") +
                   ItemBytes("ABC", "3") + ItemBytes("", "ignored"));
    StreamContainer c;
    c.LoadFromStream(file);
    EXPECT_EQ(c.Names(), (std::vector<std::string>{"Abc", "zed"}));
    EXPECT_EQ(Content(c, "abc"), "3");
}

TEST(StreamContainer, NegativeOrZeroCountGivesNoItems) {
    for (std::int32_t count : {0, -1, INT32_MIN}) {
        StreamContainer c;
        Add(c, "old", "x");
        MemoryStream file = StoredFile(kSignature + Int32(count) + ItemBytes("a", "b"));
        c.LoadFromStream(file);
        EXPECT_EQ(c.Count(), 0u) << count;
    }
}

TEST(StreamContainer, ItemsRunningPastTheImageAreReadErrorsKeepingEarlierItems) {
    const std::string good = ItemBytes("first", "ok");
    const std::string cases[] = {
        Uint16(10) + "abc",                      // name longer than what is left
        Uint16(3) + "abc" + Int32(5) + "1234",   // data one byte short
        Uint16(3) + "abc" + Int32(INT32_MAX),    // absurd data length
        Uint16(3) + "abc" + Int32(-4) + "1234",  // negative data length
        Uint16(3) + "abc" + "\1\0",              // length field itself cut short
        std::string("\5"),                       // name length cut short
        std::string(),                           // count promises a second item
    };
    for (const std::string& tail : cases) {
        SCOPED_TRACE(::testing::PrintToString(tail));
        StreamContainer c;
        c.Compressed = false;
        MemoryStream file = StoredFile(kSignature + Int32(2) + good + tail);
        EXPECT_THROW(c.LoadFromStream(file), EStreamReadError);
        EXPECT_EQ(c.Names(), std::vector<std::string>{"first"});
        EXPECT_EQ(Content(c, "first"), "ok");
    }
}

TEST(StreamContainer, DamagedFilesAreCorruptAfterOnCorruptAndChangeNothing) {
    const std::string cases[] = {
        "",
        "  ",
        "  " + kSignature.substr(0, 7),  // stored payload shorter than the signature
        "  " + std::string(12, '\0'),    // stored payload without the signature
        " *" + kSignature + Int32(0),    // enciphered, but there is no key
        "&&" + std::string(20, '\x55'),  // compressed payload that is garbage
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        StreamContainer c;
        Add(c, "kept", "data");
        c.Key = "";
        int calls = 0;
        c.OnCorrupt = [&](StreamContainer& sender) {
            EXPECT_EQ(&sender, &c);
            ++calls;
        };
        MemoryStream file(bytes);
        try {
            c.LoadFromStream(file);
            ADD_FAILURE() << "no error";
        } catch (const ECorruptFile& e) {
            EXPECT_STREQ(e.what(), "File is corrupt.");
        }
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(c.Compressed);
        EXPECT_FALSE(c.Encrypted);
        EXPECT_EQ(c.Names(), std::vector<std::string>{"kept"});
    }
}

TEST(StreamContainer, EncipheredFilesNeedTheKey) {
    StreamContainer writer;
    writer.Compressed = false;
    writer.Encrypted = true;
    writer.Key = "pass";
    Add(writer, "Secret", "the plain text of a stream");
    const std::string bytes = Saved(writer);
    ASSERT_EQ(bytes.substr(0, 2), " *");
    EXPECT_EQ(bytes.find("plain text"), std::string::npos);
    EXPECT_EQ((bytes.size() - 2) % 8, 0u);

    {
        StreamContainer reader;
        reader.Key = "pass";
        MemoryStream file(bytes);
        reader.LoadFromStream(file);
        EXPECT_EQ(Content(reader, "Secret"), "the plain text of a stream");
        EXPECT_TRUE(reader.Encrypted);
    }
    {
        StreamContainer reader;
        int asked = 0;
        reader.OnAskForKey = [&](StreamContainer&) {
            ++asked;
            return std::string("pass");
        };
        MemoryStream file(bytes);
        reader.LoadFromStream(file);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(reader.Key, "pass");
        EXPECT_EQ(Content(reader, "Secret"), "the plain text of a stream");
    }
    {
        StreamContainer reader;
        reader.Key = "wrong";
        MemoryStream file(bytes);
        EXPECT_THROW(reader.LoadFromStream(file), ECorruptFile);
        EXPECT_EQ(reader.Key, "wrong");
        EXPECT_FALSE(reader.Encrypted);
    }
}

TEST(StreamContainer, EncryptedWithoutKeyWritesPlain) {
    StreamContainer c;
    c.Compressed = false;
    c.Encrypted = true;
    EXPECT_EQ(Saved(c), "  " + kSignature + Int32(0));
}

TEST(StreamContainer, CompressedRoundTripAndEmptyContainer) {
    StreamContainer writer;
    const std::string empty = Saved(writer);
    EXPECT_EQ(empty.substr(0, 2), "& ");
    StreamContainer reader;
    Add(reader, "old", "x");
    MemoryStream emptyFile(empty);
    reader.LoadFromStream(emptyFile);
    EXPECT_EQ(reader.Count(), 0u);

    std::string big;
    for (int i = 0; i < 5000; ++i) big += "record " + std::to_string(i) + ";";
    Add(writer, "NBook", big);
    Add(writer, "Zero", "");
    MemoryStream file(Saved(writer));
    EXPECT_LT(file.Size(), big.size() / 2);
    reader.Compressed = false;
    reader.LoadFromStream(file);
    EXPECT_TRUE(reader.Compressed);
    EXPECT_EQ(reader.Names(), (std::vector<std::string>{"NBook", "Zero"}));
    EXPECT_EQ(Content(reader, "NBook"), big);
}

TEST(StreamContainer, ImagesThatWouldExpandPastTheLoadsBoundAreStored) {
    // A load refuses a compressed image of megabytes that compresses thousands of times over;
    // the save therefore stores it, and every file saved loads back.
    for (const std::size_t blanks : {std::size_t{1} << 20, std::size_t{12} << 20}) {
        SCOPED_TRACE(blanks);
        StreamContainer writer;
        Add(writer, "NBook", std::string(blanks, ' '));
        const std::string file = Saved(writer);
        EXPECT_EQ(file.substr(0, 2), blanks < (8u << 20) ? "& " : "  ");
        EXPECT_TRUE(writer.Compressed);

        StreamContainer reader;
        MemoryStream stream(file);
        reader.LoadFromStream(stream);
        EXPECT_EQ(Content(reader, "NBook").size(), blanks);
    }
}

TEST(StreamContainer, CompressedImageWithoutSignatureIsCorrupt) {
    MemoryStream image(std::string("\1\2\3\4\5\6\7\x09") + Int32(0));
    MemoryStream packed;
    Compress(image, packed);
    MemoryStream file("& " + packed.ToString());
    StreamContainer c;
    EXPECT_THROW(c.LoadFromStream(file), ECorruptFile);
}

// The shared reference vectors hold container images and their compressed forms; a file of
// this program is the two markers and such a compressed image.
std::string ReferenceFile(const fs::path& vectors, const std::string& name, std::string* image) {
    const Bytes packed = ReadFileBytes((vectors / (name + ".lh5")).string());
    const Bytes plain = ReadFileBytes((vectors / (name + ".bin")).string());
    *image = std::string(plain.begin(), plain.end());
    return "& " + std::string(packed.begin(), packed.end());
}

TEST(StreamContainer, ReferenceContainersLoad) {
    const fs::path vectors = fs::path(POMIX_SHARED_DIR) / "lh5-vectors";
    if (!fs::exists(vectors)) GTEST_SKIP() << "no reference vectors in " << vectors;
    std::string image;

    // The empty container saves to exactly the reference bytes.
    const std::string empty = ReferenceFile(vectors, "container_empty", &image);
    StreamContainer c;
    EXPECT_TRUE(Saved(c) == empty);
    MemoryStream emptyFile(empty);
    c.LoadFromStream(emptyFile);
    EXPECT_EQ(c.Count(), 0u);

    // This image lists its items out of order; the reader sorts them, and the stored save
    // holds the same items (the same size), now in name order.
    MemoryStream small(ReferenceFile(vectors, "container_small", &image));
    c.LoadFromStream(small);
    EXPECT_EQ(c.Names(), (std::vector<std::string>{"Calendar", "NBook", "Setting"}));
    EXPECT_EQ(Content(c, "Setting").substr(0, 12), "language=ru\r");
    c.Compressed = false;
    const std::string stored = Saved(c);
    EXPECT_EQ(stored.size(), image.size() + 2);
    EXPECT_EQ(stored.substr(0, 2 + 12 + 2 + 8),
              "  " + image.substr(0, 12) + Uint16(8) + "Calendar");
}

// A folder of its own for each file test, removed afterwards.
class StreamContainerFile : public ::testing::Test {
protected:
    void SetUp() override { dir_ = scratch_.Path(); }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string ReadAll(const std::string& path) {
        const Bytes bytes = ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }
    static void WriteAll(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // A container whose stored file is about size bytes of data that does not compress.
    static void FillLarge(StreamContainer& c, std::size_t size) {
        std::string data(size, '\0');
        std::uint32_t x = 12345;
        for (char& ch : data) {
            x = x * 1103515245u + 12345u;
            ch = static_cast<char>(x >> 24);
        }
        Add(c, "Large", data);
    }

    testing::ScratchDir scratch_;
    fs::path dir_;
};

TEST_F(StreamContainerFile, SaveAndLoadThroughAFile) {
    StreamContainer c;
    Add(c, "NBook", "notes");
    c.SaveToFile(PathOf("Note.dat"));
    c.ClearStreams();
    EXPECT_EQ(Entries(), std::vector<std::string>{"Note.dat"});
    c.LoadFromFile(PathOf("Note.dat"));
    EXPECT_EQ(Content(c, "NBook"), "notes");
}

TEST_F(StreamContainerFile, ReplacingKeepsTheFilePermissions) {
    const std::string path = PathOf("Note.dat");
    WriteAll(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    StreamContainer c;
    c.Compressed = false;
    Add(c, "NBook", "new");
    c.SaveToFile(path);
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_NE(ReadAll(path), "old");
}

TEST_F(StreamContainerFile, SavingThroughALinkReplacesTheFileItNames) {
    const std::string real = PathOf("real.dat"), link = PathOf("link.dat");
    WriteAll(real, "old");
    fs::create_symlink(real, link);
    StreamContainer c;
    c.Compressed = false;
    Add(c, "NBook", "new");
    c.SaveToFile(link);
    EXPECT_TRUE(fs::is_symlink(link));
    c.ClearStreams();
    c.LoadFromFile(real);
    EXPECT_EQ(Content(c, "NBook"), "new");
}

// Restores the file size limit and the SIGXFSZ disposition when the test ends.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    sighandler_t oldHandler_;
};

TEST_F(StreamContainerFile, SaveFailingMidwayLeavesTheOldFileByteForByte) {
    const std::string path = PathOf("Note.dat");
    StreamContainer c;
    c.Compressed = false;
    Add(c, "NBook", "the earlier file");
    c.SaveToFile(path);
    const std::string before = ReadAll(path);

    FillLarge(c, 200000);
    {
        FileSizeLimit limit(65536);
        EXPECT_THROW(c.SaveToFile(path), EStreamWriteError);
    }
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Note.dat"});

    // With room again the same save goes through.
    c.SaveToFile(path);
    EXPECT_GT(fs::file_size(path), 200000u);
}

TEST_F(StreamContainerFile, UncreatableFileNamesThePathAndKeepsTheOldOne) {
    WriteAll(PathOf("plain"), "a file where a folder is expected");
    StreamContainer c;
    c.Compressed = false;
    Add(c, "x", "y");
    for (const std::string& path : {PathOf("missing/Note.dat"), PathOf("plain/Note.dat")}) {
        try {
            c.SaveToFile(path);
            ADD_FAILURE() << "saved to " << path;
        } catch (const EFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
        }
    }
    // A folder standing where the file should go is not replaced.
    fs::create_directory(PathOf("Note.dat"));
    EXPECT_THROW(c.SaveToFile(PathOf("Note.dat")), EFileError);
    EXPECT_TRUE(fs::is_directory(PathOf("Note.dat")));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Note.dat", "plain"}));
}

// Saving into a folder the user may not write to. Root may write anywhere, so as root the
// save runs in a child process that has given up its rights.
TEST_F(StreamContainerFile, ReadOnlyFolderKeepsTheOldFile) {
    const std::string path = PathOf("Note.dat");
    WriteAll(path, "old");
    const bool root = ::geteuid() == 0;
    fs::permissions(dir_,
                    root ? fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec
                         : fs::perms::owner_read | fs::perms::owner_exec);
    auto save = [&path] {
        StreamContainer c;
        c.Compressed = false;
        MemoryStream s(std::string("new"));
        c.AddStream("x", &s);
        try {
            c.SaveToFile(path);
        } catch (const EFileError& e) {
            return std::string(e.what()) == "Cannot create file " + path;
        }
        return false;
    };
    if (root) {
        // "fast" forks at this point, so the child works on this test's own folder and leaves
        // no second one behind.
        ::testing::FLAGS_gtest_death_test_style = "fast";
        EXPECT_EXIT(std::exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && save() ? 0 : 1),
                    ::testing::ExitedWithCode(0), "");
    } else {
        EXPECT_TRUE(save());
    }
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(Entries(), std::vector<std::string>{"Note.dat"});
}

// A save killed before its rename leaves its temporary; the next save takes it over, whatever
// it holds, and leaves the folder clean. A link in its place is removed, never followed.
TEST_F(StreamContainerFile, LeftoverOfAKilledSaveIsTakenOverAndRemoved) {
    const std::string path = PathOf("Note.dat");
    WriteAll(PathOf("elsewhere"), "not to be touched");
    StreamContainer c;
    c.Compressed = false;
    Add(c, "NBook", "new");
    for (const bool link : {false, true}) {
        if (link) {
            fs::create_symlink(PathOf("elsewhere"), path + ".saving");
        } else {
            WriteAll(path + ".saving", std::string(100000, 'x'));
        }
        c.SaveToFile(path);
        EXPECT_EQ(Entries(), (std::vector<std::string>{"Note.dat", "elsewhere"}));
        EXPECT_EQ(ReadAll(PathOf("elsewhere")), "not to be touched");
        c.ClearStreams();
        c.LoadFromFile(path);
        EXPECT_EQ(Content(c, "NBook"), "new");
    }
}

// Two writers of one file (two programs on one folder) must not write into the same
// temporary: the second is refused, and the first one's file and the target stay.
TEST_F(StreamContainerFile, SecondWriterOfTheSameFileIsRefused) {
    const std::string path = PathOf("Note.dat");
    WriteAll(path, "old");
    const int busy = ::open((path + ".saving").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(busy, 0);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    StreamContainer c;
    Add(c, "NBook", "new");
    EXPECT_THROW(c.SaveToFile(path), EFileError);
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_TRUE(fs::exists(path + ".saving"));
    ::close(busy);
    c.SaveToFile(path);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Note.dat"});
}

// The program's one container serves every data file in turn: a stream left over from an
// earlier file must not be written into the next, nor linger after a failed save.
TEST_F(StreamContainerFile, SingleStreamFilesHoldOnlyTheirStreamAndLeaveNoneBehind) {
    StreamContainer c;
    Add(c, "Stale", "from another file");
    MemoryStream notes(std::string("notes"));
    SaveSingleStream(c, PathOf("Note.dat"), "NBook", notes);
    EXPECT_EQ(c.Count(), 0u);
    c.LoadFromFile(PathOf("Note.dat"));
    EXPECT_EQ(c.Names(), std::vector<std::string>{"NBook"});
    EXPECT_EQ(Content(c, "NBook"), "notes");

    EXPECT_THROW(SaveSingleStream(c, PathOf("missing/Note.dat"), "NBook", notes), EFileError);
    EXPECT_EQ(c.Count(), 0u);
}

// Records-like text that compresses a few times over: large enough to be decoded beside its
// reading, varied enough that every part of the decoder takes part.
std::string CompressibleData(std::size_t size) {
    std::string data;
    data.reserve(size + 64);
    std::uint32_t x = 777;
    while (data.size() < size) {
        x = x * 1103515245u + 12345u;
        data += "Contact " + std::to_string(x % 100000) + ";" +
                std::string(1 + x % 7, 'a' + x % 26) + static_cast<char>(x >> 24) + "\r\n";
    }
    data.resize(size);
    return data;
}

// Reads the whole stream in pieces of changing size, as record readers do.
std::string ReadInPieces(Stream& stream) {
    std::string got;
    const std::size_t pieces[] = {1, 4, 2, 300, 8, 70000};
    for (std::size_t i = 0; stream.Remaining() > 0; ++i) {
        const std::size_t n = std::min<std::size_t>(pieces[i % 6], stream.Remaining());
        got += i % 2 ? stream.ReadText(n) : [&] {
            std::string piece(n, '\0');
            stream.ReadBuffer(piece.data(), n);
            return piece;
        }();
    }
    return got;
}

TEST_F(StreamContainerFile, LargeFilesGiveTheirStreamAsTheWholeLoadDoes) {
    const std::string data = CompressibleData(3 << 20);
    for (const bool cipher : {false, true}) {
        SCOPED_TRACE(cipher ? "enciphered" : "plain");
        const std::string path = PathOf(cipher ? "Secret.dat" : "Address.dat");
        StreamContainer writer;
        writer.Encrypted = cipher;
        writer.Key = "pass";
        MemoryStream source(data);
        SaveSingleStream(writer, path, "ABook", source);

        StreamContainer reader;
        reader.Key = "other";
        reader.OnAskForKey = [](StreamContainer&) { return std::string("pass"); };
        Add(reader, "Stale", "from another file");
        std::uint64_t size = 0;
        std::string got;
        reader.ReadStreamFromFile(path, "abook", [&](Stream& stream) {
            size = stream.Size();
            got = ReadInPieces(stream);
            EXPECT_THROW(stream.ReadValue<std::uint8_t>(), EStreamReadError);
            stream.Seek(5);
            EXPECT_EQ(stream.ReadText(3), data.substr(5, 3));
        });
        EXPECT_EQ(size, data.size());
        EXPECT_TRUE(got == data);
        EXPECT_EQ(reader.Count(), 0u);
        EXPECT_TRUE(reader.Compressed);
        EXPECT_EQ(reader.Encrypted, cipher);
        EXPECT_EQ(reader.Key, cipher ? "pass" : "other");

        reader.ReadStreamFromFile(path, "Other", [&](Stream& stream) { size = stream.Size(); });
        EXPECT_EQ(size, 0u);
    }
}

TEST_F(StreamContainerFile, LargeFilesThatCompressVeryWellGiveTheirStream) {
    // Blank text compresses hundreds of times over: with some text that does not compress in
    // front, a file claiming more than the room a load sets aside for it at first.
    std::string data(256 << 10, '\0');
    std::uint32_t x = 99;
    for (char& ch : data) ch = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    data.append(8 << 20, ' ');
    MemoryStream source(data);
    StreamContainer writer;
    SaveSingleStream(writer, PathOf("Note.dat"), "NBook", source);
    ASSERT_LT(ReadAll(PathOf("Note.dat")).size() * 16, data.size());

    StreamContainer reader;
    std::string got;
    reader.ReadStreamFromFile(PathOf("Note.dat"), "NBook",
                              [&](Stream& stream) { got = ReadInPieces(stream); });
    EXPECT_TRUE(got == data);
}

TEST_F(StreamContainerFile, LargeFilesOfSeveralStreamsGiveTheNamedOne) {
    const std::string data = CompressibleData(2 << 20);
    StreamContainer writer;
    Add(writer, "ABook", data);
    Add(writer, "Zeta", "last");
    writer.SaveToFile(PathOf("Two.dat"));

    StreamContainer reader;
    for (const auto& [name, expected] :
         {std::pair{"abook", data}, std::pair{"ZETA", std::string("last")}}) {
        std::string got;
        reader.ReadStreamFromFile(PathOf("Two.dat"), name,
                                  [&](Stream& stream) { got = ReadInPieces(stream); });
        EXPECT_TRUE(got == expected) << name;
        EXPECT_EQ(reader.Count(), 0u);
    }
}

TEST_F(StreamContainerFile, DamagedLargeFileIsCorruptAfterItsGoodPartWasRead) {
    const std::string data = CompressibleData(3 << 20);
    MemoryStream source(data);
    StreamContainer writer;
    SaveSingleStream(writer, PathOf("Address.dat"), "ABook", source);
    const std::string whole = ReadAll(PathOf("Address.dat"));
    WriteAll(PathOf("Address.dat"), whole.substr(0, whole.size() / 2));
    StreamContainer plain;
    ASSERT_THROW(plain.LoadFromFile(PathOf("Address.dat")), ECorruptFile)
        << "a file cut in half must not decode";

    StreamContainer reader;
    int corrupt = 0;
    reader.OnCorrupt = [&](StreamContainer&) { ++corrupt; };
    std::string got;
    try {
        reader.ReadStreamFromFile(PathOf("Address.dat"), "ABook", [&](Stream& stream) {
            while (stream.Remaining() > 0) got += stream.ReadText(1000);
        });
        ADD_FAILURE() << "no error";
    } catch (const EDamagedContainer& e) {
        EXPECT_STREQ(e.what(), "File is corrupt.");
    }
    EXPECT_EQ(corrupt, 1);
    // The decoder finds the damage only some way past the cut: what came before it is whole.
    ASSERT_GT(got.size(), 100000u);
    EXPECT_LT(got.size(), data.size());
    EXPECT_TRUE(got.substr(0, 100000) == data.substr(0, 100000));
    EXPECT_EQ(reader.Count(), 0u);
}

TEST_F(StreamContainerFile, ReadErrorOnALargeFileIsPassedOnOnceDecodingEnded) {
    const std::string data = CompressibleData(3 << 20);
    MemoryStream source(data);
    StreamContainer writer;
    writer.Encrypted = true;
    writer.Key = "pass";
    SaveSingleStream(writer, PathOf("Address.dat"), "ABook", source);

    StreamContainer reader;
    reader.Key = "pass";
    int corrupt = 0;
    reader.OnCorrupt = [&](StreamContainer&) { ++corrupt; };
    EXPECT_THROW(reader.ReadStreamFromFile(PathOf("Address.dat"), "ABook",
                                           [](Stream& stream) {
                                               stream.ReadText(10);
                                               stream.ReadText(stream.Remaining() + 1);
                                           }),
                 EStreamReadError);
    EXPECT_EQ(corrupt, 0);
    EXPECT_TRUE(reader.Encrypted);
    EXPECT_THROW(reader.ReadStreamFromFile(PathOf("Address.dat"), "ABook",
                                           [](Stream& stream) { stream.Write("x", 1); }),
                 EStorageError);
}

TEST_F(StreamContainerFile, MissingFileCannotBeOpened) {
    StreamContainer c;
    try {
        c.LoadFromFile(PathOf("none.dat"));
        ADD_FAILURE();
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + PathOf("none.dat"));
    }
}

}  // namespace
}  // namespace pomix
