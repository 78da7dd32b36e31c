#pragma once
// The main window with the real effect page over the skin, its workspace
// with the state file of store 0, and the simulated card of the build's
// family behind the real device manager, on the stepped clock. The card restarts within the write
// of its 0x2A unless a test sets delays.
#include <memory>
#include <string>

#include "families/ThisFamily.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"
#include "platform/ui/SNotifyCenter.h"
#include "tests/mainwnd/MainWndTestEnv.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardLink.h"

namespace qv::test {

class EffectPageEnv : public SkinAppTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Connects the card as the plug-in's start does: a session in normal
    // mode, the needs-upgrade flag in update mode.
    void ConnectCard();
    // Creates, initialises and shows the main window with its pages.
    void OpenWindow();
    void CloseWindow();

    CParamModel& Model() { return m_workspace->Params()->Model(); }
    ui::SWindow* Control(int id) const;
    ui::SWindow* Named(const char16_t* name) const;
    // Sends the throttled changes and waits until the card holds the model's
    // value of the parameter.
    bool CardMatchesModel(int param);
    // The text of the tip shown now, empty when none.
    static std::u16string TipText();

    SimCard m_card{ThisFamily().normalProductId};
    std::unique_ptr<ui::SNotifyCenter> m_center;
    std::unique_ptr<SimCardLink> m_link;
    std::unique_ptr<CWorkSpace> m_workspace;
    FakePluginApp m_fake;
    std::unique_ptr<CMainDlg> m_dlg;
    std::string m_stateFile;
};

}  // namespace qv::test
