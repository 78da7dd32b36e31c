#include "plugin/dialogs/DlgUpgradeFirmware.h"

#include "platform/os/Log.h"
#include "platform/os/Tick.h"
#include "platform/ui/SMessageBox.h"
#include "plugin/app/PluginApp.h"
#include "plugin/app/ResNames.h"
#include "plugin/device/FirmwareImage.h"
#include "plugin/workspace/WorkSpace.h"

namespace {

constexpr UINT kStartDelayMs = 1000;
constexpr UINT kFirstWaitMs = 3000;
constexpr UINT kRetryWaitMs = 2000;

constexpr const char16_t* kNotice = u"提示";
constexpr const char16_t* kError = u"错误";

// Card modes as the protocol reads them from the device path.
constexpr int kNormalMode = 0;
constexpr int kUpdateMode = 1;

int ConnectAgain() {
    IPluginApp* app = CurrentPluginApp();
    return app ? app->ConnectDevice() : 0;
}

std::optional<std::span<const std::uint8_t>> PluginImage() {
    IPluginApp* app = CurrentPluginApp();
    return LoadFirmwareImage(app ? app->GetInstance() : nullptr);
}

}  // namespace

CDlgUpgradeFirmware::CDlgUpgradeFirmware(CWorkSpace* workspace, HWND owner)
    : SHostDialog(res::layout::XML_UPGRADEFIRMWARE), m_workspace(workspace), m_owner(owner) {}

BOOL CDlgUpgradeFirmware::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_INITDIALOG:
        SetTimer(kTimerStart, kStartDelayMs);
        m_started = 1;
        return TRUE;
    case WM_CLOSE:  // the upgrade cannot be interrupted
        return TRUE;
    case WM_TIMER:
        if (wParam < kTimerStart || wParam > kTimerWaitNormalMode) break;
        OnTimer(wParam);
        return TRUE;
    default:
        break;
    }
    return SHostDialog::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

BOOL CDlgUpgradeFirmware::_HandleEvent(qv::ui::EventArgs* e) {
    if (e->GetID() == qv::ui::EVT_CMD && (e->nameFrom == u"btn_close" || e->nameFrom == u"btnCancel")) return TRUE;
    return SHostDialog::_HandleEvent(e);
}

void CDlgUpgradeFirmware::OnTimer(UINT_PTR id) {
    // Each step runs once per timer shot; at most one timer is set at a time.
    KillTimer(id);
    if (!m_workspace) {
        Fail(u"未连接设备", kNotice);
        return;
    }
    switch (id) {
    case kTimerStart: Start(); break;
    case kTimerWaitUpdateMode: WaitForUpdateMode(); break;
    default: WaitForNormalMode(); break;
    }
}

void CDlgUpgradeFirmware::Start() {
    // Nothing reaches the card unless there is an image to write: a card
    // switched into update mode with nothing to write would be left there.
    if (!PluginImage()) {
        Fail(u"固件升级失败！", kNotice);
        return;
    }
    if (!m_workspace->IsDeviceConnected()) {
        Fail(u"未连接设备", kNotice);
        return;
    }
    CQuorvelProtocol& protocol = m_workspace->Protocol();
    const int mode = protocol.CheckDevicePid();
    if (mode == kUpdateMode) {
        WriteImage();
        return;
    }
    if (mode != kNormalMode) {
        Fail(u"请确认设备是否正常连接", kError);
        return;
    }
    std::uint8_t hardware = 0;
    std::uint8_t firmware = 0;
    if (!protocol.GetDeviceInfo(hardware, firmware)) {
        Fail(u"获取设备信息失败", kError);
        return;
    }
    protocol.RestartDevice();
    m_workspace->DisconnectDevice();
    m_waitCount = 0;
    SetTimer(kTimerWaitUpdateMode, kFirstWaitMs);
}

void CDlgUpgradeFirmware::WaitForUpdateMode() {
    ConnectAgain();
    if (m_workspace->IsDeviceConnected()) {
        if (m_workspace->Protocol().CheckDevicePid() == kUpdateMode)
            WriteImage();
        else
            Fail(u"切换到更新模式失败，请稍后再打开软件重试", kError);
        return;
    }
    if (m_waitCount < kMaxWaitRetries) {
        ++m_waitCount;
        SetTimer(kTimerWaitUpdateMode, kRetryWaitMs);
        return;
    }
    Fail(u"切换到更新模式后，未识别到设备，请稍后再打开软件重试", kError);
}

void CDlgUpgradeFirmware::WriteImage() {
    const auto image = PluginImage();
    if (!image) {
        Fail(u"固件升级失败！", kNotice);
        return;
    }
    CQuorvelProtocol& protocol = m_workspace->Protocol();
    if (!protocol.UpgradeFirmware(image->data(), static_cast<std::uint32_t>(image->size()))) {
        Fail(u"固件写入失败，请稍后再打开软件重试！", kNotice);
        return;
    }
    m_switchBackCount = 0;
    SwitchBack("step 3...begin tick = %ld\n");
}

void CDlgUpgradeFirmware::SwitchBack(const char* trace) {
    m_workspace->Protocol().RestartDevice();
    m_workspace->DisconnectDevice();
    m_waitCount = 0;
    SetTimer(kTimerWaitNormalMode, kFirstWaitMs);
    QV_TRACE(trace, static_cast<long>(qv::os::GetTickCount()));
}

void CDlgUpgradeFirmware::WaitForNormalMode() {
    QV_TRACE("step 3... timer tick = %ld\n", static_cast<long>(qv::os::GetTickCount()));
    ConnectAgain();
    if (!m_workspace->IsDeviceConnected()) {
        if (m_waitCount < kMaxWaitRetries) {
            ++m_waitCount;
            SetTimer(kTimerWaitNormalMode, kRetryWaitMs);
            return;
        }
        Fail(u"切换到正常模式后，未识别到设备，请稍后再打开软件重试", kError);
        return;
    }
    const int mode = m_workspace->Protocol().CheckDevicePid();
    if (mode == kNormalMode) {
        m_workspace->OpenSession();
        Finish();
        return;
    }
    if (mode == kUpdateMode) m_workspace->SetNeedsUpgrade(1);
    if (m_switchBackCount < kMaxSwitchBacks) {
        SwitchBack("step 3...begin2 tick = %ld\n");
        ++m_switchBackCount;
        return;
    }
    Fail(u"固件数据已发送完成，但切回正常模式失败，请稍后再打开软件重试", kError);
}

void CDlgUpgradeFirmware::Finish() {
    std::uint8_t hardware = 0;
    std::uint8_t firmware = 0;
    if (!m_workspace->Protocol().GetDeviceInfo(hardware, firmware)) {
        Fail(u"固件升级完成，但获取设备信息失败", kError);
        return;
    }
    End(IDOK, qv::ui::SStringW::Format(u"固件升级成功, 当前设备的固件版本为V%d.%d", firmware / 10, firmware % 10), kNotice);
}

void CDlgUpgradeFirmware::End(INT_PTR code, const qv::ui::SStringW& text, const char16_t* caption) {
    EndDialog(code);
    ShowWindow(SW_HIDE);
    qv::ui::SMessageBox(m_owner, text, caption, MB_OK);
}
