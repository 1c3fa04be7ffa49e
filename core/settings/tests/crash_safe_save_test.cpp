// Saves killed at every moment: a child process saves a large data file (or rewrites a
// language dictionary) and is killed with
// SIGKILL after a delay that moves, run by run, from before the save starts to after it ends.
// After every kill the file must load whole and hold either the content it held before or the
// content being saved, and at most one temporary may lie beside it, which the next save takes
// over: killed saves never pile up leftovers.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/settings/ini_file.h"
#include "storage/backups.h"
#include "storage/errors.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kStreamName = "NBook";

// Record-like text that compresses about as well as a notes file: numbered lines of words.
std::string Content(char tag, std::size_t size) {
    static const char* const kWords[] = {"заметка", "встреча", "note", "list", "2026", "Иванов"};
    std::string text(1, tag);
    std::uint32_t x = static_cast<unsigned char>(tag);
    while (text.size() < size) {
        x = x * 1103515245u + 12345u;
        text += kWords[(x >> 16) % 6];
        text += (x >> 8) % 9 == 0 ? '\n' : ' ';
        text += std::to_string(x % 1000);
    }
    text.resize(size);
    return text;
}

// The files in the folder other than the data file itself.
std::vector<std::string> Leftovers(const fs::path& folder, const std::string& dataFile) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        // The day's copy goes to its own folder, which is no temporary.
        if (name != dataFile && name != kBackupFolderName) names.push_back(name);
    }
    return names;
}

class KilledSave : public ::testing::Test {
protected:
    // Saves content as the one stream of the file, the way every section saves.
    void SaveDataFile(const std::string& content) {
        StreamContainer container;
        container.Compressed = compressed_;
        SectionFile file(container, path_, kStreamName);
        file.Save([&content](Stream& s) { s.Write(content.data(), content.size()); });
    }
    // The stream the file holds now; fails the test when it does not load whole.
    std::string LoadDataFile() {
        StreamContainer container;
        SectionFile file(container, path_, kStreamName);
        std::string content;
        const bool whole = file.Load([&content](Stream& s) {
            content.resize(s.Remaining());
            s.ReadBuffer(content.data(), content.size());
        });
        EXPECT_TRUE(whole);
        return content;
    }

    // Saves content into a dictionary as a window's list is written back: one key per line.
    void SaveDictionary(const std::string& content) {
        IniFile::Entries entries;
        std::size_t start = 0;
        while (start <= content.size()) {
            std::size_t end = content.find('\n', start);
            if (end == std::string::npos) end = content.size();
            entries.emplace_back("Item" + std::to_string(entries.size()), content.substr(start, end - start));
            start = end + 1;
        }
        IniFile(path_).WriteSection("Form.List", entries);
    }
    std::string LoadDictionary() {
        std::string content;
        for (const auto& [key, value] : IniFile(path_).ReadSection("Form.List")) {
            if (!content.empty() || key != "Item0") content += '\n';
            content += value;
        }
        return content;
    }

    void Save(const std::string& content) {
        if (dictionary_) {
            SaveDictionary(content);
        } else {
            SaveDataFile(content);
        }
    }
    std::string Load() { return dictionary_ ? LoadDictionary() : LoadDataFile(); }

