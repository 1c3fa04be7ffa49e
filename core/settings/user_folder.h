// Where an installed program keeps its files. Run from a folder that has Data/ beside the
// executable (the build folder, a copy carried on a stick), everything stays there. An
// installed program has no Data/ beside it: it keeps Data/, Lang/ and Media/ in the user's
// data folder and fills that folder from the shipped copies on the first start.
#pragma once

#include <string>
#include <vector>

namespace pomix {

// The folder that holds Data/, Lang/ and Media/, ending in "/":
//   exeDir, when exeDir + "Data" is a folder (whether or not it is writable: a read-only copy
//     is still the user's copy, and its saves fail with their own message);
//   otherwise xdgDataHome + "/pomix/" when xdgDataHome is an absolute path;
//   otherwise home + "/.local/share/pomix/".
// The empty text when none of these applies (no Data/ beside the program and no home).
// The two environment values may be null.
std::string ChooseProgramDir(const std::string& exeDir, const char* xdgDataHome, const char* home);

// The same, read from the environment (XDG_DATA_HOME, HOME, then the password database).
std::string ChooseProgramDir(const std::string& exeDir);

// True when programDir is not exeDir: the program runs installed, on the user's data folder.
bool IsUserProgramDir(const std::string& programDir, const std::string& exeDir);

// programDir + "Data/", whether or not programDir ends in "/".
std::string DataDirIn(const std::string& programDir);

// The installed copies of the shipped files: exeDir + relativeShareDir, ending in "/".
std::string ShippedFilesDir(const std::string& exeDir, const std::string& relativeShareDir);

// Makes programDir + "Data/" (and the folders above it). Throws EFileError when it cannot.
void MakeDataFolder(const std::string& programDir);

// Copies every file of shippedDir's Data/, Lang/ and Media/ folders into the same folders of
// programDir, creating them. A name that exists in programDir (a file, a folder, even a
// dangling link) is never touched: the user's settings, dictionaries and sounds win over the
// shipped ones. Each file is written beside its place and then linked to its name, so an
// interrupted copy leaves no half-written settings file behind that a later start would keep.
// Returns one message per file or folder that could not be made; the rest are still copied.
struct PopulateResult {
    std::vector<std::string> copied;  // the paths made in programDir
    std::vector<std::string> errors;  // "Cannot create file %s" and the like
};
PopulateResult PopulateProgramDir(const std::string& shippedDir, const std::string& programDir);

}  // namespace pomix
