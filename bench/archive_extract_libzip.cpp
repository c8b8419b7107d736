// libzip's extraction as a program of its own: every member through
// zip_fopen_index into a 1 MB buffer and out with open, write and close;
// directory members with mkdir.   archive_extract_libzip ARCHIVE TARGET_DIR
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    int error = 0;
    zip_t* archive = zip_open(argv[1], ZIP_RDONLY, &error);
    if (archive == nullptr)
        return 1;
    const std::string target = std::string(argv[2]) + "/";
    std::vector<char> buffer(1 << 20);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    int status = 0;
    for (zip_int64_t i = 0; i < count && status == 0; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        if (name == nullptr) {
            status = 1;
            break;
        }
        const std::string path = target + name;
        if (path.back() == '/') {
            ::mkdir(path.c_str(), 0755);
            continue;
        }
        zip_file_t* member = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (member == nullptr || fd < 0)
            status = 1;
        for (zip_int64_t got;
             status == 0 && (got = zip_fread(member, buffer.data(), buffer.size())) != 0;) {
            if (got < 0 || ::write(fd, buffer.data(), static_cast<size_t>(got)) != got)
                status = 1;
        }
        if (fd >= 0)
            ::close(fd);
        if (member != nullptr)
            zip_fclose(member);
    }
    zip_discard(archive);
    return status;
}
