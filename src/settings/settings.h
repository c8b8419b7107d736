// The settings file next to the program and the game directory derived from
// the game path the user chose.
#pragma once

#include <string>

#include "tessel_version.h"

namespace vt::settings {

class CAppState;

// The program's own version, reported to the updater and the upgrade module:
// the build number (TESSEL_BUILD_NUMBER of the build).
constexpr int kProgramVersion = TESSEL_BUILD_NUMBER;

// The longest game path the program keeps, in bytes of the local code page:
// the settings file is read into a buffer of 200 characters.
constexpr size_t kMaxGamePathBytes = 199;

// Reads "Setting"/"GamePath" from ProgramDir + "config" and sets GamePath and
// GameDir of app from it; a missing file reads as no game path. A stored path
// longer than kMaxGamePathBytes would arrive cut, naming some parent
// directory: it counts as no game path (both fields empty) and the result is
// false.
bool LoadSettings(CAppState& app);
// The game's root directory for a chosen path: the documents folder's
// "VAEL\" when its addon directory holds an addon folder, else the chosen
// file's directory; both with a trailing backslash. Empty for an empty path.
std::string DeriveGameDir(const std::string& path);
// Stores the path in the settings file, then sets GamePath and GameDir of
// app. False, with the file and the fields as they were, for a path longer
// than kMaxGamePathBytes or when the file cannot be written.
bool SaveGamePath(CAppState& app, const std::string& path);
// Writes the program version into programDir + "ver.ini" for the updater.
void WriteVersionFile(const std::string& programDir);

}  // namespace vt::settings