    // Starts a child saving content and kills it once beforeKill returns (none: the child
    // saves to the end).
    void SaveInChild(const std::string& content, const std::function<void()>& beforeKill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                Save(content);
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        if (beforeKill) {
            beforeKill();
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        // A child that finished before the kill must have saved without an error.
        if (WIFEXITED(status)) {
            ASSERT_EQ(WEXITSTATUS(status), 0);
        }
    }
    static std::function<void()> After(Clock::duration delay) {
        return [delay] { std::this_thread::sleep_for(delay); };
    }
    // Waits until the save's temporary is there (for at most five seconds), then a little.
    std::function<void()> WhileWriting(int run) const {
        return [temp = path_ + ".saving", run] {
            const auto end = Clock::now() + std::chrono::seconds(5);
            while (!fs::exists(temp) && Clock::now() < end) std::this_thread::sleep_for(std::chrono::microseconds(50));
            std::this_thread::sleep_for(std::chrono::microseconds(run % 8 * 100));
        };
    }

    // Kills saves at `runs` moments spread evenly over [0, 1.2 x the time of a whole save].
    void KillAcrossTheSave(int runs, std::size_t size) {
        const std::string contents[2] = {Content('A', size), Content('B', size)};
        Save(contents[0]);
        int held = 0;

        const auto start = Clock::now();
        SaveInChild(contents[1], nullptr);
        const auto whole = Clock::now() - start;
        ASSERT_EQ(Load(), contents[1]);
        held = 1;

        int oldKept = 0, newTaken = 0, leftoverSeen = 0;
        const auto killAt = [&](const std::function<void()>& beforeKill, int run) {
            const int saving = 1 - held;
            SaveInChild(contents[saving], beforeKill);
            const std::string loaded = Load();
            if (loaded == contents[saving]) {
                held = saving;
                ++newTaken;
            } else {
                ASSERT_EQ(loaded, contents[held]) << "run " << run << ": neither old nor new";
                ++oldKept;
            }
            const auto left = Leftovers(scratch_.Path(), fs::path(path_).filename().string());
            ASSERT_LE(left.size(), 1u) << "run " << run << ": temporaries pile up";
            leftoverSeen += !left.empty();
        };
        for (int run = 0; run < runs; ++run) {
            ASSERT_NO_FATAL_FAILURE(killAt(After(whole * 6 / 5 * run / runs), run));
        }
        // On a busy machine a save may take longer than the one measured: later moments then,
        // until a kill comes after the rename.
        auto late = whole * 6 / 5;
        for (int run = runs; newTaken == 0 && run < runs + 20; ++run) {
            late = late * 3 / 2;
            ASSERT_NO_FATAL_FAILURE(killAt(After(late), run));
        }
        // Writing may be a small part of a save (a dictionary is mostly read, rebuilt and
        // joined, slowly so under the sanitizers), and a slow machine stretches the rest: then
        // kills once the temporary has appeared, until one lands while it is being written.
        for (int run = 0; wantLeftover_ && leftoverSeen == 0 && run < 40; ++run) {
            ASSERT_NO_FATAL_FAILURE(killAt(WhileWriting(run), runs + 20 + run));
        }
        // The moments covered the save: some kills came before the rename, some after.
        EXPECT_GT(oldKept, 0);
        EXPECT_GT(newTaken, 0);
        leftovers_ = leftoverSeen;

        // A save that runs to its end removes whatever a killed one left.
        Save(contents[0]);
        EXPECT_EQ(Load(), contents[0]);
        EXPECT_TRUE(Leftovers(scratch_.Path(), fs::path(path_).filename().string()).empty());
    }

    testing::ScratchDir scratch_;
    std::string path_ = scratch_.File("Note.dat");
    bool compressed_ = true;
    bool dictionary_ = false;
    bool wantLeftover_ = false;  // the test needs a kill while the temporary is written
    int leftovers_ = 0;  // kills after which a temporary was left
};

// Most of a compressed save is compressing in memory, so few kills land in the writing; the
// stored file below spends its save writing, flushing and renaming.
TEST_F(KilledSave, CompressedFileIsAlwaysOldOrNew) {
    compressed_ = true;
    KillAcrossTheSave(60, 512 << 10);
}

TEST_F(KilledSave, StoredFileIsAlwaysOldOrNew) {
    compressed_ = false;
    wantLeftover_ = true;
    KillAcrossTheSave(200, 3 << 19);
    EXPECT_GT(leftovers_, 0) << "no kill landed while the temporary was being written";
}

// A language dictionary is rewritten whole when the program closes.
TEST_F(KilledSave, DictionaryIsAlwaysOldOrNew) {
    dictionary_ = true;
    wantLeftover_ = true;
    path_ = scratch_.File("Russian.lng");
    KillAcrossTheSave(200, 900 << 10);
    EXPECT_GT(leftovers_, 0) << "no kill landed while the temporary was being written";
}

}  // namespace
}  // namespace pomix
