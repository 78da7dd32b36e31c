#include "plugin/sound/MoodHotKeyFilter.h"

#include "platform/os/Messages.h"
#include "platform/ui/SApplication.h"
#include "plugin/sound/MoodConfig.h"

int MoodHotKeyPadId(const qv::os::MSG& msg) {
    if (msg.message != WM_HOTKEY) return 0;
    const int id = static_cast<int>(msg.wParam & 0xFFFF);
    return id >= CMoodConfig::kHotKeyIdBase && id <= CMoodConfig::kHotKeyIdLast ? id : 0;
}

bool CMoodHotKeyFilter::PreTranslateMessage(const qv::os::MSG& msg) {
    const int padId = MoodHotKeyPadId(msg);
    if (!padId) return false;
    if (m_play) m_play(padId);
    return true;
}

void CMoodHotKeyFilter::Install(qv::ui::SApplication& app) {
    Remove();
    m_app = &app;
    m_token = app.AddMessageFilter([this](qv::os::MSG& msg) { return PreTranslateMessage(msg); });
}

void CMoodHotKeyFilter::Remove() {
    if (!m_app) return;
    m_app->RemoveMessageFilter(m_token);
    m_app = nullptr;
    m_token = 0;
}
