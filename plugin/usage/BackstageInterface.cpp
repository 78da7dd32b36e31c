#include "plugin/usage/BackstageInterface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/http/LibCurlHelper.h"
#include "platform/os/Log.h"
#include "platform/os/SysInfo.h"
#include "plugin/app/AppSysInfo.h"
#include "plugin/cloud/CatalogueUrl.h"
#include "plugin/usage/UsageReportSender.h"

namespace {

constexpr const char16_t* kDeviceIdKey = u"Software\\Pellorvane";
constexpr const char16_t* kDeviceIdName = u"deviceId";

template <std::size_t N>
void CopyCut(char (&field)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace

int CUsageReportSender::Run() {
    char reply[128];
    CLibCurlHelper http([this] { return IsStopRequested() != 0; });
    (void)http.HttpPost(m_url.c_str(), m_body.c_str(), reply, sizeof reply);
    return 0;
}

CBackstageInterface::CBackstageInterface(qv::os::UserRegistry registry) : m_registry(std::move(registry)) {}

CBackstageInterface::~CBackstageInterface() { m_senders.StopAll(); }

void CBackstageInterface::GetSysInfo() {
    const qv::os::SysInfo system = qv::os::GetSysInfo();
    const AppSysInfo info = ToAppSysInfo(system);
    // The kernel's version stands where the system's version is kept; Linux
    // has no service packs.
    m_majorVersion = info.osMajor;
    m_minorVersion = info.osMinor;
    m_buildNumber = info.osBuild;
    m_servicePackMajor = 0;
    m_servicePackMinor = 0;
    m_memoryMb = info.memoryMb;
    m_is64Bit = info.is64BitOs;
    CopyCut(m_processorName, system.cpuName);
    CopyCut(m_productName, system.osName);
    QV_LOGE("%s", SysInfoLogBlock(info, "1.0.3").c_str());
}

std::uint64_t CBackstageInterface::GetMacAddress() {
    const auto mac = qv::os::FirstAdapterMac();
    return mac ? qv::os::MacToValue(*mac) : 0;
}

std::uint64_t CBackstageInterface::GetDeviceId() {
    if (const auto stored = m_registry.ReadBinary(kDeviceIdKey, kDeviceIdName); stored && stored->size() >= 8) {
        std::uint64_t id = 0;
        for (int i = 7; i >= 0; --i) id = id << 8 | (*stored)[static_cast<std::size_t>(i)];
        return id;
    }
    const std::uint64_t id = GetMacAddress();
    std::vector<std::uint8_t> bytes(8);
    for (std::size_t i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(id >> (8 * i));
    if (!m_registry.WriteBinary(kDeviceIdKey, kDeviceIdName, bytes)) {
        QV_LOGE("device id not stored");
        return 0;
    }
    return id;
}

std::string CBackstageInterface::OsType() const {
    std::string type = m_productName;
    std::replace(type.begin(), type.end(), ' ', '_');
    if (m_servicePackMajor || m_servicePackMinor) {
        char servicePack[32];
        std::snprintf(servicePack, sizeof servicePack, "_SP%d_%d", m_servicePackMajor, m_servicePackMinor);
        type += servicePack;
    }
    type += m_is64Bit ? "_x64" : "_x86";
    return type;
}

void CBackstageInterface::PostUsageInfo() {
    GetSysInfo();
    const std::string type = OsType();
    std::vector<char> encoded(type.size() * 3 + 1);
    if (!CLibCurlHelper::UrlEncode(type.c_str(), encoded.data(), static_cast<int>(encoded.size()))) encoded[0] = '\0';
    char body[512];
    std::snprintf(body, sizeof body, "deviceId=%lld&osType=%s&osVersion=%d&appVersion=%d&app=%d",
                  static_cast<long long>(GetDeviceId()), encoded.data(), m_buildNumber, kAppVersion, kAppId);
    m_body = body;

    m_senders.ReleaseFinished();
    auto sender = std::make_shared<CUsageReportSender>(CatalogueUrl("/api/user/informationCollector.json"), m_body);
    if (sender->Start()) m_senders.Keep(std::move(sender));
}

int CBackstageInterface::PendingSends() {
    m_senders.ReleaseFinished();
    return m_senders.Count();
}
