#pragma once
#include <array>
#include <cstdint>

// Receives each good notification frame (0x9E) the card sends by itself, on
// the device receive thread. The frame is the listener's own copy; the
// listener hands it on to the UI thread and decides whether anyone is there
// to get it.
class IRecvDataListener {
public:
    virtual ~IRecvDataListener() = default;
    virtual void OnRecvData(const std::array<std::uint8_t, 64>& frame) = 0;
};
