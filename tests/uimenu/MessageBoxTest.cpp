#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/SMessageBox.h"
#include "tests/uimenu/MenuTestEnv.h"

namespace qv::ui {
namespace {

class MessageBoxTest : public test::MenuUiTest {
protected:
    void TearDown() override {
        SetMsgTemplate({});
        SetMessageBoxService(nullptr);
        test::MenuUiTest::TearDown();
    }
    SMessageBoxImpl* OpenBox() {
        for (SHostWnd* h : m_app->GetHostWnds()) {
            if (auto* box = dynamic_cast<SMessageBoxImpl*>(h)) return box;
        }
        return nullptr;
    }
    // The buttons of the page that shows.
    std::vector<std::pair<int, SStringW>> ShownButtons(SMessageBoxImpl* box) {
        std::vector<std::pair<int, SStringW>> buttons;
        SWindow* pages = box->FindChildByName(u"btnSwitch");
        for (SWindow* page = pages->GetWindow(GSW_FIRSTCHILD); page; page = page->GetWindow(GSW_NEXTSIBLING)) {
            if (!page->IsVisible()) continue;
            for (SWindow* b = page->GetWindow(GSW_FIRSTCHILD); b; b = b->GetWindow(GSW_NEXTSIBLING))
                buttons.emplace_back(b->GetID(), b->GetWindowText());
        }
        return buttons;
    }
    void ClickButton(SMessageBoxImpl* box, int id) {
        SWindow* pages = box->FindChildByName(u"btnSwitch");
        for (SWindow* page = pages->GetWindow(GSW_FIRSTCHILD); page; page = page->GetWindow(GSW_NEXTSIBLING)) {
            if (!page->IsVisible()) continue;
            SWindow* b = page->FindChildByID(id);
            ASSERT_NE(b, nullptr);
            Click(*box, CenterOf(b));
            return;
        }
    }
};

TEST_F(MessageBoxTest, TheSkinsBoxShowsCaptionTextAndTheButtonsOfItsType) {
    using Buttons = std::vector<std::pair<int, SStringW>>;
    Later([&] {
        SMessageBoxImpl* box = OpenBox();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->IsModal());
        EXPECT_TRUE(box->IsWindowVisible());
        EXPECT_EQ(box->FindChildByName(u"msgtitle")->GetWindowText(), SStringW(u"提示"));
        EXPECT_EQ(box->FindChildByName(u"msgtext")->GetWindowText(), SStringW(u"Cannot quit now"));
        EXPECT_EQ(ShownButtons(box), (Buttons{{IDOK, u"OK"}}));
        ClickButton(box, IDOK);
    });
    EXPECT_EQ(SMessageBox(nullptr, u"Cannot quit now", u"提示", MB_OK), IDOK);
    EXPECT_EQ(OpenBox(), nullptr);

    Later([&] {
        SMessageBoxImpl* box = OpenBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ShownButtons(box), (Buttons{{IDYES, u"Yes"}, {IDNO, u"No"}}));
        ClickButton(box, IDNO);
    });
    EXPECT_EQ(SMessageBox(nullptr, u"Delete?", u"Q", MB_YESNO), IDNO);

    Later([&] {
        SMessageBoxImpl* box = OpenBox();
        EXPECT_EQ(ShownButtons(box), (Buttons{{IDYES, u"Yes"}, {IDNO, u"No"}, {IDCANCEL, u"Cancel"}}));
        ClickButton(box, IDYES);
    });
    EXPECT_EQ(SMessageBox(nullptr, u"Save?", u"Q", MB_YESNOCANCEL), IDYES);
}

