// Writes the files shipped beside the program into the build folder given as the argument:
//   Data/Pomix.ini      a complete settings file with the defaults below
//   Lang/Russian.lng    the Russian dictionary: the windows' texts and the colour schemes' names
//   Media/alarm.wav     a short alarm sound
// A file that exists already is left alone: the program rewrites Data/ and Lang/ while it
// runs, and a rebuild must not undo a user's changes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "settings/ini_file.h"
#include "settings/settings_record.h"
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

struct Entry {
    const char* section;
    const char* key;
    const char* value;
};

const Entry kDictionary[] = {
    {"MainForm", "StaticButton1_Caption", "Ежедневник"},
    {"MainForm", "StaticButton1_Hint", "События, дела и напоминания"},
    {"MainForm", "StaticButton2_Caption", "Записная книжка"},
    {"MainForm", "StaticButton2_Hint", "Адреса, телефоны и дни рождения"},
    {"MainForm", "StaticButton3_Caption", "Заметки"},
    {"MainForm", "StaticButton3_Hint", "Заметки с датой изменения"},
    {"MainForm", "StaticButton4_Caption", "Каталог"},
    {"MainForm", "StaticButton4_Hint", "Каталог коллекции по категориям"},
    {"MainForm", "StaticButton5_Caption", "Долговая книга"},
    {"MainForm", "StaticButton5_Hint", "Долги: кому и сколько"},
    {"MainForm", "StaticButton6_Caption", "Настройки"},
    {"MainForm", "StaticButton6_Hint", "Настройки программы"},
    {"MainForm", "Button1_Caption", "Да"},
    {"MainForm", "Button1_Hint", "Проверить пароль"},
    {"MainForm", "Button2_Caption", "Отмена"},
    {"MainForm", "Button2_Hint", "Закрыть программу"},
    {"MainForm", "Text2_Caption", "Введите пароль"},
    {"SetupForm", "Text1_Caption", "О Программе"},
    {"SetupForm", "Label1_Caption", "Pomix"},
    {"SetupForm", "Label2_Caption", "Версия 1.1 BETA"},
    {"SetupForm", "Label5_Caption",
     "Все пожелания, просьбы, ошибки по работе данной программы отправлять на мой email. "
     "Этим Вы внесете вклад в развитие программы."},
    {"SetupForm", "TabSheet1_Caption", "Основные"},
    {"SetupForm", "TabSheet2_Caption", "Ежедневник"},
    {"SetupForm", "TabSheet3_Caption", "Записная книжка"},
    {"SetupForm", "TabSheet4_Caption", "Заметки"},
    {"SetupForm", "TabSheet5_Caption", "Каталог"},
    {"SetupForm", "TabSheet6_Caption", "Долговая книга"},
    {"SetupForm", "Label8_Caption", "Цветовые схемы"},
    {"SetupForm", "Label9_Caption", "Язык"},
    {"SetupForm", "CheckBox1_Caption", "Показывать подсказки всплывающие подсказки hints"},
    {"SetupForm", "CheckBox2_Caption", "Проверять пароль"},
    {"SetupForm", "CheckBox3_Caption", "Подтверждать удаление"},
    {"SetupForm", "CheckBox4_Caption", "Выделять дни с запланированными делами"},
    {"SetupForm", "CheckBox5_Caption", "Показывать возраст"},
    {"SetupForm", "Label10_Caption", "За время"},
    {"SetupForm", "Label11_Caption", "Звуковой файл"},
    {"SetupForm", "Label12_Caption", "Оповещать о событиях"},
    {"SetupForm", "Label13_Caption", "Проверка дней рождений за ( дней )"},
    {"SetupForm", "Label14_Caption", "Названия категорий"},
    {"SetupForm", "Label15_Caption", "Символ для просроченных долгов"},
    {"SetupForm", "Button1_Caption", "Сохранить"},
    {"SetupForm", "Button2_Caption", "Добавить"},
    {"SetupForm", "Button3_Caption", "Удалить"},
};

// The names of the seven colour schemes of the settings window, in scheme order.
const char* const kSchemeNames[] = {"Стальная", "Серебристая", "Небесная", "Сиреневая",
                                    "Розовая",  "Песочная",    "Оливковая"};

void WriteDictionary(const fs::path& path) {
    {
        std::ofstream header(path, std::ios::binary);
        header << W("; Pomix: русские тексты окон") << "\r\n";
    }
    IniFile file(path.string());
    for (const char* section : {"MainForm", "SetupForm"}) file.WriteInteger(section, "FormVersion", 0);
    for (const Entry& e : kDictionary) file.WriteString(e.section, e.key, W(e.value));
    const std::string schemes = "SetupForm.ComboBox1_Items";
    file.WriteInteger(schemes, "Count", static_cast<int>(std::size(kSchemeNames)));
    for (std::size_t i = 0; i < std::size(kSchemeNames); ++i) {
        file.WriteString(schemes, "Item" + std::to_string(i), W(kSchemeNames[i]));
    }
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
    if (fs::exists(path)) return;
    fs::create_directories(path.parent_path());
    write(path);
    std::cout << "created " << path.string() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_shipped_files BUILD_DIR\n";
        return 2;
    }
    const fs::path root = argv[1];
    try {
        CreateIfMissing(root / "Data" / "Pomix.ini", WriteSettingsFile);
        CreateIfMissing(root / "Lang" / "Russian.lng", WriteDictionary);
        CreateIfMissing(root / "Media" / "alarm.wav", WriteAlarm);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
