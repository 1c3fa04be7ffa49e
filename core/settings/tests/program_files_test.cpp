#include "core/settings/program_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace pomix {
namespace {

TEST(FileNameOnly, DropsEveryFolderPart) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"Russian.lng", "Russian.lng"},
        {"", ""},
        {"../../etc/passwd", "passwd"},
        {"..\\..\\Windows\\win.ini", "win.ini"},
        {"/tmp/x.lng", "x.lng"},
        {"Lang/", ""},
        {"..", ""},
        {".", ""},
        {"a/..", ""},
        {"sub\\..\\alarm.wav", "alarm.wav"},
        {"..name.lng", "..name.lng"},  // dots inside a name are no folder part
    };
    for (const auto& c : cases) EXPECT_EQ(FileNameOnly(c.name), c.expected) << c.name;
}

TEST(ProgramFolders, PathsStayInsideTheirFolders) {
    SetProgramDir("/opt/pomix");
    EXPECT_EQ(ProgramDir(), "/opt/pomix/");
    EXPECT_EQ(DataDir(), "/opt/pomix/Data/");
    EXPECT_EQ(DictionaryPath("Russian.lng"), "/opt/pomix/Lang/Russian.lng");
    EXPECT_EQ(DictionaryPath("../Data/Pomix.ini"), "/opt/pomix/Lang/Pomix.ini");
    EXPECT_EQ(DictionaryPath(""), "");
    EXPECT_EQ(DictionaryPath(".."), "");
    EXPECT_EQ(AlarmSoundPath("..\\..\\boot.wav"), "/opt/pomix/Media/boot.wav");
    SetProgramDir("");
}

TEST(ProgramFolders, CyrillicNamesAreFoundOnDisk) {
    // "Звонок.wav" and "Русский.lng" as the settings hold them, in code page 1251.
    const std::string sound = "\xc7\xe2\xee\xed\xee\xea.wav";
    const std::string dictionary = "\xd0\xf3\xf1\xf1\xea\xe8\xe9.lng";
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pomix-names-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "Media");
    std::filesystem::create_directories(folder / "Lang");
    std::ofstream(folder.string() + "/Media/Звонок.wav") << "RIFF";
    std::ofstream(folder.string() + "/Lang/Русский.lng") << "[x]";
    SetProgramDir(folder.string());
    EXPECT_EQ(AlarmSoundPath(sound), folder.string() + "/Media/Звонок.wav");
    EXPECT_TRUE(FileExists(AlarmSoundPath(sound)));
    EXPECT_TRUE(FileExists(DictionaryPath("..\\" + dictionary)));
    SetProgramDir("");
    std::filesystem::remove_all(folder);
}

TEST(RecolourPending, AllEightAreSetTogether) {
    RecolourPending.fill(0);
    SetAllRecolourPending();
    for (std::uint8_t flag : RecolourPending) EXPECT_EQ(flag, 1);
}

}  // namespace
}  // namespace pomix
