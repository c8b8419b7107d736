// The standard output streams of a command-line program: what each one is
// attached to, writing UTF-8 text to it, and a terminal's width.
#pragma once

#include <string>
#include <string_view>

namespace vt::platform {

enum class StdStream { kOut, kErr };

enum class StreamKind {
    kTerminal,    // an interactive console or terminal
    kCharDevice,  // another character device (NUL, /dev/null, a serial line)
    kFile,        // a file, a pipe, or nothing at all
};

StreamKind KindOfStream(StdStream stream);

// Writes UTF-8 text. A Windows console gets the whole text as one
// wide-character write, so no character is cut and the console's code page
// does not matter (it is never changed); everything else gets the bytes as
// they are. False when the write failed.
bool WriteStream(StdStream stream, std::string_view utf8);

// The width of the terminal the stream shows on, in columns; 0 when it is
// not a terminal or the width is unknown.
int TerminalColumns(StdStream stream);

// One line from standard input without its line break ("\n" or "\r\n");
// false at the end of the input.
bool ReadInputLine(std::string& line);

}  // namespace vt::platform
