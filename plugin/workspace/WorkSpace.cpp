#include "plugin/workspace/WorkSpace.h"

#include "common/device/ICommDeviceMgmt.h"
#include "platform/os/Log.h"
#include "plugin/app/AppEvents.h"
#include "plugin/device/DeviceIds.h"
#include "plugin/device/DevicePath.h"
#include "plugin/workspace/SettingsStateStore.h"
#include "plugin/workspace/WorkSpaceParams.h"

CWorkSpace::CWorkSpace(ICommDeviceMgmt* manager, std::uint16_t normalProductId)
    : m_protocol(normalProductId), m_manager(manager), m_normalProductId(normalProductId) {
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

void CWorkSpace::OnDeviceArrival(int removed, const char16_t* path) {
    if (!removed) {
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
        if (!path || !ParseVidPid(path, vendorId, productId)) return;
        if (vendorId != kCardVendorId || productId != m_normalProductId) return;
        OpenSession();
    }
    FireAppEventAsync(NewAppEvent<EventDeviceChanged>());
}

void CWorkSpace::DisconnectDevice() {
    if (m_manager) m_manager->Disconnect();
    m_updateMode = 0;
}

BOOL CWorkSpace::IsDeviceConnected() { return m_manager && m_manager->IsConnected(); }
