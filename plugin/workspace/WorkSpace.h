#pragma once
// The workspace: the card's protocol (first member, so that the workspace
// serves as the plug-in's ICommProtocol) and the session with the card.
// Everything here runs on the plug-in's UI thread; only the protocol's
// notification handling runs on the receive thread.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/os/Types.h"
#include "plugin/cloud/CloudRecords.h"
#include "plugin/device/QuorvelProtocol.h"
#include "plugin/device/RecvDataEvents.h"

class ICommDeviceMgmt;
class CSettingsStore;
class CWorkSpaceParams;
class IWorkspaceStateStore;
struct FamilyData;

// The full parameter sync that opening a session runs.
// What opening a session also starts: the usage report.
class IUsageReport {
public:
    virtual ~IUsageReport() = default;
    virtual void PostUsageInfo() = 0;
};

class IParamSync {
public:
    virtual ~IParamSync() = default;
    virtual BOOL SyncParams(BOOL all) = 0;
};

class CWorkSpace {
public:
    // manager: the host's device manager (never null); normalProductId: the
    // family's product id in normal mode.
    CWorkSpace(ICommDeviceMgmt* manager, std::uint16_t normalProductId);
    // Disconnects the host's manager when this workspace is its protocol, so
    // that the receive thread never calls into a workspace that is gone.
    ~CWorkSpace();
    CWorkSpace(const CWorkSpace&) = delete;
    CWorkSpace& operator=(const CWorkSpace&) = delete;

    CQuorvelProtocol& Protocol() { return m_protocol; }
    ICommProtocol* AsProtocol() { return &m_protocol; }

    // Null until the parameter model is attached: a session then opens
    // without a sync and reports 0.
    void SetParamSync(IParamSync* sync) { m_sync = sync; }

    // Builds the parameter model of the family over the state file (null:
    // none) and makes it the session's sync. Replaces an earlier one.
    CWorkSpaceParams& AttachParamModel(const FamilyData& family, IWorkspaceStateStore* store);
    // The same over a settings store (the plug-in's store 0).
    CWorkSpaceParams& AttachParamModel(const FamilyData& family, CSettingsStore& settings);
    // Null until attached.
    CWorkSpaceParams* Params() { return m_params.get(); }

    // Opens the session (0x90 with 1; its failure is ignored) and syncs every
    // parameter; the result is the sync's. The card's notifications are
    // taken from here on.
    BOOL OpenSession();
    // Takes in the card's notifications already acknowledged and refuses
    // later ones, writes the current effect to the state file (with a
    // parameter model), then closes the session (0x90 with 0); 0 without a
    // card.
    BOOL CloseSession();
    // Arrival of a card of this family in normal mode opens a session;
    // removal of any device, and such an arrival, fire EventDeviceChanged.
    void OnDeviceArrival(int removed, const char16_t* path);
    void DisconnectDevice();
    BOOL IsDeviceConnected();

    // Posted on every session opening; null: none.
    void SetUsageReport(IUsageReport* report) { m_usageReport = report; }

    // The cloud effect list the effect page shows (first row "回荡" where the
    // family has it).
    std::vector<CloudEffectItem>& CloudEffects() { return m_cloudEffects; }

    int NeedsUpgrade() const { return m_updateMode; }
    void SetNeedsUpgrade(int on) { m_updateMode = on; }

private:
    CQuorvelProtocol m_protocol;  // first member
    CRecvDataEvents m_recvEvents;
    ICommDeviceMgmt* m_manager;
    std::uint16_t m_normalProductId;
    int m_updateMode = 0;
    IParamSync* m_sync = nullptr;
    IUsageReport* m_usageReport = nullptr;
    std::vector<CloudEffectItem> m_cloudEffects;
    std::unique_ptr<IWorkspaceStateStore> m_ownedStore;  // outlives m_params
    std::unique_ptr<CWorkSpaceParams> m_params;  // last: goes first
};
