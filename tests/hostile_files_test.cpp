// Files that lie about their sizes: counts and lengths that claim gigabytes, in every data
// file, the dictionary, text files and playlists. Whatever the claims, reading one may take
// no more memory than a fixed multiple of the file's own size (beyond a small constant), and
// the readers end in their usual errors.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/addressbook/address.h"
#include "core/catalog/catalog.h"
#include "core/catalog/playlist.h"
#include "core/debts/credit.h"
#include "core/notes/note.h"
#include "core/media/alarm_wave.h"
#include "core/planner/calendar_format.h"
#include "core/settings/ini_file.h"
#include "core/settings/settings_record.h"
#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"
#include "storage/text_file.h"
#include "tests/allocation_meter.h"

namespace pomix {
namespace {

// A record list keeps each empty text in a 32-byte string and grows its vectors by doubling,
// so a stream of empty fields needs some tens of bytes per byte read.
constexpr std::size_t kRecordMultiple = 64;
// A text of nothing but line ends becomes one empty string per byte, held in a vector that
// doubles, beside the file's bytes and their conversion.
constexpr std::size_t kTextMultiple = 128;
// Tables, buffers and the decoder's window, whatever the file.
constexpr std::size_t kSlack = 1 << 20;

std::string Int32(std::int32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}
std::string Uint16(std::uint16_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 2);
}
std::string Double(double v) {
    return std::string(reinterpret_cast<const char*>(&v), 8);
}
// A text field claiming n bytes, followed by only a few.
std::string Claim(std::int32_t n) {
    return Int32(n) + std::string("\0abc", 4);
}
const std::string kHuge = Int32(INT32_MAX);

// Runs read over a file of size bytes and fails when it took more than multiple x size +
// kSlack. Returns whether the read ended in a storage error.
bool ExpectBounded(const std::string& what, std::size_t size, std::size_t multiple,
                   const std::function<void()>& read) {
    testing::AllocationMeter meter;
    bool failed = false;
    try {
        read();
    } catch (const EStorageError&) {
        failed = true;
    }
    EXPECT_LE(meter.Peak(), multiple * size + kSlack)
        << what << ": " << meter.Peak() << " bytes taken for a file of " << size;
    return failed;
}

template <class List, class Read>
bool ExpectStreamBounded(const std::string& what, const std::string& bytes, Read read) {
    return ExpectBounded(what, bytes.size(), kRecordMultiple, [&] {
        MemoryStream stream(bytes);
        List list;
        read(stream, list);
    });
}

// The meter itself: a bound that passes only because nothing was counted would prove nothing.
TEST(HostileFiles, MeterSeesWhatAReaderTakes) {
    testing::AllocationMeter meter;
    {
        std::string held(3 << 20, 'x');
        std::vector<std::string> more(1000, std::string(1000, 'y'));
        EXPECT_GE(meter.Peak(), (3u << 20) + 1000u * 1000u);
    }
    // What was given back does not lower the peak.
    EXPECT_GE(meter.Peak(), 3u << 20);

    // A reader that trusted a claim would be caught: a list reserving its claimed count.
    const std::string bytes = kHuge;
    testing::AllocationMeter trusting;
    std::vector<std::uint64_t> reserved;
    reserved.reserve(std::size_t{1} << 24);  // what a claim taken at its word would cost
    EXPECT_GT(trusting.Peak(), kRecordMultiple * bytes.size() + kSlack);
}

TEST(HostileFiles, RecordStreamsClaimingGigabytes) {
    const std::string hugeText = kHuge + Claim(INT32_MAX);
    const std::string hugeList = kHuge + Double(1) + Int32(0) + Int32(INT32_MAX - 1) + Claim(5);
    EXPECT_TRUE(ExpectStreamBounded<NoteList>("notes, huge title",
                                              kHuge + Double(1) + Claim(INT32_MAX), ReadNotes));
    EXPECT_TRUE(ExpectStreamBounded<NoteList>("notes, huge memo", hugeList, ReadNotes));
    EXPECT_TRUE(ExpectStreamBounded<EventList>("calendar, huge title", hugeText, ReadCalendar));
    EXPECT_TRUE(ExpectStreamBounded<EventList>(
        "calendar, huge memo", kHuge + Int32(0) + Int32(INT32_MAX - 1) + Claim(9), ReadCalendar));
    EXPECT_TRUE(ExpectStreamBounded<AddressList>("address book", hugeText, ReadAddressList));
    EXPECT_TRUE(ExpectStreamBounded<CatalogList>("catalog", kHuge + Int32(1) + Claim(INT32_MAX),
                                                 ReadCatalogList));
    EXPECT_TRUE(ExpectStreamBounded<CatalogList>(
        "catalog, huge memo", kHuge + Int32(1) + Int32(0) + Int32(INT32_MAX - 1), ReadCatalogList));
    EXPECT_TRUE(ExpectStreamBounded<CreditList>("debt book", kHuge + Int32(1) + Claim(INT32_MAX),
                                                ReadCreditList));
}

// A count that is true: the stream really holds that many smallest records. The memory then
// grows with the file, within the same multiple.
TEST(HostileFiles, ManySmallestRecordsStayWithinTheMultiple) {
    constexpr int kCount = 100000;
    std::string notes = Int32(kCount), catalog = Int32(kCount), calendar = Int32(kCount);
    for (int i = 0; i < kCount; ++i) {
        notes += Double(i) + Int32(0) + Int32(-1);
        catalog += Int32(0) + Int32(0) + Int32(-1);
        calendar += Int32(0) + Int32(-1) + Double(i) + Double(0) + Int32(0) + '\0' + '\0';
    }
    ExpectStreamBounded<NoteList>("notes", notes, ReadNotes);
    ExpectStreamBounded<CatalogList>("catalog", catalog, ReadCatalogList);
    ExpectStreamBounded<EventList>("calendar", calendar, ReadCalendar);
}

TEST(HostileFiles, SettingsStreamClaimingGigabytes) {
    const std::string flags("\1\0", 2);
    for (const std::string& bytes :
         {flags + Claim(INT32_MAX), flags + Int32(0) + Int32(0) + std::string(24, '\0') +
                                        std::string(24, '\0') + Int32(0) + '\0' + Int32(0) + '\0' +
                                        Int32(INT32_MAX - 1) + Claim(3)}) {
        EXPECT_TRUE(ExpectBounded("settings", bytes.size(), kRecordMultiple, [&] {
            MemoryStream stream(bytes);
            ReadSettings(stream);
        }));
    }
}

// Container files: item counts, name and data lengths, and the compressed image's length.
TEST(HostileFiles, ContainersClaimingGigabytes) {
    const std::string signature("\1\2\3\4\5\6\7\x08", 8);
    const std::string stored[] = {
        "  " + signature + kHuge,
        "  " + signature + kHuge + Uint16(0xFFFF) + "name",
        "  " + signature + Int32(1) + Uint16(1) + "x" + kHuge + "data",
        "  " + signature + Int32(2) + Uint16(1) + "x" + Int32(1) + "d" + Uint16(1) + "y" +
            Int32(INT32_MAX - 5) + "data",
    };
    for (const std::string& file : stored) {
        EXPECT_TRUE(ExpectBounded("stored container", file.size(), kRecordMultiple, [&] {
            StreamContainer container;
            MemoryStream stream(file);
            container.LoadFromStream(stream);
        }));
    }
}

// A compressed image claiming 2 GiB whose bits are noise: decoding stops at the noise's end.
TEST(HostileFiles, CompressedContainersOfNoiseClaimingGigabytes) {
    std::mt19937 random(7);
    for (const std::size_t noise : {16u, 300u, 5000u, 100000u}) {
        for (int round = 0; round < 5; ++round) {
            std::string file = "& " + kHuge;
            for (std::size_t i = 0; i < noise; ++i) file += static_cast<char>(random());
            const bool failed =
                ExpectBounded("compressed container of " + std::to_string(noise) + " noise bytes",
                              file.size(), kRecordMultiple, [&] {
                                  StreamContainer container;
                                  MemoryStream stream(file);
                                  container.LoadFromStream(stream);
                              });
            EXPECT_TRUE(failed) << "noise decoded to 2 GiB";
        }
    }
}

// A compressed image that really decodes to far more than its file: 12 MiB of blanks come to
// under a kilobyte. Its load is refused before it is decoded.
TEST(HostileFiles, CompressedContainersExpandingFarBeyondTheirSize) {
    const std::string signature("\1\2\3\4\5\6\7\x08", 8);
    const std::string data(12 << 20, ' ');
    MemoryStream image(signature + Int32(1) + Uint16(5) + "NBook" + Int32(data.size()) + data);
    MemoryStream packed;
    Compress(image, packed);
    const std::string file = "& " + packed.ToString();
    ASSERT_LT(file.size(), 2000u);
    EXPECT_TRUE(ExpectBounded("compressed container of blanks", file.size(), kRecordMultiple,
                              [&] {
                                  StreamContainer container;
                                  MemoryStream stream(file);
                                  container.LoadFromStream(stream);
                              }))
        << "12 MiB taken from a file of " << file.size() << " bytes";
}

// Text read from files: the dictionary, memo text files and playlists.
TEST(HostileFiles, TextFilesTakeAFixedMultipleOfTheirSize) {
    testing::ScratchDir scratch;
    const std::string path = scratch.File("hostile.txt");
    const std::string texts[] = {
        std::string(1 << 20, '\n'),
        std::string(1 << 20, '\r'),
        "\xEF\xBB\xBF" + std::string(1 << 20, '\n'),
        [] {
            std::string lines;
            while (lines.size() < (1 << 20)) lines += "k=v\r\n[s]\r\n#EXTINF:,\r\n";
            return lines;
        }(),
        std::string(1 << 20, 'x'),
    };
    for (const std::string& text : texts) {
        testing::WriteFileContents(path, text);
        ExpectBounded("dictionary", text.size(), kTextMultiple, [&] { IniFile ini(path); });
        ExpectBounded("text file", text.size(), kTextMultiple, [&] { ReadTextFileLines(path); });
        ExpectBounded("playlist", text.size(), kTextMultiple, [&] { DescriptionFromFile(path, DescriptionSource::Playlist); });
    }
}

// The alarm sound is held whole for the run: a file is read once, at its own size, whatever
// its chunks claim, and a file beyond the limit is not read at all.
TEST(HostileFiles, AlarmSoundsClaimingGigabytes) {
    testing::ScratchDir scratch;
    const std::string path = scratch.File("alarm.wav");
    const std::string fmt = "fmt " + Int32(16) + Uint16(1) + Uint16(2) + Int32(44100) + Int32(44100 * 4) +
                            Uint16(4) + Uint16(16);
    const std::string samples(1 << 20, '\x55');
    const std::string waves[] = {
        "RIFF" + kHuge + "WAVE" + fmt + "data" + kHuge + samples,
        "RIFF" + Int32(-8) + "WAVE" + fmt + "data" + Int32(-1) + samples,
        "RIFF" + Int32(static_cast<std::int32_t>(fmt.size() + samples.size() + 12)) + "WAVE" + fmt +
            "LIST" + kHuge + samples,
    };
    for (const std::string& wave : waves) {
        testing::WriteFileContents(path, wave);
        std::string buffer;
        WaveInfo info;
        bool parsed = true;
        ExpectBounded("alarm sound", wave.size(), 2, [&] {
            ASSERT_TRUE(LoadAlarmFile(path, buffer));
            parsed = ParseWave(buffer, info);
        });
        EXPECT_FALSE(parsed) << "a wave whose sizes run past its end is not played";
    }

    testing::WriteFileContents(path, std::string(kMaxAlarmBytes + 1, '\0'));
    std::string kept = "earlier";
    ExpectBounded("oversized alarm sound", 0, 0, [&] { EXPECT_FALSE(LoadAlarmFile(path, kept)); });
    EXPECT_EQ(kept, "earlier");
}

}  // namespace
}  // namespace pomix
