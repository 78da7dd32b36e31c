#pragma once
// The workspace's parameters: the model with its tables and current values,
// and what keeps the card's copy equal to it: the send throttle on timer 1000
// of the effect page's window, the card's notifications (EventRecvData), the
// bound controls and the EventParamChanged announcements. UI thread only.
#include <cstdint>

#include "families/FamilyData.h"
#include "platform/ui/EventArgs.h"
#include "platform/ui/SHostWnd.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/SendThrottle.h"
#include "plugin/workspace/ParamDisplay.h"
#include "plugin/workspace/WorkSpace.h"

namespace qv::ui {
class SNotifyCenter;
}

class CWorkSpaceParams final : public IParamModelPort, public IParamSync {
public:
    static constexpr int kSendTimerId = 1000;
    static constexpr std::uint32_t kSendIntervalMs = 200;

    // Builds the family's tables, reads the state file (null: none) and
    // subscribes to EventRecvData on the notify centre when one exists.
    CWorkSpaceParams(CWorkSpace& workspace, const FamilyData& family, IWorkspaceStateStore* store);
    ~CWorkSpaceParams() override;
    CWorkSpaceParams(const CWorkSpaceParams&) = delete;
    CWorkSpaceParams& operator=(const CWorkSpaceParams&) = delete;

    CParamModel& Model() { return m_model; }
    const CParamModel& Model() const { return m_model; }

    // The window whose timer paces the sends (the effect page sets it before
    // any control writes); null stops its timer and detaches it. Without a
    // window the throttle's timer runs on a target of the workspace's own,
    // so a held-back change still goes out within the interval.
    void SetThrottleWindow(qv::ui::SHostWnd* window);
    // The window's timer message; true when it was the send timer.
    bool OnTimer(UINT_PTR timerId);

    // The binder link; null unlinks.
    void SetDisplay(IParamDisplay* display) { m_display = display; }
    IParamDisplay* Display() const { return m_display; }

    // A bound control changed (index: its control id).
    void WriteParam(int index, std::int32_t value) { m_model.WriteParam(index, value); }
    BOOL SendChangedParams() { return m_model.SendChangedParams(); }
    BOOL SyncParams(BOOL all) override { return m_model.SyncParams(all); }

    // Handler of EventRecvData: takes the card's values, refreshes the
    // controls and fires EventParamChanged with the bands, then with every
    // pair of the frame.
    bool OnEventRecvData(qv::ui::EventArgs* e);

    // IParamModelPort
    bool IsConnected() override;
    BOOL SendFrames(const std::vector<qv::model::ParamFrame>& frames) override;
    void RequestSend() override { m_throttle.Request(); }
    void FireParamChanged() override;
    void OnBandWritten(std::int32_t id, std::int32_t value) override;
    void UpdateParamDisplay(std::int32_t id, std::int32_t value) override;

private:
    class WindowTimer : public SendThrottle::ITimerHost {
    public:
        explicit WindowTimer(SendThrottle& throttle) : m_throttle(throttle) {}
        ~WindowTimer() override;
        WindowTimer(const WindowTimer&) = delete;
        WindowTimer& operator=(const WindowTimer&) = delete;

        qv::ui::SHostWnd* window = nullptr;
        void SetTimer(int timerId, std::uint32_t intervalMs) override;
        void KillTimer(int timerId) override;

    private:
        // The target that carries the timer while no window is set; made on
        // first use, on the UI thread.
        HWND OwnTarget();
        SendThrottle& m_throttle;
        HWND m_target = nullptr;
    };

    CWorkSpace& m_workspace;
    CParamModel m_model;
    SendThrottle m_throttle;
    WindowTimer m_timer{m_throttle};
    IParamDisplay* m_display = nullptr;
    qv::ui::SNotifyCenter* m_center = nullptr;
};
