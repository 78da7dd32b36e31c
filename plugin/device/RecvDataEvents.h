#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "plugin/device/RecvDataListener.h"

// Hands each good notification of the card to the UI thread, where it is
// fired as EventRecvData whether or not a main window exists (the sender is
// the main window when there is one): the card's changes always reach the
// model. Frames are queued on the receive thread and delivered in order.
class CRecvDataEvents final : public IRecvDataListener {
public:
    CRecvDataEvents();
    ~CRecvDataEvents() override;
    CRecvDataEvents(const CRecvDataEvents&) = delete;
    CRecvDataEvents& operator=(const CRecvDataEvents&) = delete;

    // Receive thread. False while closed, or when there is no UI thread to
    // take the frame.
    bool OnRecvData(const std::array<std::uint8_t, 64>& frame) override;

    // UI thread: frames are taken (the initial state).
    void Open();
    // UI thread: later frames are refused; those already taken are fired now,
    // so that what the card was told was kept is in the model.
    void Close();

private:
    struct State;
    std::shared_ptr<State> m_state;
};
