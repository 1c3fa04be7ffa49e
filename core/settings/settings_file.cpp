#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/errors.h"

namespace pomix {

SettingsLoad LoadSettingsFile(StreamContainer& container, const std::string& dataDir,
                              TSettingsRecord& record) {
    return LoadSettingsFrom(container, dataDir + kSettingsFileName, record);
}

SettingsLoad LoadSettingsFrom(StreamContainer& container, const std::string& path,
                              TSettingsRecord& record) {
    if (!FileExists(path)) {
        SetDefaultColours(record);
        return SettingsLoad::Missing;
    }
    try {
        container.LoadFromFile(path);
        // An absent stream and a short one count as damage: a record with missing fields
        // would be written back whole at shutdown, as if the user had chosen those values.
        MemoryStream stream;
        container.GetStream(kSettingsStreamName, stream);
        if (stream.Size() == 0) throw ECorruptFile();
        TSettingsRecord loaded = ReadSettings(stream);
        container.ClearStreams();
        record = std::move(loaded);
        return SettingsLoad::Loaded;
    } catch (const std::exception&) {
        container.ClearStreams();
        SetDefaultColours(record);
        return SettingsLoad::Damaged;
    }
}

void SaveSettingsFile(StreamContainer& container, const std::string& dataDir,
                      const TSettingsRecord& record, bool settingsLoaded) {
    if (const auto image = TakeSettingsImage(container, dataDir, record, settingsLoaded)) image->Write();
}

std::shared_ptr<FileImage> TakeSettingsImage(const StreamContainer& container, const std::string& dataDir,
                                             const TSettingsRecord& record, bool settingsLoaded) {
    if (!settingsLoaded) return nullptr;
    auto image = std::make_shared<FileImage>();
    image->path = dataDir + kSettingsFileName;
    image->streamName = kSettingsStreamName;
    WriteSettings(record, image->stream);
    image->compressed = container.Compressed;
    image->encrypted = container.Encrypted;
    image->key = container.Key;
    image->replaceOnly = true;
    return image;
}

}  // namespace pomix
