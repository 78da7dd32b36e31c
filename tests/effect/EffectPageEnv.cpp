#include "tests/effect/EffectPageEnv.h"

#include <cstdlib>

#include "controls/CTipWnd.h"
#include "families/ThisFamily.h"
#include "plugin/workspace/SettingsStore.h"

namespace qv::test {

void EffectPageEnv::SetUp() {
    SkinAppTest::SetUp();
    // The page fetches the cloud list: from a closed port unless a test
    // starts its own catalogue.
    setenv("QV_CATALOGUE_URL", "http://127.0.0.1:1/tuning", 1);
    LoadSettings(m_dir + "/data", {});
    m_stateFile = m_dir + "/data/Quorvel/DorbIIConfigData.db";
    m_center = std::make_unique<ui::SNotifyCenter>();
    m_card.SetRestartDelays(0, 0);
    m_link = std::make_unique<SimCardLink>(m_card);
    m_workspace = std::make_unique<CWorkSpace>(&m_link->Manager(), ThisFamily());
    m_workspace->AttachParamModel(ThisFamily(), *CSettingsStore::GetStore(0));
    m_link->SetProtocol(m_workspace->AsProtocol());
    m_link->SetPnpHandler([this](int removed, const char16_t* path) { m_workspace->OnDeviceArrival(removed, path); });
    m_fake.workspace = m_workspace.get();
    m_fake.manager = &m_link->Manager();
    m_fake.connect = [this] { return m_link->ConnectDevice(); };
}

void EffectPageEnv::TearDown() {
    CloseWindow();
    qv::controls::CTipWnd::HideTip();
    ui::test::PumpPending();
    m_link->Manager().Disconnect();
    m_workspace.reset();
    m_link.reset();
    m_center.reset();
    unsetenv("QV_CATALOGUE_URL");
    SkinAppTest::TearDown();
}

void EffectPageEnv::ConnectCard() {
    ASSERT_TRUE(m_link->ConnectDevice());
    m_workspace->OpenSessionIfNormalMode();
}

void EffectPageEnv::OpenWindow() {
    m_dlg = std::make_unique<CMainDlg>();
    m_app->SetMainWnd(m_dlg.get());
    ASSERT_TRUE(m_dlg->Create(nullptr));
    m_dlg->ShowWindow(SW_SHOWNORMAL);
    ui::test::PumpPending();
}

void EffectPageEnv::CloseWindow() {
    if (!m_dlg) return;
    m_dlg->DestroyWindow();
    m_app->SetMainWnd(nullptr);
    m_dlg.reset();
}

ui::SWindow* EffectPageEnv::Control(int id) const { return m_dlg ? m_dlg->FindChildByID(id) : nullptr; }

ui::SWindow* EffectPageEnv::Named(const char16_t* name) const { return m_dlg ? m_dlg->FindChildByName(name) : nullptr; }

bool EffectPageEnv::CardMatchesModel(int param) {
    return WaitFor([&] { return m_card.ParamValue(static_cast<std::uint8_t>(param)) == Model().GetValue(param); });
}

std::u16string EffectPageEnv::TipText() {
    qv::controls::CTipWnd* tip = qv::controls::CTipWnd::Current();
    ui::SWindow* text = tip ? tip->FindChildByName(u"txt_tip") : nullptr;
    return text ? text->GetWindowText().str() : std::u16string();
}

}  // namespace qv::test
