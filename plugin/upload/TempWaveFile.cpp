#include "plugin/upload/TempWaveFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"

std::u16string MakeTempWaveFile() {
    const std::string pattern = qv::os::NativePath(qv::os::TempFolder()) + "QvWavFormXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        QV_LOGE("no temporary file %s: %s", pattern.c_str(), std::strerror(errno));
        return {};
    }
    ::close(fd);
    return qv::os::Utf8ToUtf16(name.data());
}

void DeleteTempWaveFile(std::u16string& path) {
    if (!path.empty()) ::unlink(qv::os::NativePath(path).c_str());
    path.clear();
}
