// The recording page's part in the system's sleep, resume and session end:
// the streams stop and the card's session is closed before the system goes,
// and opened again when it wakes.
#include "platform/os/Log.h"
#include "platform/ui/desktop/SessionEvents.h"
#include "plugin/app/PluginApp.h"
#include "plugin/pages/EventHandlerRecord.h"
#include "plugin/workspace/WorkSpace.h"

CWorkSpace* CEventHandlerRecord::WorkSpace() const {
    IPluginApp* app = CurrentPluginApp();
    return app ? app->GetWorkSpace() : nullptr;
}

void CEventHandlerRecord::StopForSessionEnd() {
    // The recording is completed and both devices are let go: they may be
    // gone when the system wakes.
    StopRecording(false);
    m_engine.StopPlay();
    m_engine.ReleasePlayer();
    SetState(kIdle);
}

void CEventHandlerRecord::OnQueryEndSession() {
    StopForSessionEnd();
    CWorkSpace* workspace = WorkSpace();
    if (!workspace) return;
    workspace->CloseSession();
    // Also clears the update-mode flag.
    workspace->DisconnectDevice();
}

void CEventHandlerRecord::OnPowerBroadcast(WPARAM event) {
    if (event == qv::desktop::PBT_APMSUSPEND) {
        OnQueryEndSession();
        return;
    }
    if (event != qv::desktop::PBT_APMRESUMEAUTOMATIC) return;
    QV_TRACE("睡眠唤醒！");
    CWorkSpace* workspace = WorkSpace();
    IPluginApp* app = CurrentPluginApp();
    if (!workspace || !app) return;
    app->ConnectDevice();
    // This family's card in normal mode starts its session, a card in
    // update mode sets the needs-upgrade flag.
    workspace->OpenSessionIfNormalMode();
}
