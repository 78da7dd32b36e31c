#pragma once
// One simulated card opened over the sim socket: writes go over the control
// connection and wait for the card's answer; reports arrive on their own
// connection, read like a hidraw node.
#include <memory>
#include <mutex>
#include <string>

#include "platform/hid/CancellableReader.h"
#include "platform/hid/Hid.h"

namespace qv::hid {

class SimDevice final : public IDevice {
public:
    // Null when the server is not there, refuses the path or the card is gone.
    static std::unique_ptr<SimDevice> Open(const std::string& socketPath, const std::u16string& path);
    ~SimDevice() override;

    int InputReportLength() const override { return m_inputLength; }
    int OutputReportLength() const override { return m_outputLength; }
    [[nodiscard]] bool WriteReport(const std::uint8_t* report, std::size_t length) override;
    [[nodiscard]] ReadStatus ReadReport(std::uint8_t* buffer, std::size_t length,
                                        std::uint32_t timeoutMs) override;
    void CancelRead() override { m_reader.Cancel(); }

private:
    SimDevice() = default;

    int m_controlFd = -1;
    int m_reportFd = -1;
    int m_inputLength = 0;
    int m_outputLength = 0;
    std::mutex m_writeMutex;
    CancellableReader m_reader;
};

}  // namespace qv::hid
