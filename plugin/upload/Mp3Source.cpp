#include "plugin/upload/Mp3Source.h"

#include <fcntl.h>
#include <mad.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/UniqueFd.h"

std::vector<std::uint8_t> LoadMp3File(const std::u16string& path) {
    qv::os::UniqueFd fd(::open(qv::os::NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info{};
    if (!fd || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return {};
    const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
    if (size > kMaxMp3SourceBytes) {
        QV_LOGE("sound file of %llu bytes is over the limit", static_cast<unsigned long long>(size));
        return {};
    }
    std::vector<std::uint8_t> bytes(size + MAD_BUFFER_GUARD, 0);
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + done, size - done);
        if (n <= 0) {
            QV_LOGE("sound file read short (%llu of %llu bytes)", static_cast<unsigned long long>(done),
                    static_cast<unsigned long long>(size));
            return {};
        }
        done += static_cast<std::uint64_t>(n);
    }
    return bytes;
}

std::vector<std::uint8_t> CopyMp3Bytes(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kMaxMp3SourceBytes) return {};
    std::vector<std::uint8_t> copy(bytes.size() + MAD_BUFFER_GUARD, 0);
    std::copy(bytes.begin(), bytes.end(), copy.begin());
    return copy;
}
