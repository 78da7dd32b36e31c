#pragma once
// One sound on its way into a key of the card: a thread that sends the
// image's header and blocks through the host's device manager and tells a
// window how it goes by posted messages. The window's handle is all it
// knows of the window: posts to a window that went are dropped.
#include <atomic>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

#include "platform/os/Types.h"

class ICommDeviceMgmt;

// Posted by the upload thread to its window.
enum UploadMessage : UINT {
    kMsgUploadAccepted = 8889,  // wParam 0, lParam the bytes to send: the header was taken
    kMsgUploadProgress = 8828,  // wParam the bytes sent so far: one more block taken
    kMsgUploadEnded = 8842,     // wParam 0 success, 1 failure: the thread ends
};

inline constexpr int kUploadHeaderAttempts = 3;
inline constexpr int kUploadHeaderTimeoutMs = 6000;
inline constexpr int kUploadBlockAttempts = 3;
inline constexpr int kUploadBlockTimeoutMs = 1000;

class UploadJob {
public:
    // manager: the host's (null: the upload fails at once).
    UploadJob(ICommDeviceMgmt* manager, std::int16_t slot, std::vector<std::uint8_t> image, HWND window);
    // Stops the thread after its current request and joins it.
    ~UploadJob();
    UploadJob(const UploadJob&) = delete;
    UploadJob& operator=(const UploadJob&) = delete;

    // False when the thread cannot be made.
    [[nodiscard]] bool Start();
    // The thread ends after its current request, as a failure.
    void Stop() { m_stop = true; }

    std::int16_t Slot() const { return m_slot; }
    std::span<const std::uint8_t> Image() const { return m_image; }
    HWND Window() const { return m_window; }

private:
    void Run();

    std::thread m_thread;
    ICommDeviceMgmt* m_manager;
    std::int16_t m_slot;
    std::vector<std::uint8_t> m_image;
    HWND m_window;
    std::atomic<bool> m_stop{false};
};

// Sends the job's image: the header (3 attempts of 6000 ms), then each block
// (3 attempts of 1000 ms), posting 8889 and one 8828 per block. 0 when every
// frame was accepted; 1 when one was not, or when asked to stop.
int UploadSound(ICommDeviceMgmt* manager, const UploadJob& job, const std::atomic<bool>& stop);
