#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/console.h"

namespace vt::platform {

namespace {

int Descriptor(StdStream stream) {
    return stream == StdStream::kOut ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

StreamKind KindOfStream(StdStream stream) {
    const int fd = Descriptor(stream);
    if (::isatty(fd))
        return StreamKind::kTerminal;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode))
        return StreamKind::kCharDevice;
    return StreamKind::kFile;
}

bool WriteStream(StdStream stream, std::string_view utf8) {
    const int fd = Descriptor(stream);
    while (!utf8.empty()) {
        const ssize_t written = ::write(fd, utf8.data(), utf8.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        utf8.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

int TerminalColumns(StdStream stream) {
    const int fd = Descriptor(stream);
    if (!::isatty(fd))
        return 0;
    struct winsize size {};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 0;
}

bool ReadInputLine(std::string& line) {
    line.clear();
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return !line.empty();
        if (c == '\n')
            break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

}  // namespace vt::platform
