// Text laid out for a terminal: how many columns UTF-8 text takes (Chinese
// characters take two) and the progress line of one download, fitted to the
// terminal's width.
#pragma once

#include <cstdint>
#include <string>

namespace vt::cli {

// Columns the text takes on a terminal: wide (East Asian) characters two,
// others one, control characters none.
int DisplayColumns(const std::string& utf8);

// The text cut to at most columns, ending in "..." when it was cut; never
// cuts a character.
std::string FitColumns(const std::string& utf8, int columns);

// One progress line (without line break) for an addon's download, at most
// columns wide: percentage, bar, sizes and as much of the name as fits.
std::string ProgressLine(const std::string& nameUtf8, int percent, int64_t done, int64_t total,
                         int columns);

}  // namespace vt::cli
