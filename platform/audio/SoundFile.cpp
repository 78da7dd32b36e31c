#include "platform/audio/SoundFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/audio/PcmSource.h"
#include "platform/os/Path.h"
#include "platform/os/UniqueFd.h"
#include "platform/os/Utf.h"

namespace qv::audio {

namespace {

AudioResult ErrnoFailure(const char16_t* what, int error) {
    return AudioResult::Fail(std::u16string(what) + qv::os::Utf8ToUtf16(std::strerror(error)));
}

}  // namespace

AudioResult ReadSoundFile(const std::u16string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    qv::os::UniqueFd file(::open(qv::os::NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) return ErrnoFailure(u"The sound file cannot be opened: ", errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) return ErrnoFailure(u"The sound file cannot be read: ", errno);
    if (!S_ISREG(info.st_mode)) return AudioResult::Fail(u"The sound file is not a file.");
    if (static_cast<std::uint64_t>(info.st_size) > kMaxSoundBytes) return AudioResult::Fail(u"The sound file is too large.");
    bytes.resize(static_cast<std::size_t>(info.st_size));
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
