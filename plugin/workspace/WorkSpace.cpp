#include "plugin/workspace/WorkSpace.h"

#include "common/device/ICommDeviceMgmt.h"
#include "common/device/ICommunicateDevice.h"
#include "platform/os/Log.h"
#include "plugin/app/AppEvents.h"
#include "plugin/device/DeviceIds.h"
#include "plugin/device/DevicePath.h"
#include "plugin/workspace/SettingsStateStore.h"
#include "plugin/workspace/WorkSpaceParams.h"

namespace {

// Byte of the 0x92 and 0x26 replies that holds the firmware version.
constexpr std::size_t kFirmwareVersionByte = 6;

}  // namespace

CWorkSpace::CWorkSpace(ICommDeviceMgmt* manager, const FamilyData& family)
    : m_protocol(family.normalProductId), m_manager(manager), m_family(family) {
    m_protocol.SetRecvDataListener(&m_recvEvents);
}

CWorkSpace::~CWorkSpace() {
    // The protocol is attached only while the manager has it connected.
    if (m_manager && m_protocol.IsAttached()) m_manager->Disconnect();
    m_protocol.SetRecvDataListener(nullptr);
}

CWorkSpaceParams& CWorkSpace::AttachParamModel(const FamilyData& family, IWorkspaceStateStore* store) {
    if (m_params && m_sync == m_params.get()) m_sync = nullptr;
    m_params.reset();
    m_params = std::make_unique<CWorkSpaceParams>(*this, family, store);
    m_sync = m_params.get();
    return *m_params;
}

CWorkSpaceParams& CWorkSpace::AttachParamModel(const FamilyData& family, CSettingsStore& settings) {
    auto store = std::make_unique<CSettingsStateStore>(settings);
    CWorkSpaceParams& params = AttachParamModel(family, store.get());
    m_ownedStore = std::move(store);  // the old model, which used the old store, is gone
    return params;
}

BOOL CWorkSpace::OpenSession() {
    m_recvEvents.Open();
    if (m_protocol.IsAttached()) m_protocol.SendSessionFlag(1);
    if (m_usageReport) m_usageReport->PostUsageInfo();
    if (!m_sync) {
        QV_LOGW("no parameter model attached: nothing synchronised");
        return 0;
    }
    return m_sync->SyncParams(TRUE);
}

BOOL CWorkSpace::CloseSession() {
    // The card's changes already acknowledged reach the model before it is
    // saved; later ones are refused.
    m_recvEvents.Close();
    if (m_params) m_params->Model().SaveCurrentEffect();
    if (!m_protocol.IsAttached()) return 0;
    return m_protocol.SendSessionFlag(0);
}

BOOL CWorkSpace::CheckFirmwareVersion(int notify) {
    m_updateMode = 0;
    int version = -1;
    if (m_protocol.IsAttached()) {
        CQuorvelProtocol::Frame reply{};
        if (m_protocol.QueryFirmwareVersion(reply.data())) version = reply[kFirmwareVersionByte];
    }
    if (version < 0) {
        std::uint8_t hardware = 0;
        std::uint8_t firmware = 0;
        if (m_protocol.GetDeviceInfo(hardware, firmware)) version = firmware;
    }
    if (version < 0) {
        QV_LOGE("the card tells no firmware version: let go");
        if (m_protocol.IsAttached()) m_protocol.SendSessionFlag(0);
        if (m_manager) m_manager->Disconnect();
        m_updateMode = 0;
        return 0;
    }
    if (version >= m_family.minimumFirmwareVersion) {
        m_recvEvents.Open();
        if (m_protocol.IsAttached()) m_protocol.SendSessionFlag(1);
        if (m_sync) m_sync->SyncParams(TRUE);
    } else {
        QV_LOGW("firmware version %d is below %d: the card needs the upgrade", version,
                static_cast<int>(m_family.minimumFirmwareVersion));
        m_updateMode = 1;
        if (notify) FireNeedUpgrade();
    }
    if (m_usageReport) m_usageReport->PostUsageInfo();
    return 1;
}

void CWorkSpace::StartSession(int notify) {
    if (m_family.sessionStart == SessionStartRule::kFirmwareGate)
        CheckFirmwareVersion(notify);
    else
        OpenSession();
}

std::uint16_t CWorkSpace::ConnectedProductId() {
    if (!m_manager || !m_manager->IsConnected()) return 0;
    ICommunicateDevice* device = m_manager->GetDevice();
    const char16_t* path = device ? device->GetDevicePath() : nullptr;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    if (!path || !ParseVidPid(path, vendorId, productId) || vendorId != kCardVendorId) return 0;
    return productId;
}

void CWorkSpace::OpenSessionIfNormalMode() {
    const std::uint16_t productId = ConnectedProductId();
    if (productId == 0) return;
    if (productId == m_family.normalProductId) {
        StartSession(0);
    } else if (productId == kUpdateModeProductId) {
        m_updateMode = 1;
    }
}

void CWorkSpace::FireNeedUpgrade() { FireAppEventAsync(NewAppEvent<EventNeedUpgradeFirmware>()); }

void CWorkSpace::OnDeviceArrival(int removed, const char16_t* path) {
    if (!removed) {
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
        if (!path || !ParseVidPid(path, vendorId, productId) || vendorId != kCardVendorId) return;
        if (productId == kUpdateModeProductId &&
            m_family.updateModeArrival == UpdateModeArrivalRule::kAskToUpgrade) {
            m_updateMode = 1;
            FireNeedUpgrade();
            return;
        }
        if (productId != m_family.normalProductId) return;
        StartSession(1);
    }
    FireAppEventAsync(NewAppEvent<EventDeviceChanged>());
}

void CWorkSpace::DisconnectDevice() {
    if (m_manager) m_manager->Disconnect();
    m_updateMode = 0;
}

BOOL CWorkSpace::IsDeviceConnected() { return m_manager && m_manager->IsConnected(); }
