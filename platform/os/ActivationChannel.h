#pragma once
// Finding the window of another process by its class and sending it a
// message: the window's owner opens a Unix socket named after the class in
// the user's runtime folder; a client connects, sends (message, wParam,
// lParam) and waits for the answer. The receiver takes only the activation
// message and delivers it to its target with SendMessage from the thread
// that opened it, so the target's procedure runs on its own thread; any
// other request is closed unanswered.
#include <memory>
#include <string>
#include <string_view>

#include "platform/os/Types.h"

namespace qv::os {

// What a second start sends to bring the running window forward.
constexpr UINT kActivationMessage = 0x465;

std::string ActivationSocketPath(std::u16string_view windowClass);

class ActivationReceiver {
public:
    ActivationReceiver();
    ~ActivationReceiver();
    ActivationReceiver(const ActivationReceiver&) = delete;
    ActivationReceiver& operator=(const ActivationReceiver&) = delete;

    // Starts listening on the calling thread's message loop. False when the
    // socket cannot be made or a live receiver of that class already exists.
    // Open and Close must run on the same thread.
    [[nodiscard]] bool Open(std::u16string_view windowClass, HWND target);
    void Close();
    bool IsOpen() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

// Sends the message to the window of that class in another process and waits
// up to timeoutMs for its answer. True when one answered; *result gets the
// procedure's result.
[[nodiscard]] bool SendToWindowOfClass(std::u16string_view windowClass, UINT message,
                                       WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr,
                                       DWORD timeoutMs = 5000);

}  // namespace qv::os
