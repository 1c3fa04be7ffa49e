#include "core/media/alarm_wave.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/media/tests/wave_support.h"

namespace pomix {
namespace {

using namespace pomix::testing;

TEST(ParseWave, FindsTheSamplesOfAWellFormedFile) {
    const std::string junk = "LIST" + std::string("\x03\0\0\0abc\0", 8);  // odd size, padded
    const std::string file = Riff(FormatChunk(1, 2, 44100, 16) + junk + DataChunk(402));
    WaveInfo info;
    ASSERT_TRUE(ParseWave(file, info));
    EXPECT_EQ(info.Channels, 2);
    EXPECT_EQ(info.SampleRate, 44100u);
    EXPECT_EQ(info.Samples, WaveSamples::Int16);
    EXPECT_EQ(info.DataOffset, file.size() - 402);
    EXPECT_EQ(info.DataSize, 400u);  // whole frames of four bytes only
    ASSERT_TRUE(ParseWave(Riff(FormatChunk(3, 1, 8000, 32) + DataChunk(8)), info));
    EXPECT_EQ(info.Samples, WaveSamples::Float);
    ASSERT_TRUE(ParseWave(Riff(FormatChunk(1, 1, 8000, 8) + DataChunk(3)), info));
    EXPECT_EQ(info.Samples, WaveSamples::UInt8);
}

TEST(ParseWave, RefusesWhatIsNotAWellFormedWaveOfPlainSamples) {
    const std::string good = GoodWave(16);
    std::string riffTooLong = good;
    riffTooLong[4] = static_cast<char>(riffTooLong[4] + 1);  // RIFF size one past the file
    std::string chunkTooLong = good;
    chunkTooLong[good.size() - 16 - 4] = 17;  // data size one past the RIFF end
    std::string hugeChunk = Riff(FormatChunk(1, 1, 8000, 16) + "data" + std::string("\xff\xff\xff\xff", 4));
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "just some text that is long enough"},
        {"no WAVE tag", "RIFF" + good.substr(4, 4) + "AVI " + good.substr(12)},
        {"RIFF size past the end", riffTooLong},
        {"chunk past the RIFF end", chunkTooLong},
        {"chunk size near 4 GiB", hugeChunk},
        {"data before fmt", Riff(DataChunk(16) + FormatChunk(1, 1, 8000, 16))},
        {"no data", Riff(FormatChunk(1, 1, 8000, 16))},
        {"24-bit samples", Riff(FormatChunk(1, 1, 8000, 24) + DataChunk(18))},
        {"compressed samples", Riff(FormatChunk(2, 1, 8000, 4) + DataChunk(16))},
        {"no channels", Riff(FormatChunk(1, 0, 8000, 16) + DataChunk(16))},
        {"empty data", Riff(FormatChunk(1, 1, 8000, 16) + DataChunk(0))},
        {"cut inside a chunk header", good.substr(0, 14)},
    };
    for (const auto& c : cases) {
        WaveInfo info;
        EXPECT_FALSE(ParseWave(c.bytes, info)) << c.what;
    }
}

class AlarmFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / ("pomix-alarm-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::filesystem::path folder_;
};

TEST_F(AlarmFile, ReadsTheWholeFileAndKeepsThePreviousSoundOnFailure) {
    std::string buffer = "previous";
    EXPECT_FALSE(LoadAlarmFile((folder_ / "missing.wav").string(), buffer));
    EXPECT_EQ(buffer, "previous");
    EXPECT_FALSE(LoadAlarmFile(folder_.string(), buffer));  // a folder cannot be read as a file
    EXPECT_EQ(buffer, "previous");
    EXPECT_FALSE(LoadAlarmFile(Write("big.wav", std::string(kMaxAlarmBytes + 1, 'x')), buffer));
    EXPECT_EQ(buffer, "previous");

    const std::string wave = GoodWave(100000);
    ASSERT_TRUE(LoadAlarmFile(Write("alarm.wav", wave), buffer));
    EXPECT_EQ(buffer, wave);
    // Content that is no wave is still taken: it replaces the sound, and plays nothing.
    ASSERT_TRUE(LoadAlarmFile(Write("text.wav", "not a sound"), buffer));
    EXPECT_EQ(buffer, "not a sound");
    ASSERT_TRUE(LoadAlarmFile(Write("limit.wav", std::string(kMaxAlarmBytes, 'y')), buffer));
    EXPECT_EQ(buffer.size(), kMaxAlarmBytes);
}

}  // namespace
}  // namespace pomix
