// A WAV file of any content: the header parse and the file reader agree, the
// samples they give lie inside the file, a read leaves the file as it was,
// and what is accepted converts for the card.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/Path.h"
#include "plugin/upload/CWaveFile.h"
#include "plugin/upload/ConvertForDevice.h"
#include "plugin/upload/WaveHeader.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "wave file fuzz: %s\n", what);
    std::abort();
}

const std::string& FuzzFile() {
    static const std::string path = [] {
        char pattern[] = "/tmp/qv-wavefuzz-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd >= 0) ::close(fd);
        return std::string(pattern);
    }();
    return path;
}

std::vector<std::uint8_t> ReadBack(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::uint8_t chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

int FuzzWaveFile(const std::uint8_t* data, std::size_t size) {
    const auto layout = ParseWaveHeader({data, size});
    if (layout) {
        if (layout->dataOffset + layout->dataSize > size) Fail("samples past the file");
        const PcmWaveFormat& f = layout->format;
        if (f.blockAlign != f.channels * f.bitsPerSample / 8 || f.samplesPerSec == 0) Fail("format not checked");
    }
    const std::string& path = FuzzFile();
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    {
        CWaveFile wave;
        const int opened = wave.Open(qv::os::ProgramPath(path), nullptr);
        if (opened != (layout ? 1 : 0)) Fail("reader and parser disagree");
        if (opened) {
            if (wave.GetHeaderSize() != layout->dataOffset || wave.GetDataSize() != layout->dataSize) Fail("layouts differ");
            const auto samples = wave.Samples();
            if (!samples.empty() && std::memcmp(samples.data(), data + layout->dataOffset, samples.size()) != 0)
                Fail("samples differ");
        }
    }
    const auto after = ReadBack(path);
    if (after.size() != size || (size && std::memcmp(after.data(), data, size) != 0)) Fail("a read changed the file");
    if (layout && layout->dataSize >= layout->format.blockAlign) {
        // Two seconds at most, as a key's limit cuts a sound.
        const std::uint64_t twoSeconds = 2ull * layout->format.avgBytesPerSec;
        const std::uint64_t length = std::min<std::uint64_t>(layout->dataSize, twoSeconds);
        const std::size_t whole = static_cast<std::size_t>(length - length % layout->format.blockAlign);
        if (whole == 0) return 0;
        const auto converted = ConvertToDeviceSamples({data + layout->dataOffset, whole}, layout->format);
        if (converted && converted->size() % 2) Fail("half a sample converted");
    }
    return 0;
}

#ifdef QV_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FuzzWaveFile(data, size); }
#endif
