// The main menu's device information, user manual, about box and updater,
// once per family.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "common/device/Frame.h"
#include "controls/CInActiveCloseDlg.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"
#include "platform/ui/SMenuWnd.h"
#include "plugin/app/Updater.h"
#include "plugin/device/DeviceInfoText.h"
#include "plugin/dialogs/DlgDeviceInfo.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/workspace/WorkSpace.h"
#include "tests/mainwnd/MainWndTestEnv.h"
#include "tests/support/ExpectedFamily.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

TEST(DeviceInfoTextTest, VersionsAndTypeFollowTheProductLine) {
    struct Case {
        std::uint8_t type;
        const char16_t* text;
    };
    for (const Case c : {Case{0, u"其他"}, Case{1, u"声卡"}, Case{2, u"话筒"}, Case{3, u"耳机"}, Case{4, u"音箱"},
                         Case{5, u"效果器"}, Case{6, u"其他"}, Case{255, u"其他"}}) {
        EXPECT_EQ(std::u16string(GetDeviceTypeText(c.type)), c.text) << int(c.type);
    }
    std::uint8_t reply[64] = {};
    reply[4] = 10;
    reply[6] = 23;
    reply[14] = 5;
    const std::u16string line = Expected().productLine;
    EXPECT_EQ(DeviceInfoText(line.c_str(), reply), line + u"硬件版本：V1.0\n固件版本：V2.3\n设备类型：效果器\n");
    reply[6] = 255;
    EXPECT_NE(DeviceInfoText(line.c_str(), reply).find(u"固件版本：V25.5\n"), std::u16string::npos);
    EXPECT_EQ(DeviceInfoText(line.c_str(), nullptr), line);
}

class MenuCommandsTest : public SkinAppTest {
protected:
    void SetUp() override {
        SkinAppTest::SetUp();
        m_fake.folder = qv::os::Utf8ToUtf16(m_dir + "/program files/quorvel");
        fs::create_directories(qv::os::NativePath(m_fake.folder));
        m_dlg = std::make_unique<CMainDlg>(MainDlgPages{});
        ASSERT_TRUE(m_dlg->Create(nullptr));
    }
    void TearDown() override {
        m_dlg.reset();
        SkinAppTest::TearDown();
    }
    // Runs the command and, if a device information box opens, reads its
    // text and closes it with its close button.
    std::u16string DeviceInfoBoxText() {
        std::u16string text = u"<no box>";
        qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] {
            auto* box = FindHost<CDlgDeviceInfo>();
            if (!box) return;
            text = box->FindChildByName(u"txt_info")->GetWindowText().str();
            m_boxTopmost = (box->GetHostStyle() & ui::HostStyle_TopMost) != 0;
            m_ownerDisabled = !m_dlg->IsHostWindowEnabled();
            Click(*box, *box->FindChildByName(u"btn_close"));
        });
        m_dlg->SendMessage(WM_COMMAND, kMainCmdDeviceInfo);
        return text;
    }
    std::string Program(const char* name) { return qv::os::NativePath(m_fake.folder) + "/" + name; }

    FakePluginApp m_fake;
    std::unique_ptr<CMainDlg> m_dlg;
    bool m_boxTopmost = false;
    bool m_ownerDisabled = false;
};

TEST_F(MenuCommandsTest, DeviceInformationAsksTheCardAndShowsItsAnswerInAnOwnedBox) {
    m_dlg->SendMessage(WM_COMMAND, kMainCmdDeviceInfo);  // no device manager
    FakeDeviceMgmt manager;
    m_fake.manager = &manager;
    m_dlg->SendMessage(WM_COMMAND, kMainCmdDeviceInfo);  // not connected
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    for (const auto& box : m_boxes.Boxes()) EXPECT_EQ(box.text, u"未连接设备！");

    CWorkSpace workspace(&manager, ThisFamily());
    m_fake.workspace = &workspace;
    ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));
    manager.SetResponder([](const FakeDeviceMgmt::Frame& request, FakeDeviceMgmt::Frame& reply) {
        FakeDeviceMgmt::GoodReply(request, reply);
        reply[4] = 12;
        reply[6] = 23;
        reply[14] = 2;
        qv::frame::Seal(reply.data());
        return true;
    });
    const std::u16string line = Expected().productLine;
    EXPECT_EQ(DeviceInfoBoxText(), line + u"硬件版本：V1.2\n固件版本：V2.3\n设备类型：话筒\n");
    EXPECT_EQ(manager.Requests().back().frame[0], 0x92);
    EXPECT_TRUE(m_ownerDisabled);
    EXPECT_TRUE(m_boxTopmost);  // over the main window, which opened topmost
    EXPECT_TRUE(m_dlg->IsHostWindowEnabled());

    manager.SetResponder([](const FakeDeviceMgmt::Frame&, FakeDeviceMgmt::Frame&) { return false; });
    EXPECT_EQ(DeviceInfoBoxText(), line);  // the query failed
    manager.Disconnect();

    // The box's close button ends it with cancel.
    CDlgDeviceInfo box(line);
    qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] { Click(box, *box.FindChildByName(u"btn_close")); });
    EXPECT_EQ(box.DoModal(nullptr), IDCANCEL);
}

