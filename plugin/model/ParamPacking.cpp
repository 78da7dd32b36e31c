#include "plugin/model/ParamPacking.h"

#include <algorithm>

#include "common/device/Frame.h"
#include "platform/os/Log.h"

namespace qv::model {
namespace {

std::uint8_t TagOf(std::int32_t id, std::span<const ParamDescriptor> descriptors) {
    if (id < 0 || static_cast<std::size_t>(id) >= descriptors.size()) return 0;
    return static_cast<std::uint8_t>(descriptors[static_cast<std::size_t>(id)].tag & 0x0F);
}

}  // namespace

std::vector<ParamFrame> PackParamFrames(const std::map<std::int32_t, std::int32_t>& changed,
                                        std::span<const ParamDescriptor> descriptors) {
    std::vector<ParamFrame> frames;
    const std::size_t frameCount = (changed.size() + kTriplesPerFrame - 1) / kTriplesPerFrame;
    frames.reserve(frameCount);
    auto it = changed.begin();
    for (std::size_t chunk = 0; chunk < frameCount; ++chunk) {
        ParamFrame frame{};
        frame[0] = kCmdParamFrame;
        frame[kChunkIndexByte] = static_cast<std::uint8_t>(chunk);
        int count = 0;
        for (; it != changed.end() && count < kTriplesPerFrame; ++it, ++count) {
            const auto [id, value] = *it;
            // A negative value (a user effect's code) is no value the card
            // takes: 0 goes instead, which also means "no device custom slot".
            const std::uint32_t wire = value < 0 ? 0u : static_cast<std::uint32_t>(value) & kWireValueMask;
            std::uint8_t* triple = &frame[kFirstTripleByte + 3 * count];
            triple[0] = static_cast<std::uint8_t>(id);
            triple[1] = static_cast<std::uint8_t>((TagOf(id, descriptors) << 4) | (wire >> 8));
            triple[2] = static_cast<std::uint8_t>(wire & 0xFF);
        }
        frame[kTripleCountByte] = static_cast<std::uint8_t>(count);
        frame[kLastFrameByte] = chunk + 1 == frameCount ? 1 : 0;
        qv::frame::Seal(frame.data());
        frames.push_back(frame);
    }
    return frames;
}

ParamNotification UnpackNotification(const ParamFrame& frame) {
    ParamNotification notification;
    notification.countClaimed = frame[kTripleCountByte];
    if (notification.countClaimed > kTriplesPerFrame)
        QV_LOGW("notification claims %d triples, reading %d", notification.countClaimed,
                kTriplesPerFrame);
    const int count = std::min(notification.countClaimed, kTriplesPerFrame);
    notification.triples.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const std::uint8_t* triple = &frame[kFirstTripleByte + 3 * k];
        notification.triples.push_back(
            {triple[0], ((triple[1] & 0x0F) << 8) | triple[2]});
    }
    return notification;
}

}  // namespace qv::model
