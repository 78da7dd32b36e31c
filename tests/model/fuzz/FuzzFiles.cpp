#include "tests/model/fuzz/FuzzFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

struct FuzzFolder {
    std::string path;
    unsigned next = 0;
    FuzzFolder() {
        // In memory where there is a tmpfs: every profile write is flushed.
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "qv-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

FuzzFolder& Folder() {
    static FuzzFolder folder;
    return folder;
}

}  // namespace

std::string NewFuzzFilePath() {
    FuzzFolder& folder = Folder();
    return folder.path + "/" + std::to_string(folder.next++) + ".ini";
}

bool WriteFuzzFile(const std::string& path, const void* data, std::size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    return written;
}
