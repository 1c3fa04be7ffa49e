#include "core/settings/user_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "storage/errors.h"

namespace fs = std::filesystem;

namespace pomix {
namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "pomix-folder-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        // Undo any read-only modes a test left, so that the folder can go.
        for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
             it.increment(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(path_, ignored);
    }
    std::string Path(const std::string& relative = "") const { return (fs::path(path_) / relative).string(); }

private:
    std::string path_;
};

void Write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A shipped tree as the installation lays it out under share/pomix/.
void MakeShipped(const ScratchFolder& root) {
    Write(root.Path("share/Data/Pomix.ini"), "shipped settings");
    Write(root.Path("share/Lang/Russian.lng"), "shipped russian");
    Write(root.Path("share/Lang/English.lng"), "shipped english");
    Write(root.Path("share/Media/alarm.wav"), std::string("RIFF\0\x01\x02", 7));
}

TEST(ChooseProgramDir, DataBesideTheProgramKeepsEverythingThere) {
    ScratchFolder root;
    fs::create_directories(root.Path("bin/Data"));
    const std::string exeDir = root.Path("bin");
    EXPECT_EQ(ChooseProgramDir(exeDir, "/xdg", "/home/u"), exeDir + "/");
    EXPECT_FALSE(IsUserProgramDir(ChooseProgramDir(exeDir + "/", "/xdg", "/home/u"), exeDir));

    // A read-only copy (a stick, a CD) is still the user's copy: it is not traded for another.
    fs::permissions(root.Path("bin/Data"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ChooseProgramDir(exeDir, "/xdg", "/home/u"), exeDir + "/");
}

TEST(ChooseProgramDir, InstalledProgramUsesTheUsersDataFolder) {
    ScratchFolder root;
    fs::create_directories(root.Path("bin"));
    const std::string exeDir = root.Path("bin") + "/";
    const struct {
        const char* xdg;
        const char* home;
        std::string expected;
    } cases[] = {
        {"/xdg/data", "/home/u", "/xdg/data/pomix/"},
        {"/xdg/data/", "/home/u", "/xdg/data/pomix/"},
        {nullptr, "/home/u", "/home/u/.local/share/pomix/"},
        {"", "/home/u/", "/home/u/.local/share/pomix/"},
        {"relative/data", "/home/u", "/home/u/.local/share/pomix/"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""},
    };
    for (const auto& c : cases) {
        const std::string chosen = ChooseProgramDir(exeDir, c.xdg, c.home);
        EXPECT_EQ(chosen, c.expected) << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
        if (!chosen.empty()) {
            EXPECT_TRUE(IsUserProgramDir(chosen, exeDir));
        }
    }
    // A file named Data is no data folder.
    Write(root.Path("bin/Data"), "");
    EXPECT_EQ(ChooseProgramDir(exeDir, "/xdg", nullptr), "/xdg/pomix/");
}

TEST(ShippedFilesDir, IsRelativeToTheProgram) {
    EXPECT_EQ(ShippedFilesDir("/usr/local/bin/", "../share/pomix"), "/usr/local/bin/../share/pomix/");
    EXPECT_EQ(ShippedFilesDir("/opt/p/bin", "../share/pomix/"), "/opt/p/bin/../share/pomix/");
}

TEST(MakeDataFolder, CreatesTheFoldersOnTheWayAndReportsWhatItCannot) {
    ScratchFolder root;
    const std::string programDir = root.Path("home/.local/share/pomix/");
    MakeDataFolder(programDir);
    EXPECT_TRUE(fs::is_directory(programDir + "Data"));
    EXPECT_EQ(fs::status(programDir + "Data").permissions() & fs::perms::all, fs::perms::owner_all);
    MakeDataFolder(programDir);  // a second start finds it there

    // A file where a folder should be stops any user, also root.
    Write(root.Path("blocked"), "");
    EXPECT_THROW(MakeDataFolder(root.Path("blocked/pomix/")), EFileError);
}

TEST(PopulateProgramDir, FirstStartCopiesEveryShippedFile) {
    ScratchFolder root;
    MakeShipped(root);
    const std::string programDir = root.Path("user/pomix/");
    MakeDataFolder(programDir);
    const PopulateResult result = PopulateProgramDir(root.Path("share"), programDir);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_EQ(result.copied.size(), 4u);
    EXPECT_EQ(Read(programDir + "Data/Pomix.ini"), "shipped settings");
    EXPECT_EQ(Read(programDir + "Lang/Russian.lng"), "shipped russian");
    EXPECT_EQ(Read(programDir + "Lang/English.lng"), "shipped english");
    EXPECT_EQ(Read(programDir + "Media/alarm.wav"), std::string("RIFF\0\x01\x02", 7));
    // No temporary file is left beside the copies.
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(programDir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 4u);
    // Installed files may be read-only; the user's copies must stay writable for the saves.
    EXPECT_EQ(::access((programDir + "Data/Pomix.ini").c_str(), W_OK), 0);
}

TEST(PopulateProgramDir, NeverOverwritesWhatTheUserHas) {
    ScratchFolder root;
    MakeShipped(root);
    const std::string programDir = root.Path("user/pomix/");
    Write(programDir + "Data/Pomix.ini", "my settings");
    Write(programDir + "Lang/Russian.lng", "");  // even an empty file is the user's
    fs::create_directories(programDir + "Media/alarm.wav");  // and so is a folder of that name
    fs::create_symlink(root.Path("nowhere/English.lng"), programDir + "Lang/English.lng");

    const PopulateResult result = PopulateProgramDir(root.Path("share"), programDir);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_TRUE(result.copied.empty());
    EXPECT_EQ(Read(programDir + "Data/Pomix.ini"), "my settings");
    EXPECT_EQ(Read(programDir + "Lang/Russian.lng"), "");
    EXPECT_TRUE(fs::is_directory(programDir + "Media/alarm.wav"));
    // The dangling link was not followed to create a file where it points.
    EXPECT_FALSE(fs::exists(root.Path("nowhere")));

    // Only what is missing comes back.
    fs::remove(programDir + "Lang/Russian.lng");
    const PopulateResult again = PopulateProgramDir(root.Path("share"), programDir);
    ASSERT_EQ(again.copied.size(), 1u);
    EXPECT_EQ(again.copied[0], programDir + "Lang/Russian.lng");
    EXPECT_EQ(Read(programDir + "Lang/Russian.lng"), "shipped russian");
    EXPECT_EQ(Read(programDir + "Data/Pomix.ini"), "my settings");
}

TEST(PopulateProgramDir, AlreadyPopulatedReadOnlyFolderNeedsNoWrite) {
    ScratchFolder root;
    MakeShipped(root);
    const std::string programDir = root.Path("user/pomix/");
    ASSERT_TRUE(PopulateProgramDir(root.Path("share"), programDir).errors.empty());
    for (const char* folder : {"Data", "Lang", "Media"}) {
        fs::permissions(programDir + folder, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const PopulateResult result = PopulateProgramDir(root.Path("share"), programDir);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_TRUE(result.copied.empty());
}

TEST(PopulateProgramDir, ReportsEachFileItCannotMakeAndCopiesTheRest) {
    ScratchFolder root;
    MakeShipped(root);
    const std::string programDir = root.Path("user/pomix/");
    fs::create_directories(programDir);
    Write(programDir + "Lang", "a file where the dictionaries' folder belongs");
    const PopulateResult result = PopulateProgramDir(root.Path("share"), programDir);
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_NE(result.errors[0].find(programDir + "Lang"), std::string::npos) << result.errors[0];
    EXPECT_EQ(Read(programDir + "Data/Pomix.ini"), "shipped settings");
    EXPECT_EQ(Read(programDir + "Media/alarm.wav").size(), 7u);
}

TEST(PopulateProgramDir, ReadOnlyFolderMissingAFileReportsIt) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ScratchFolder root;
    MakeShipped(root);
    const std::string programDir = root.Path("user/pomix/");
    fs::create_directories(programDir + "Data");
    fs::permissions(programDir + "Data", fs::perms::owner_read | fs::perms::owner_exec);
    const PopulateResult result = PopulateProgramDir(root.Path("share"), programDir);
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0], "Cannot create file " + programDir + "Data/Pomix.ini");
    EXPECT_EQ(result.copied.size(), 3u);
}

TEST(PopulateProgramDir, NothingShippedCopiesNothing) {
    ScratchFolder root;
    const PopulateResult result = PopulateProgramDir(root.Path("no-share"), root.Path("user/pomix"));
    EXPECT_TRUE(result.errors.empty());
    EXPECT_TRUE(result.copied.empty());
}

}  // namespace
}  // namespace pomix
