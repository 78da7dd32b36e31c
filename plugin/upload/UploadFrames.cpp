#include "plugin/upload/UploadFrames.h"

#include <algorithm>

namespace {

void Put24(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
}

}  // namespace

UploadFrame MakeUploadHeader(int slot, std::uint32_t blockCount, std::uint32_t bytes) {
    UploadFrame frame{};
    frame[0] = kCmdUploadHeader;
    frame[4] = static_cast<std::uint8_t>(slot);
    Put24(frame.data() + 5, blockCount);
    Put24(frame.data() + 8, bytes);
    return frame;
}

UploadFrame MakeUploadBlock(std::span<const std::uint8_t> sent, std::uint32_t block) {
    UploadFrame frame{};
    frame[0] = kCmdUploadBlock;
    const std::size_t offset = static_cast<std::size_t>(block) * kUploadBlockBytes;
    if (offset < sent.size()) {
        const std::size_t n = std::min<std::size_t>(kUploadBlockBytes, sent.size() - offset);
        std::copy_n(sent.begin() + static_cast<std::ptrdiff_t>(offset), n, frame.begin() + 4);
    }
    frame[36] = static_cast<std::uint8_t>(block);
    frame[37] = static_cast<std::uint8_t>(block >> 8);
    frame[38] = static_cast<std::uint8_t>(block >> 16);
    return frame;
}
