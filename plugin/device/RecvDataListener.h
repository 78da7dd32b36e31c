#pragma once
#include <array>
#include <cstdint>

// Receives each good notification frame (0x9E) the card sends by itself, on
// the device receive thread. The frame is the listener's own copy; the
// listener hands it on to the UI thread.
class IRecvDataListener {
public:
    virtual ~IRecvDataListener() = default;
    // True when the frame was taken and will reach the model; false makes the
    // acknowledgement refuse it, so the card never takes a dropped change
    // for a delivered one.
    virtual bool OnRecvData(const std::array<std::uint8_t, 64>& frame) = 0;
};
