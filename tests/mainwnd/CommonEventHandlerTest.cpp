#include "plugin/windows/CommonEventHandler.h"

#include <gtest/gtest.h>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SHostDialog.h"
#include "tests/mainwnd/MainWndTestEnv.h"

namespace qv::test {
namespace {

constexpr const char16_t* kButtons = u"<SOUI size=\"300,60\"><root>"
                                     u"<button name=\"btn_min\" pos=\"0,0,@40,@20\"/>"
                                     u"<button name=\"btnOK\" pos=\"50,0,@40,@20\"/>"
                                     u"<button name=\"btnCancel\" pos=\"100,0,@40,@20\"/>"
                                     u"<button name=\"btn_close\" pos=\"150,0,@40,@20\"/>"
                                     u"<button name=\"btn_other\" pos=\"200,0,@40,@20\"/>"
                                     u"</root></SOUI>";

// A dialog whose widgets' commands go to the shared handler.
class HandledDialog : public ui::SHostDialog {
public:
    HandledDialog() { handler.Attach(this); }
    BOOL _HandleEvent(ui::EventArgs* e) override { return handler.OnEvent(e); }
    CCommonEventHandler handler;
};

using CommonEventHandlerTest = SkinAppTest;

TEST_F(CommonEventHandlerTest, StandardButtonsActOnTheirOwnWindowOnly) {
    HandledDialog dlg;
    ASSERT_TRUE(dlg.CreateFromXml(kButtons));
    dlg.ShowWindow(SW_SHOWNORMAL);
    Click(dlg, *dlg.FindChildByName(u"btn_min"));
    EXPECT_TRUE(dlg.IsIconic());
    Click(dlg, *dlg.FindChildByName(u"btn_other"));  // not one of them
    EXPECT_TRUE(dlg.IsWindow());

    // A command of another window's widget is not this handler's.
    ui::SHostWnd other;
    ASSERT_TRUE(other.CreateFromXml(kButtons));
    ui::EventCmd foreign(other.FindChildByName(u"btn_close"));
    foreign.nameFrom = u"btn_close";
    EXPECT_FALSE(dlg.handler.OnEvent(&foreign));
    EXPECT_TRUE(dlg.IsWindow());

    Click(dlg, *dlg.FindChildByName(u"btn_close"));
    EXPECT_FALSE(dlg.IsWindow());

    // In a modal loop OK and Cancel end it with their codes.
    for (const auto& [name, code] : {std::pair{u"btnOK", IDOK}, std::pair{u"btnCancel", IDCANCEL}}) {
        HandledDialog modal;
        ASSERT_TRUE(modal.CreateFromXml(kButtons));
        qv::os::PostTask(qv::os::GetCurrentThreadId(), [&modal, name = name] { Click(modal, *modal.FindChildByName(name)); });
        EXPECT_EQ(modal.DoModal(), code);
    }
}

}  // namespace
}  // namespace qv::test
