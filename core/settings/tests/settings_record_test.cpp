#include "core/settings/settings_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "storage/errors.h"

namespace pomix {
namespace {

TSettingsRecord SampleRecord() {
    TSettingsRecord r;
    r.ShowHints = true;
    r.CheckPassword = true;
    r.ReservedText = std::string("\x00\xFF\r\n opaque \x01", 13);
    r.Password = "  p\xE0ss ";  // blanks kept, a CP1251 letter
    r.EditColor = 0x00FFFFFF;
    r.WindowColor = 0x00B09880;
    r.AccentColor = 0x00806450;
    r.EditTextColor = 0x00010203;
    r.LabelTextColor = 0x00040506;
    r.ButtonTextColor = 0x00070809;
    r.CategoryNames = {"Soft CD", "Music CD", "Video", "\xCA\xED\xE8\xE3\xE8", "", "Game CD"};
    r.OverdueMark = "!!!";
    r.ConfirmDelete = true;
    r.BirthdayDays = 999;
    r.ShowAge = true;
    r.EventNames = {"a", "", "\xC2\xF1\xF2\xF0\xE5\xF7\xE0"};
    r.PlannedDayColor = 0x000000FF;
    r.DoneEventColor = 0x00C0C0C0;
    r.HighlightPlannedDays = true;
    r.ReminderLead = 1439;
    r.AlarmSound = "alarm.wav";
    r.LanguageFile = "Russian.lng";
    return r;
}

Bytes Encode(const TSettingsRecord& r) {
    MemoryStream stream;
    WriteSettings(r, stream);
    return stream.Data();
}

TEST(SettingsRecord, RoundTripKeepsEveryFieldByteForByte) {
    const TSettingsRecord original = SampleRecord();
    MemoryStream stream(Encode(original));
    const TSettingsRecord read = ReadSettings(stream);
    EXPECT_EQ(read, original);
    EXPECT_EQ(read.ReservedText, original.ReservedText);
    EXPECT_EQ(read.Password, "  p\xE0ss ");
    EXPECT_EQ(stream.Remaining(), 0u);
    EXPECT_EQ(Encode(read), Encode(original));
}

TEST(SettingsRecord, FieldsAreStoredInTheirOrderWithoutPadding) {
    TSettingsRecord r;  // every text and the list empty
    r.EditColor = 0x11223344;
    r.BirthdayDays = -2;
    const Bytes bytes = Encode(r);
    // 2 flags, 2 texts, 6 colours, 6 names, mark, flag, int, flag, list, 2 colours, flag,
    // int, 2 texts.
    ASSERT_EQ(bytes.size(), 2u + 8 + 24 + 24 + 4 + 1 + 4 + 1 + 4 + 8 + 1 + 4 + 8);
    EXPECT_EQ(bytes[10], 0x44);  // EditColor follows the two texts, little-endian
    EXPECT_EQ(bytes[13], 0x11);
    const std::size_t days = 2 + 8 + 24 + 24 + 4 + 1;
    EXPECT_EQ(bytes[days], 0xFE);
    EXPECT_EQ(bytes[days + 3], 0xFF);
}

TEST(SettingsRecord, EmptyEventNamesAreStoredAsMinusOne) {
    TSettingsRecord r = SampleRecord();
    r.EventNames.clear();
    r.AlarmSound.clear();
    r.LanguageFile.clear();
    const Bytes bytes = Encode(r);
    // After the list: two colours, a flag, an int and two empty texts.
    const std::size_t listAt = bytes.size() - (4 + 4 + 1 + 4 + 4 + 4) - 4;
    std::int32_t count = 0;
    std::memcpy(&count, bytes.data() + listAt, 4);
    EXPECT_EQ(count, -1);
    MemoryStream stream(bytes);
    EXPECT_TRUE(ReadSettings(stream).EventNames.empty());
}

TEST(SettingsRecord, AnyNonZeroFlagByteReadsAsTrue) {
    Bytes bytes = Encode(TSettingsRecord{});
    bytes[0] = 2;
    MemoryStream stream(bytes);
    EXPECT_TRUE(ReadSettings(stream).ShowHints);
}

TEST(SettingsRecord, EveryShortStreamIsRefusedWithoutReadingPastItsEnd) {
    const Bytes full = Encode(SampleRecord());
    for (std::size_t size = 0; size < full.size(); ++size) {
        MemoryStream stream(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)));
        EXPECT_THROW(ReadSettings(stream), EStreamReadError) << "size " << size;
        EXPECT_LE(stream.Position(), size);
    }
}

TEST(SettingsRecord, HugeLengthIsRefused) {
    Bytes bytes = Encode(SampleRecord());
    // ReservedText's length (after the two flags) claims two gigabytes.
    bytes[2] = 0xFF, bytes[3] = 0xFF, bytes[4] = 0xFF, bytes[5] = 0x7F;
    MemoryStream stream(bytes);
    EXPECT_THROW(ReadSettings(stream), EStreamReadError);
}

TEST(SettingsRecord, DefaultColoursTouchOnlyTheSixColours) {
    TSettingsRecord r = SampleRecord();
    SetDefaultColours(r);
    EXPECT_EQ(r.EditColor, 0xFFFFFFu);
    EXPECT_EQ(r.WindowColor, 12632256u);
    EXPECT_EQ(r.AccentColor, 8421504u);
    EXPECT_EQ(r.EditTextColor, 0u);
    EXPECT_EQ(r.LabelTextColor, 0u);
    EXPECT_EQ(r.ButtonTextColor, 0xFFFFFFu);
    EXPECT_EQ(r.PlannedDayColor, 0xFFu);
    EXPECT_EQ(r.Password, SampleRecord().Password);
}

}  // namespace
}  // namespace pomix
