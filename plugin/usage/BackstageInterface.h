#pragma once
// The usage report: on every session opening one anonymous record about the
// machine (a stable device id, the system's name and version, the program's
// version) is posted to the catalogue server, without waiting for or looking
// at the answer. Each report is sent by a thread of its own holding its own
// copy of the body; the threads are stopped and joined when the object goes
// (the plug-in's end). PostUsageInfo runs on the UI thread.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/os/UserRegistry.h"
#include "plugin/cloud/DownloaderSet.h"
#include "plugin/workspace/WorkSpace.h"

class CUsageReportSender;

class CBackstageInterface : public IUsageReport {
public:
    static constexpr int kAppVersion = 1000003;
    static constexpr int kAppId = 2;

    // registry: where the device id is kept (the user's store by default).
    explicit CBackstageInterface(qv::os::UserRegistry registry = {});
    ~CBackstageInterface() override;
    CBackstageInterface(const CBackstageInterface&) = delete;
    CBackstageInterface& operator=(const CBackstageInterface&) = delete;

    // Reads the machine's facts into the fields below and logs them.
    void GetSysInfo();
    // The first network adapter's address as a little-endian number; 0 when none.
    std::uint64_t GetMacAddress();
    // The stored id ("Software\Pellorvane" "deviceId", 8 bytes), made from
    // the adapter's address and stored when missing or shorter.
    std::uint64_t GetDeviceId();
    void PostUsageInfo() override;

    // The body of the last report.
    const std::string& GetBody() const { return m_body; }
    // Sends still running (tests).
    int PendingSends();

private:
    std::string OsType() const;

    std::int32_t m_majorVersion = 0;
    std::int32_t m_minorVersion = 0;
    std::int32_t m_buildNumber = 0;
    std::int16_t m_servicePackMajor = 0;
    std::int16_t m_servicePackMinor = 0;
    std::int32_t m_memoryMb = 0;
    std::int32_t m_is64Bit = 0;
    char m_processorName[256] = {};
    char m_productName[64] = {};
    std::string m_body;

    qv::os::UserRegistry m_registry;
    CDownloaderSet<CUsageReportSender> m_senders;
};
