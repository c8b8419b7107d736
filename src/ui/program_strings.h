// The program's string table as UTF-8 texts, for front ends without the
// Windows resources (the Windows program reads the same texts with LoadText).
#pragma once

namespace vt::ui {

// The text of a string-table entry, or "" when there is none.
const char* ProgramText(int id);

}  // namespace vt::ui