// The family's main menu, whose 关于 opens the family's about box; the
// manual's command (which zenk's menu does not offer) opens the manual,
// only when it is there.
TEST_F(MenuCommandsTest, TheMenusAboutOpensTheAboutBoxAndTheManualCommandTheManual) {
    using qv::controls::CInActiveCloseDlg;
    const ExpectedFamily& family = Expected();
    m_dlg->ShowWindow(SW_SHOWNORMAL);
    const std::vector<std::u16string> items = PickFromMainMenu(*m_dlg, static_cast<UINT>(family.aboutCommand));
    std::vector<std::u16string> expected;
    for (const char16_t* item : family.mainMenu)
        if (item) expected.push_back(item);
    EXPECT_EQ(items, expected);
    ASSERT_EQ(CInActiveCloseDlg::OpenCount(), 1);
    std::u16string named;
    for (ui::SHostWnd* host : m_app->GetHostWnds())
        if (host->GetTitle() == u"about") named = host->FindChildByName(u"txt_name")->GetWindowText().str();
    EXPECT_EQ(named, family.aboutName);
    CInActiveCloseDlg::CloseAll();

    m_dlg->SendMessage(WM_COMMAND, family.manualCommand);
    EXPECT_TRUE(m_shell.Documents().empty());
    fs::create_directories(Program("Manuals"));
    std::ofstream(qv::os::NativePath(m_fake.folder + family.manualFile)) << "%PDF";
    m_dlg->SendMessage(WM_COMMAND, family.manualCommand);
    ASSERT_EQ(m_shell.Documents().size(), 1u);
    EXPECT_EQ(m_shell.Documents()[0], m_fake.folder + family.manualFile);
    EXPECT_EQ(CInActiveCloseDlg::OpenCount(), 0);
}

TEST_F(MenuCommandsTest, TheUpdaterRunsFromACopyInTheTemporaryFolder) {
    const std::u16string missing = u"更新程序文件upgrade.exe已经丢失！";
    m_dlg->SendMessage(WM_COMMAND, kMainCmdCheckUpdate);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, missing);
    EXPECT_TRUE(m_shell.Programs().empty());

    std::ofstream(Program("upgrade")) << "#!/bin/sh\n";
    ASSERT_EQ(chmod(Program("upgrade").c_str(), 0750), 0);
    const std::string tmp = m_dir + "/tmp with space/";
    fs::create_directories(tmp);
    setenv("TMPDIR", tmp.c_str(), 1);
    std::ofstream(tmp + "Quorvel_upgrade") << "an older copy";
    m_dlg->SendMessage(WM_COMMAND, kMainCmdCheckUpdate);
    ASSERT_EQ(m_shell.Programs().size(), 1u);
    EXPECT_EQ(m_shell.Programs()[0].program, qv::os::Utf8ToUtf16(tmp + "Quorvel_upgrade"));
    EXPECT_EQ(m_shell.Programs()[0].parameters, u"1.0.3 3 Quorvel {217984E9-C0EC-44B9-BF57-0800EC42972D} Quorvel_MAIN");
    struct stat st {};
    ASSERT_EQ(stat((tmp + "Quorvel_upgrade").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    EXPECT_EQ(st.st_size, 10);

    // A copy that cannot be made starts nothing and says so.
    setenv("TMPDIR", (m_dir + "/no such folder").c_str(), 1);
    m_dlg->SendMessage(WM_COMMAND, kMainCmdCheckUpdate);
    EXPECT_EQ(m_shell.Programs().size(), 1u);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[1].text, missing);
}

}  // namespace
}  // namespace qv::test
