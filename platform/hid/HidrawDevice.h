#pragma once
// One hidraw node opened for reading and writing. Reports keep the Windows
// wire form for callers: the report id in byte 0 (0 for a device without
// numbered reports, where hidraw itself leaves the byte out on reads).
#include <memory>
#include <string>

#include "platform/hid/CancellableReader.h"
#include "platform/hid/Hid.h"
#include "platform/hid/ReportDescriptor.h"

namespace qv::hid {

class HidrawDevice final : public IDevice {
public:
    // Null when the node cannot be opened or its descriptor read.
    static std::unique_ptr<HidrawDevice> Open(const std::string& node);
    // Takes over an open descriptor whose reports the given report
    // descriptor lays out (what Open does once it has read both); any fd that
    // delivers one report per read serves, so tests use a socket pair.
    static std::unique_ptr<HidrawDevice> Adopt(int fd, const std::uint8_t* descriptor,
                                               std::size_t size);
    ~HidrawDevice() override;

    int InputReportLength() const override { return m_lengths.input; }
    int OutputReportLength() const override { return m_lengths.output; }
    [[nodiscard]] bool WriteReport(const std::uint8_t* report, std::size_t length) override;
    [[nodiscard]] ReadStatus ReadReport(std::uint8_t* buffer, std::size_t length,
                                        std::uint32_t timeoutMs) override;
    void CancelRead() override { m_reader.Cancel(); }

private:
    HidrawDevice(int fd, ReportLengths lengths) : m_fd(fd), m_lengths(lengths) {}

    int m_fd;
    ReportLengths m_lengths;
    CancellableReader m_reader;
};

}  // namespace qv::hid
