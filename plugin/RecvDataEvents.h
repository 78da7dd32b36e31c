#pragma once
#include "plugin/RecvDataListener.h"

// Turns each good notification of the card into an asynchronous
// EventRecvData, only while the main window exists. Runs on the receive
// thread; the event carries its own copy of the frame.
class CRecvDataEvents final : public IRecvDataListener {
public:
    void OnRecvData(const std::array<std::uint8_t, 64>& frame) override;
};
