#include "tests/support/SimCardUpload.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace qv::test {
namespace {

constexpr std::uint32_t kBlockBytes = 32;
constexpr std::uint32_t kMaxBytes = 3460300;
constexpr std::uint32_t kWaveHeaderBytes = 44;

std::uint32_t Read24(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16); }
std::uint32_t Read32(const std::uint8_t* p) { return Read24(p) | (static_cast<std::uint32_t>(p[3]) << 24); }
std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

[[gnu::format(printf, 2, 3)]] void Violation(SimUpload& upload, const char* format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    upload.violations.emplace_back(text);
}

// Bytes a frame leaves 0: 1 .. 3 of every upload frame, 11 .. 38 of the header.
struct ByteRange {
    int first;
    int last;
};
constexpr ByteRange kHeaderReserved[] = {{1, 3}, {11, 38}};
constexpr ByteRange kBlockReserved[] = {{1, 3}};

// The first reserved byte that is not 0 is a violation, once per upload.
template <std::size_t N>
void CheckReserved(SimUpload& upload, const SimFrame& frame, const ByteRange (&reserved)[N], const char* name) {
    if (upload.reservedBreached) return;
    for (const ByteRange& range : reserved) {
        for (int i = range.first; i <= range.last; ++i) {
            const std::uint8_t value = frame[static_cast<std::size_t>(i)];
            if (value == 0) continue;
            upload.reservedBreached = true;
            Violation(upload, "%s: reserved byte %d is 0x%02X", name, i, value);
            return;
        }
    }
}

// The image the card keeps: a 44-byte header of mono 44100 Hz 16-bit PCM
// whose RIFF and data sizes add up to the size the header frame gave.
void CheckImage(SimUpload& upload) {
    const std::vector<std::uint8_t>& d = upload.data;
    if (d.size() < kWaveHeaderBytes || std::memcmp(d.data(), "RIFF", 4) != 0 || std::memcmp(d.data() + 8, "WAVEfmt ", 8) != 0 ||
        std::memcmp(d.data() + 36, "data", 4) != 0) {
        Violation(upload, "the image is no 44-byte-header WAV");
        return;
    }
    if (Read32(d.data() + 16) != 16 || Read16(d.data() + 20) != 1 || Read16(d.data() + 22) != 1 ||
        Read32(d.data() + 24) != 44100 || Read32(d.data() + 28) != 88200 || Read16(d.data() + 32) != 2 ||
        Read16(d.data() + 34) != 16)
        Violation(upload, "the image is not mono 44100 Hz 16-bit PCM");
    if (Read32(d.data() + 4) != upload.size - 8 || Read32(d.data() + 40) != upload.size - kWaveHeaderBytes)
        Violation(upload, "the image's sizes (RIFF %u, data %u) do not match the %u bytes sent", Read32(d.data() + 4),
                  Read32(d.data() + 40), upload.size);
}

}  // namespace

bool TakeUploadHeader(SimUpload& upload, const SimFrame& header) {
    upload = SimUpload{};
    upload.started = true;
    upload.slot = header[4];
    upload.blockCount = Read24(header.data() + 5);
    const std::uint32_t size = Read24(header.data() + 8);
    upload.size = std::min(size, kMaxBytes);
    upload.data.assign(upload.size, 0);
    if (upload.slot < 1 || upload.slot > 3) Violation(upload, "key %d does not exist", upload.slot);
    if (size == 0 || size > kMaxBytes) Violation(upload, "size %u is not 1 .. %u bytes", size, kMaxBytes);
    if (upload.blockCount != (size + kBlockBytes - 1) / kBlockBytes)
        Violation(upload, "%u blocks announced for %u bytes", upload.blockCount, size);
    CheckReserved(upload, header, kHeaderReserved, "the header");
    return true;
}

bool TakeUploadBlock(SimUpload& upload, const SimFrame& block) {
    const std::uint32_t index = Read24(block.data() + 36);
    if (!upload.started) {
        Violation(upload, "block %u came before a header", index);
        return false;
    }
    if (index >= upload.blockCount) {
        Violation(upload, "block %u is past the %u announced", index, upload.blockCount);
        return false;
    }
    if (index + 1 == upload.nextBlock) {
        ++upload.retries;  // the last block again: its answer went missing
    } else if (index != upload.nextBlock) {
        Violation(upload, "block %u came where block %u was due", index, upload.nextBlock);
        return false;
    } else {
        ++upload.nextBlock;
    }
    char name[32];
    std::snprintf(name, sizeof name, "block %u", index);
    CheckReserved(upload, block, kBlockReserved, name);
    const std::uint32_t offset = index * kBlockBytes;
    if (offset < upload.size) {
        const std::uint32_t n = std::min(kBlockBytes, upload.size - offset);
        std::memcpy(upload.data.data() + offset, block.data() + 4, n);
    }
    ++upload.blocksReceived;
    if (!upload.complete && upload.nextBlock == upload.blockCount) {
        upload.complete = true;
        CheckImage(upload);
    }
    return true;
}

std::string DescribeUpload(const SimUpload& upload) {
    if (!upload.started) return "no upload";
    char text[200];
    std::snprintf(text, sizeof text, "key %d: %u of %u blocks, %u bytes, %s, %u retries, %zu violations", upload.slot,
                  upload.nextBlock, upload.blockCount, upload.size, upload.complete ? "complete" : "incomplete",
                  upload.retries, upload.violations.size());
    std::string line = text;
    for (const std::string& v : upload.violations) line += "\n  violation: " + v;
    return line;
}

}  // namespace qv::test
