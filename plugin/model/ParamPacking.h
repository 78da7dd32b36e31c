#pragma once
// Parameter values on the wire. A parameter frame (0x94, host -> card) and a
// notification (0x9E, card -> host) carry up to eleven triples from byte 5:
// [id] [(tag << 4) | value bits 8..11] [value bits 0..7].
#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "plugin/model/ParamDescriptor.h"

namespace qv::model {

using ParamFrame = std::array<std::uint8_t, 64>;

constexpr std::uint8_t kCmdParamFrame = 0x94;
constexpr std::uint8_t kCmdParamNotification = 0x9E;
constexpr int kTriplesPerFrame = 11;
constexpr int kChunkIndexByte = 2;
constexpr int kTripleCountByte = 4;
constexpr int kFirstTripleByte = 5;
constexpr int kLastFrameByte = 38;
constexpr std::int32_t kWireValueMask = 0x0FFF;

struct ParamValue {
    std::int32_t id;
    std::int32_t value;
    bool operator==(const ParamValue&) const = default;
};

// Packs the changed values in ascending id order, eleven triples a frame; the
// last frame carries the rest and 1 in byte 38. Values are masked to 12 bits
// and tags to 4, so neither spills into the other. The tag comes from the
// id's descriptor (0 for an id without one). Frames are sealed. No values, no frames.
std::vector<ParamFrame> PackParamFrames(const std::map<std::int32_t, std::int32_t>& changed,
                                        std::span<const ParamDescriptor> descriptors);

// The triples of a notification as the card sent them. At most eleven are
// read whatever the count byte claims; countClaimed keeps that byte.
struct ParamNotification {
    int countClaimed = 0;
    std::vector<ParamValue> triples;
};
ParamNotification UnpackNotification(const ParamFrame& frame);

}  // namespace qv::model
