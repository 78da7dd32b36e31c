#include "plugin/upload/SendWindow.h"

#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SMessageBox.h"
#include "platform/ui/SNotifyCenter.h"
#include "platform/ui/controls/SProgress.h"
#include "plugin/app/AppEvents.h"
#include "plugin/app/PluginApp.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"
#include "plugin/upload/ConvertForDevice.h"
#include "plugin/upload/TempWaveFile.h"
#include "plugin/upload/UploadFrames.h"

namespace {

constexpr const char16_t* kNotice = u"提示";
constexpr const char16_t* kError = u"错误";

// The application's send-window flag, and the hold on the UI's parameter
// sends that goes with it.
void SetSendWindowOpen(bool open) {
    IPluginApp* app = CurrentPluginApp();
    if (!app) return;
    app->SetUploadBusy(open ? 1 : 0);
    CWorkSpace* workspace = app->GetWorkSpace();
    if (CWorkSpaceParams* params = workspace ? workspace->Params() : nullptr) params->HoldSends(open);
}

HWND MessageBoxOwner() {
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    qv::ui::SHostWnd* main = app ? app->GetMainWnd() : nullptr;
    return main ? main->GetHwnd() : nullptr;
}

}  // namespace

SendWindow::SendWindow(const std::u16string& path, int slot, int volume, int builtIn, const qv::ui::SStringW& layout)
    : SHostDialog(layout), m_path(path), m_slot(slot), m_volume(volume), m_builtIn(builtIn) {
    SetSendWindowOpen(true);
}

SendWindow::~SendWindow() {
    if (IsWindow()) DestroyWindow();
    Unsubscribe();
    m_job.reset();
    m_decoder.Reset();
    if (!m_decodeReported) {
        std::u16string wave = m_decoder.WavePath();
        DeleteTempWaveFile(wave);
    }
    SetSendWindowOpen(false);
}

BOOL SendWindow::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case WM_CLOSE: return TRUE;  // the window closes only by itself
    case WM_DESTROY: Unsubscribe(); break;
    case kMsgUploadAccepted: OnUploadAccepted(lParam); return TRUE;
    case kMsgUploadProgress: OnUploadProgress(wParam); return TRUE;
    case kMsgUploadEnded: OnUploadEnded(wParam); return TRUE;
    default: break;
    }
    return SHostDialog::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

BOOL SendWindow::_HandleEvent(qv::ui::EventArgs* e) {
    if (e->GetID() == qv::ui::EVT_CMD && (e->nameFrom == u"btn_close" || e->idFrom == IDOK || e->idFrom == IDCANCEL))
        return TRUE;
    return SHostDialog::_HandleEvent(e);
}

void SendWindow::OnInitDialog() {
    qv::ui::SNotifyCenter* center = qv::ui::SNotifyCenter::getSingletonPtr();
    if (center) {
        SubscribeAppEvent<EventDecoderFinsh>(*center, &SendWindow::OnDecoderFinish, this);
        m_subscribed = true;
    }
    if (!FindControls()) {
        Fail(u"特效载入失败", kNotice);
        return;
    }
    if (!center) {
        Fail(u"特效解码失败", kNotice);
        return;
    }
    StartDecode();
}

bool SendWindow::FindControls() {
    m_waitingTip = FindChildByName(u"waitting_tip");
    m_sendProgress = FindChildByName(u"send_progress");
    m_progress = FindChildByName2<qv::ui::SProgress>(u"mood_effect");
    m_tipText = FindChildByName(u"txt_tip");
    if (m_waitingTip && m_sendProgress && m_progress && m_tipText) return true;
    QV_LOGE("the send window's layout lacks a control");
    return false;
}

void SendWindow::StartDecode() {
    const int slot = m_slot >= kFirstSlot && m_slot <= kLastSlot ? m_slot : 0;
    if (!m_decoder.Start(m_path, m_volume, m_builtIn, this, SLOT_SECONDS[slot])) Fail(u"特效解码失败", kNotice);
}

bool SendWindow::OnDecoderFinish(qv::ui::EventArgs* e) {
    auto* finish = qv::ui::EventCast<EventDecoderFinsh>(e);
    if (!finish || finish->sender != this || m_decodeReported) return false;
    m_decodeReported = true;
    std::u16string wave = finish->path.str();
    if (!finish->status) {
        DeleteTempWaveFile(wave);
        m_decoder.Reset();
        Fail(u"特效解码失败", kNotice);
        return true;
    }
    auto image = ConvertForDevice(wave, m_slot);
    DeleteTempWaveFile(wave);
    m_decoder.Reset();
    if (!image) {
        Fail(u"特效载入失败", kNotice);
        return true;
    }
    StartUpload(std::move(*image));
    return true;
}

void SendWindow::StartUpload(std::vector<std::uint8_t> image) {
    m_tipText->SetWindowText(u"正在等待设备接受数据...");
    IPluginApp* app = CurrentPluginApp();
    m_job = std::make_unique<UploadJob>(app ? app->GetDeviceMgmt() : nullptr, static_cast<std::int16_t>(m_slot),
                                        std::move(image), GetHwnd());
    if (!m_job->Start()) {
        m_job.reset();
        Fail(u"创建线程失败", kError);
    }
}

void SendWindow::OnUploadAccepted(LPARAM bytes) {
    m_waitingTip->SetVisible(false);
    m_sendProgress->SetVisible(true);
    m_progress->SetRange(0, static_cast<int>(bytes));
    m_progress->SetValue(0);
}

void SendWindow::OnUploadProgress(WPARAM bytesSent) { m_progress->SetValue(static_cast<int>(bytesSent)); }

void SendWindow::OnUploadEnded(WPARAM failed) {
    if (failed) {
        Fail(u"载入特效失败", kNotice);
        return;
    }
    EndDialog(IDOK);
}

void SendWindow::Fail(const char16_t* text, const char16_t* caption) {
    EndDialog(IDCANCEL);
    ShowWindow(SW_HIDE);
    qv::ui::SMessageBox(MessageBoxOwner(), text, caption, MB_OK);
}

void SendWindow::Unsubscribe() {
    if (!m_subscribed) return;
    m_subscribed = false;
    if (qv::ui::SNotifyCenter* center = qv::ui::SNotifyCenter::getSingletonPtr()) center->unsubscribeAll(this);
}
