#include "platform/audio/SoundFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "platform/audio/PcmSource.h"
#include "platform/os/AtomicFile.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"

namespace qv::audio {

namespace {

AudioResult ErrnoFailure(const char16_t* what, int error) {
    return AudioResult::Fail(std::u16string(what) + qv::os::Utf8ToUtf16(std::strerror(error)));
}

}  // namespace

AudioResult ReadSoundFile(const std::u16string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    struct stat info {};
    // Only a regular file, opened without blocking (a FIFO would wait for a writer).
    const qv::os::UniqueFd file = qv::os::OpenRegularFile(qv::os::NativePath(path), info);
    if (!file) {
        if (errno == EINVAL) return AudioResult::Fail(u"The sound file is not a file.");
        return ErrnoFailure(u"The sound file cannot be opened: ", errno);
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaxSoundBytes) return AudioResult::Fail(u"The sound file is too large.");
    try {
        bytes.resize(static_cast<std::size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        return ErrnoFailure(u"The sound file cannot be read: ", ENOMEM);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ErrnoFailure(u"The sound file cannot be read: ", errno);
        if (n == 0) break;  // shortened while read: take what is there
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return AudioResult::Ok();
}

}  // namespace qv::audio
