// Stands in for the updater in the native tests: records its argument vector
// and current directory in "seen.txt" of its current directory
// ("ARGV0|ARGUMENT_COUNT|CWD").
#include <unistd.h>

#include <climits>
#include <cstdio>

int main(int argc, char** argv) {
    char cwd[PATH_MAX] = {};
    if (getcwd(cwd, sizeof cwd) == nullptr)
        return 1;
    FILE* out = std::fopen("seen.tmp", "w");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "%s|%d|%s\n", argc > 0 ? argv[0] : "", argc - 1, cwd);
    std::fclose(out);
    // Appears whole or not at all for the waiting test.
    return std::rename("seen.tmp", "seen.txt") == 0 ? 0 : 1;
}
