// Where the program's folders are: Data/, Lang/ and Media/ beside the executable.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace pomix {

// The folder holding Data/, Lang/ and Media/, ending in "/": AppDir() unless set otherwise
// (tests run the windows over a folder of their own).
const std::string& ProgramDir();
void SetProgramDir(std::string folder);

// ProgramDir() + "Data/": every data file and the settings file live here.
std::string DataDir();

// The file-name part of a name that should hold no folder: anything up to the last "/" or
// "\" is dropped, and "." or ".." alone gives the empty name. A settings field edited by hand
// thus cannot point the dictionary write-back or the sound outside its folder.
std::string FileNameOnly(const std::string& name);

// ProgramDir() + "Lang/" + the file name of languageFile; empty when there is no name. The
// names are code page 1251 (as the settings hold them); the paths are UTF-8, the file system's.
std::string DictionaryPath(const std::string& languageFile);
// ProgramDir() + "Media/" + the file name of alarmSound; empty when there is no name.
std::string AlarmSoundPath(const std::string& alarmSound);

bool FileExists(const std::string& path);

// One flag per window: set, the window recolours itself from the settings when next shown.
// 0 planner, 1 address book, 2 notes, 3 catalog, 4 debt book, 5 settings, 6 main window,
// 7 date picker.
inline constexpr int kRecolourPlanner = 0, kRecolourAddressBook = 1, kRecolourNotes = 2,
                     kRecolourCatalog = 3, kRecolourDebts = 4, kRecolourSettings = 5,
                     kRecolourMain = 6, kRecolourDatePicker = 7;
extern std::array<std::uint8_t, 8> RecolourPending;
void SetAllRecolourPending();

}  // namespace pomix
