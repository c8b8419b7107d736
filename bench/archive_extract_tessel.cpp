// This project's extraction as a program of its own, for whole-process
// comparison with the other extractors: ExtractArchive into the directory.
//   archive_extract_tessel ARCHIVE TARGET_DIR
#include "archive/extract_archive.h"
#include "platform/native_path_posix.h"

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    return vt::archive::ExtractArchive(vt::platform::FromNativePath(argv[1]),
                                       vt::platform::FromNativePath(argv[2]))
                   .Ok()
               ? 0
               : 1;
}
