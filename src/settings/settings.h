// The settings file next to the program and the game directory derived from
// the game path the user chose.
#pragma once

#include <string>

namespace vt {

// The program's own version, reported to the updater and the upgrade module.
constexpr int kProgramVersion = 9125;

// Reads "Setting"/"GamePath" from ProgramDir + "config" and sets GamePath and
// GameDir from it; a missing file reads as no game path.
void LoadSettings();
// The game's root directory for a chosen path: the documents folder's
// "VAEL\" when its addon directory holds an addon folder, else the chosen
// file's directory; both with a trailing backslash. Empty for an empty path.
std::string DeriveGameDir(const std::string& path);
// Sets GamePath and GameDir and stores the path in the settings file. A failed
// write is not reported: the fields already hold the choice.
void SaveGamePath(const std::string& path);
// Writes the program version into ProgramDir + "ver.ini" for the updater.
void WriteVersionFile();

}  // namespace vt
