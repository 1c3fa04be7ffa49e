#include "settings/program_files.h"

#include <gtest/gtest.h>

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

TEST(RecolourPending, AllEightAreSetTogether) {
    RecolourPending.fill(0);
    SetAllRecolourPending();
    for (std::uint8_t flag : RecolourPending) EXPECT_EQ(flag, 1);
}

}  // namespace
}  // namespace pomix
