#include "plugin/workspace/WorkSpaceParams.h"

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SNotifyCenter.h"
#include "plugin/app/AppEvents.h"

namespace {

bool MainWndExists() {
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    return app && app->GetMainWnd();
}

}  // namespace

CWorkSpaceParams::CWorkSpaceParams(CWorkSpace& workspace, const FamilyData& family,
                                   IWorkspaceStateStore* store)
    : m_workspace(workspace), m_model(family, *this, store) {
    m_throttle.Setup(kSendIntervalMs, &m_timer, kSendTimerId, [this] { m_model.SendChangedParams(); });
    m_center = qv::ui::SNotifyCenter::getSingletonPtr();
    if (m_center) SubscribeAppEvent<EventRecvData>(*m_center, &CWorkSpaceParams::OnEventRecvData, this);
}

CWorkSpaceParams::~CWorkSpaceParams() {
    SetThrottleWindow(nullptr);
    // The centre may have gone first; only the one subscribed to is told.
    if (m_center && qv::ui::SNotifyCenter::getSingletonPtr() == m_center) m_center->unsubscribeAll(this);
}

void CWorkSpaceParams::SetThrottleWindow(qv::ui::SHostWnd* window) {
    if (m_timer.window && m_timer.window->IsWindow()) m_timer.window->KillTimer(kSendTimerId);
    m_timer.window = window;
}

bool CWorkSpaceParams::OnTimer(UINT_PTR timerId) {
    if (timerId != static_cast<UINT_PTR>(kSendTimerId)) return false;
    return m_throttle.OnTimer(kSendTimerId);
}

CWorkSpaceParams::WindowTimer::~WindowTimer() {
    if (m_target) qv::os::DestroyTarget(m_target);
}

HWND CWorkSpaceParams::WindowTimer::OwnTarget() {
    if (!m_target) {
        m_target = qv::os::CreateTarget([this](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            if (message == WM_TIMER) m_throttle.OnTimer(static_cast<int>(wParam));
            return 0;
        });
    }
    return m_target;
}

void CWorkSpaceParams::WindowTimer::SetTimer(int timerId, std::uint32_t intervalMs) {
    if (window && window->IsWindow()) {
        window->SetTimer(static_cast<UINT_PTR>(timerId), intervalMs);
    } else if (!qv::os::SetTimer(OwnTarget(), static_cast<UINT_PTR>(timerId), intervalMs)) {
        QV_LOGE("no timer for the held-back parameters");
    }
}

void CWorkSpaceParams::WindowTimer::KillTimer(int timerId) {
    if (window && window->IsWindow()) window->KillTimer(static_cast<UINT_PTR>(timerId));
    if (m_target) qv::os::KillTimer(m_target, static_cast<UINT_PTR>(timerId));
}

bool CWorkSpaceParams::IsConnected() { return m_workspace.IsDeviceConnected(); }

BOOL CWorkSpaceParams::SendFrames(const std::vector<qv::model::ParamFrame>& frames) {
    return m_workspace.Protocol().SendFrames(frames);
}

void CWorkSpaceParams::FireParamChanged() {
    if (!m_display) return;
    std::shared_ptr<EventParamChanged> event;
    if (MainWndExists()) event = NewAppEvent<EventParamChanged>();
    for (const ParamDescriptor& descriptor : m_model.GetDescriptors()) {
        const std::int32_t id = descriptor.id;
        const std::int32_t value = m_model.GetValue(id);
        if (descriptor.refreshFlag == 1 && m_display->ShowsParam(id)) m_display->ShowParam(id, value);
        if (event && id >= kFirstEqBand && id <= kLastEqBand) event->params.emplace_back(id, value);
    }
    if (event) FireAppEventSync(*event);
}

void CWorkSpaceParams::OnBandWritten(std::int32_t id, std::int32_t value) {
    if (!MainWndExists()) return;
    auto event = NewAppEvent<EventParamChanged>();
    event->params.emplace_back(id, value);
    FireAppEventSync(*event);
}

void CWorkSpaceParams::UpdateParamDisplay(std::int32_t id, std::int32_t value) {
    if (m_display && m_display->ShowsParam(id)) m_display->ShowParam(id, value);
}

bool CWorkSpaceParams::OnEventRecvData(qv::ui::EventArgs* e) {
    auto* recv = qv::ui::EventCast<EventRecvData>(e);
    if (!recv) return false;
    qv::model::ParamFrame frame{};
    std::copy(std::begin(recv->frame), std::end(recv->frame), frame.begin());
    const CParamModel::NotificationOutcome outcome = m_model.ApplyNotification(frame);
    // An unknown id ended the handling: nothing is announced.
    if (!outcome.complete || outcome.pairs.empty() || !MainWndExists()) return true;
    auto event = NewAppEvent<EventParamChanged>();
    for (const qv::model::ParamValue& pair : outcome.pairs) event->params.emplace_back(pair.id, pair.value);
    FireAppEventSync(*event);
    return true;
}
