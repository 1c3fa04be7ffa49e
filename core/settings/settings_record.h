// The program-wide settings record and its file Data/Pomix.ini.
//
// The file is a StreamContainer file holding the one stream "Setting": the 27 fields below,
// in this order, with no headers or padding. Flags are one byte (0/1), integers and colours
// 32-bit little-endian (colours 0x00BBGGRR), texts and the text list use the field codec.
// The program never creates the file; it only rewrites one it could read at start-up.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "storage/field_codec.h"
#include "storage/section_file.h"
#include "storage/stream.h"
#include "storage/stream_container.h"

namespace pomix {

using TColor = std::uint32_t;

struct TSettingsRecord {
    bool ShowHints = false;
    bool CheckPassword = false;
    std::string ReservedText;  // opaque: read and written back unchanged
    std::string Password;
    TColor EditColor = 0;
    TColor WindowColor = 0;
    TColor AccentColor = 0;
    TColor EditTextColor = 0;
    TColor LabelTextColor = 0;
    TColor ButtonTextColor = 0;
    std::array<std::string, 6> CategoryNames;
    std::string OverdueMark;
    bool ConfirmDelete = false;
    std::int32_t BirthdayDays = 0;
    bool ShowAge = false;
    StrList EventNames;
    TColor PlannedDayColor = 0;
    TColor DoneEventColor = 0;
    bool HighlightPlannedDays = false;
    std::int32_t ReminderLead = 0;  // minutes; 0 switches reminders off
    std::string AlarmSound;         // a file name inside Media/
    std::string LanguageFile;       // a file name inside Lang/

    bool operator==(const TSettingsRecord&) const = default;
};

// The one record every window reads.
extern TSettingsRecord SettingsRecord;

// The six colours used when the file is missing or damaged; the other fields are untouched.
void SetDefaultColours(TSettingsRecord& record);

// Field by field in the stored order. Reading raises EStreamReadError when the stream ends
// before the 27th field, without reading past its end.
void WriteSettings(const TSettingsRecord& record, Stream& stream);
TSettingsRecord ReadSettings(Stream& stream);

inline constexpr const char* kSettingsFileName = "Pomix.ini";
inline constexpr const char* kSettingsStreamName = "Setting";

enum class SettingsLoad { Loaded, Missing, Damaged };

// Reads dataDir + "Pomix.ini" into record. A missing file, one the container cannot read, one
// without a "Setting" stream or with a stream that ends early sets the default colours and
// leaves the rest of record as it was. The container is left empty.
SettingsLoad LoadSettingsFile(StreamContainer& container, const std::string& dataDir,
                              TSettingsRecord& record);
// The same for a settings file at path (a daily copy of it).
SettingsLoad LoadSettingsFrom(StreamContainer& container, const std::string& path,
                              TSettingsRecord& record);

// Rewrites dataDir + "Pomix.ini" with record, only when settingsLoaded and the file still
// exists: the program never creates it. Raises the storage errors of the save.
void SaveSettingsFile(StreamContainer& container, const std::string& dataDir,
                      const TSettingsRecord& record, bool settingsLoaded);
// The same save in two steps: the image taken here (null when the file is not to be written),
// its Write() on any thread.
std::shared_ptr<FileImage> TakeSettingsImage(const StreamContainer& container, const std::string& dataDir,
                                             const TSettingsRecord& record, bool settingsLoaded);

}  // namespace pomix
