// Writes the files shipped beside the program into the build folder given as the first
// argument:
//   Data/Pomix.ini      a complete settings file with the defaults below
//   Lang/Russian.lng    the Russian dictionary   } made from the tables in the folder given as
//   Lang/English.lng    the English dictionary   } the second argument (app/lang/*.tsv)
//   Media/alarm.wav     a short alarm sound
// A settings file or sound that exists already is left alone: the program rewrites Data/
// while it runs, and a rebuild must not undo a user's changes. A dictionary is made again
// when a table is newer than it. Every file is left with the time of this run, so the build
// knows it is up to date.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "core/settings/dictionary_tables.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"

namespace fs = std::filesystem;
using namespace pomix;

namespace {

std::string W(const char* utf8) { return Utf8ToCp1251(utf8); }

void WriteSettingsFile(const fs::path& path) {
    TSettingsRecord r;
    r.ShowHints = true;
    r.ConfirmDelete = true;
    SetDefaultColours(r);  // the silver scheme
    r.CategoryNames = {"Soft CD", "Music CD", "Video", W("Книги"), W("Разное"), "Game CD"};
    r.OverdueMark = "!!!";
    r.BirthdayDays = 10;
    r.ShowAge = true;
    r.EventNames = {W("Встреча"), W("Звонок"), W("День рождения"), W("Совещание"), W("Покупки")};
    r.PlannedDayColor = 0x0000FF;
    r.DoneEventColor = 0xC0C0C0;
    r.HighlightPlannedDays = true;
    r.ReminderLead = 15;
    r.AlarmSound = "alarm.wav";
    r.LanguageFile = "Russian.lng";

    MemoryStream stream;
    WriteSettings(r, stream);
    StreamContainer container;
    SaveSingleStream(container, path.string(), kSettingsStreamName, stream);
}

template <class T>
void Put(std::vector<std::uint8_t>& out, T value) {
    for (std::size_t i = 0; i < sizeof value; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// 1.2 s of a two-tone alarm (880 Hz and 660 Hz alternating every 0.15 s), 16-bit mono
// at 22050 Hz, each tone faded in and out so it does not click.
void WriteAlarm(const fs::path& path) {
    constexpr std::uint32_t rate = 22050;
    constexpr double beep = 0.15, length = 1.2, pi = 3.14159265358979323846;
    const auto samples = static_cast<std::uint32_t>(rate * length);
    std::vector<std::uint8_t> data;
    for (std::uint32_t n = 0; n < samples; ++n) {
        const double t = static_cast<double>(n) / rate;
        const int tone = static_cast<int>(t / beep);
        const double within = t - tone * beep;
        const double fade = std::min({1.0, within / 0.01, (beep - within) / 0.01});
        const double frequency = tone % 2 == 0 ? 880.0 : 660.0;
        const double value = 0.6 * fade * std::sin(2 * pi * frequency * t);
        Put<std::int16_t>(data, static_cast<std::int16_t>(value * 32767));
    }
    std::vector<std::uint8_t> wav;
    for (char c : std::string("RIFF")) wav.push_back(static_cast<std::uint8_t>(c));
    Put<std::uint32_t>(wav, 36 + static_cast<std::uint32_t>(data.size()));
    for (char c : std::string("WAVEfmt ")) wav.push_back(static_cast<std::uint8_t>(c));
    Put<std::uint32_t>(wav, 16);
    Put<std::uint16_t>(wav, 1);  // PCM
    Put<std::uint16_t>(wav, 1);  // mono
    Put<std::uint32_t>(wav, rate);
    Put<std::uint32_t>(wav, rate * 2);
    Put<std::uint16_t>(wav, 2);
    Put<std::uint16_t>(wav, 16);
    for (char c : std::string("data")) wav.push_back(static_cast<std::uint8_t>(c));
    Put<std::uint32_t>(wav, static_cast<std::uint32_t>(data.size()));
    wav.insert(wav.end(), data.begin(), data.end());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(wav.data()),
                                                static_cast<std::streamsize>(wav.size()));
}

void CreateIfMissing(const fs::path& path, void (*write)(const fs::path&)) {
    if (fs::exists(path)) {
        fs::last_write_time(path, fs::file_time_type::clock::now());
        return;
    }
    fs::create_directories(path.parent_path());
    write(path);
    std::cout << "created " << path.string() << "\n";
}

// Remakes a dictionary missing or older than one of the tables.
void MakeDictionaryFile(const fs::path& path, const fs::path& tablesFolder, DictionaryLanguage language) {
    bool stale = !fs::exists(path);
    for (const auto& table : fs::directory_iterator(tablesFolder)) {
        if (!stale && table.path().extension() == ".tsv") stale = table.last_write_time() > fs::last_write_time(path);
    }
    if (!stale) {
        fs::last_write_time(path, fs::file_time_type::clock::now());
        return;
    }
    const std::string text = MakeDictionary(ReadDictionaryTables(tablesFolder.string()), language);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    std::cout << "made " << path.string() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_shipped_files BUILD_DIR TABLES_DIR\n";
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path tables = argv[2];
    try {
        CreateIfMissing(root / "Data" / "Pomix.ini", WriteSettingsFile);
        MakeDictionaryFile(root / "Lang" / "Russian.lng", tables, DictionaryLanguage::Russian);
        MakeDictionaryFile(root / "Lang" / "English.lng", tables, DictionaryLanguage::English);
        CreateIfMissing(root / "Media" / "alarm.wav", WriteAlarm);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