TEST_F(MessageBoxTest, ClosingWithoutAButtonIsCancelAndReturnTakesTheFirstButton) {
    SHostWnd owner;
    ASSERT_NE(owner.CreateFromXml(u"<SOUI size=\"400,300\"/>"), nullptr);
    Later([&] {
        SMessageBoxImpl* box = OpenBox();
        Click(*box, CenterOf(box->FindChildByName(u"btn_close")));
    });
    EXPECT_EQ(SMessageBox(owner.GetHwnd(), u"t", u"c", MB_YESNO), IDCANCEL);
    Later([&] { OpenBox()->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(SMessageBox(owner.GetHwnd(), u"t", u"c", MB_OK), IDCANCEL);
    Later([&] { OpenBox()->SendMessage(WM_KEYDOWN, VK_RETURN, 0); });
    EXPECT_EQ(SMessageBox(owner.GetHwnd(), u"t", u"c", MB_YESNO), IDYES);
    Later([&] { OpenBox()->SendMessage(WM_CLOSE, 0, 0); });
    EXPECT_EQ(SMessageBox(nullptr, u"t", u"c", MB_OK), IDCANCEL);
}

TEST_F(MessageBoxTest, ATemplateReplacesTheLayoutAndABrokenOneFailsWithoutALoop) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(
        "<SOUI size=\"200,100\"><root><text name=\"msgtext\" pos=\"0,0\"/><window name=\"btnSwitch\" pos=\"0,0,-0,-0\">"
        "<window pos=\"0,0,-0,-0\"><button id=\"1\" pos=\"0,0,@50,@20\">Fine</button></window></window></root></SOUI>"));
    ASSERT_TRUE(SetMsgTemplate(doc.first_child()));
    Later([&] {
        SMessageBoxImpl* box = OpenBox();
        EXPECT_EQ(ShownButtons(box), (std::vector<std::pair<int, SStringW>>{{IDOK, u"Fine"}}));
        ClickButton(box, IDOK);
    });
    EXPECT_EQ(SMessageBox(nullptr, u"t", u"c", MB_OK), IDOK);
    // No page for Yes/No in this template.
    EXPECT_EQ(SMessageBox(nullptr, u"t", u"c", MB_YESNO), IDCANCEL);
    EXPECT_EQ(OpenBox(), nullptr);
}

TEST_F(MessageBoxTest, AModalLoopDisablesItsOwnerUntilItEndsHoweverItEnds) {
    SHostWnd owner;
    ASSERT_NE(owner.CreateFromXml(u"<SOUI size=\"200,100\"><root><button name=\"b\" pos=\"0,0,-0,-0\">x</button></root></SOUI>"),
              nullptr);
    int commands = 0;
    owner.FindChildByName(u"b")->SubscribeEvent(EVT_CMD, [&](EventArgs*) { return ++commands, true; });
    owner.ShowWindow(SW_SHOWNORMAL);
    Later([&] {
        EXPECT_FALSE(owner.IsHostWindowEnabled());
        Click(owner, {50, 50});  // ignored while the box is up
        owner.SendMessage(WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(commands, 0);
        EXPECT_NE(OpenBox(), nullptr);
        ClickButton(OpenBox(), IDOK);
    });
    EXPECT_EQ(SMessageBox(owner.GetHwnd(), u"t", u"c", MB_OK), IDOK);
    EXPECT_TRUE(owner.IsHostWindowEnabled());
    Click(owner, {50, 50});
    EXPECT_EQ(commands, 1);

    // A dialog destroyed from outside its loop, over an owner a box disabled:
    // the inner loop leaves the owner to the outer one.
    SHostDialog dialog;
    Later([&] {
        ASSERT_NE(dialog.CreateFromXml(u"<SOUI size=\"100,50\"/>", owner.GetHwnd()), nullptr);
        Later([&] {
            EXPECT_FALSE(owner.IsHostWindowEnabled());
            dialog.DestroyWindow();
        });
        EXPECT_EQ(dialog.DoModal(owner.GetHwnd()), IDCANCEL);
        EXPECT_FALSE(owner.IsHostWindowEnabled());
        OpenBox()->SendMessage(WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(SMessageBox(owner.GetHwnd(), u"t", u"c", MB_OK), IDCANCEL);
    EXPECT_TRUE(owner.IsHostWindowEnabled());

    // An owner that goes while the box is up is not touched afterwards.
    auto gone = std::make_unique<SHostWnd>();
    ASSERT_NE(gone->CreateFromXml(u"<SOUI size=\"100,50\"/>"), nullptr);
    HWND goneHwnd = gone->GetHwnd();
    Later([&] {
        gone.reset();
        OpenBox()->SendMessage(WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(SMessageBox(goneHwnd, u"t", u"c", MB_OK), IDCANCEL);
}

TEST_F(MessageBoxTest, AnInstalledServiceAnswersWithoutAWindow) {
    struct Scripted : IMessageBoxService {
        int MessageBox(HWND owner, const SStringW& text, const SStringW& caption, UINT type) override {
            seen = {owner, text, caption, type};
            return IDYES;
        }
        struct {
            HWND owner;
            SStringW text, caption;
            UINT type;
        } seen{};
    } scripted;
    SetMessageBoxService(&scripted);
    HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(SMessageBox(owner, u"Overwrite?", u"提示", MB_YESNO), IDYES);
    EXPECT_EQ(scripted.seen.owner, owner);
    EXPECT_EQ(scripted.seen.text, SStringW(u"Overwrite?"));
    EXPECT_EQ(scripted.seen.caption, SStringW(u"提示"));
    EXPECT_EQ(scripted.seen.type, MB_YESNO);
    EXPECT_EQ(OpenBox(), nullptr);
}

}  // namespace
}  // namespace qv::ui
