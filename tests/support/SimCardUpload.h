#pragma once
// What the simulated card makes of a sound upload into one of its keys, and
// what it checks: the header (0x02) names key 1 .. 3 and ceil(size / 32)
// blocks; blocks (0x04) come in order, a repeat of the last block taken is
// a retry taken without advancing, none comes past the count; the reserved
// bytes (1 .. 3 of every frame, 11 .. 38 of the header) are 0; once every
// block came, the image is a mono 44100 Hz 16-bit PCM WAV whose sizes match
// the header's size. Every breach is recorded as a violation (a reserved
// byte once per upload); a new header starts afresh.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

struct SimUpload {
    bool started = false;  // a header came
    int slot = 0;
    std::uint32_t blockCount = 0;
    std::uint32_t size = 0;
    std::uint32_t blocksReceived = 0;  // block frames taken, retries included
    std::uint32_t nextBlock = 0;       // blocks 0 .. nextBlock - 1 came in order
    std::uint32_t retries = 0;
    bool complete = false;             // every block came
    bool reservedBreached = false;     // a reserved byte was not 0
    std::vector<std::string> violations;
    std::vector<std::uint8_t> data;
};

using SimFrame = std::array<std::uint8_t, 64>;

// A header: the upload starts afresh. True: the card answers it.
bool TakeUploadHeader(SimUpload& upload, const SimFrame& header);
// A block: true when the card takes it (and answers it).
bool TakeUploadBlock(SimUpload& upload, const SimFrame& block);
// One line: key, blocks, bytes, state, retries, violations.
std::string DescribeUpload(const SimUpload& upload);

}  // namespace qv::test
