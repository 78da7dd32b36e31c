// The value edit box: wheel, Up, Down and Enter ask for a value step; a
// double click selects the whole text.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/SEdit2.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/controls/StandardControls.h"

namespace {

using qv::controls::EventEditValueChanging;
using qv::controls::SEdit2;

class StepLog : public qv::ui::SHostWnd {
public:
    std::vector<int> steps;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override {
        auto* step = qv::ui::EventCast<EventEditValueChanging>(e);
        if (!step) return FALSE;
        EXPECT_EQ(e->GetName(), std::u16string_view(u"on_edit_valuechanging"));
        steps.push_back(step->nStep);
        return TRUE;
    }
};

class SEdit2Test : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<qv::ui::SApplication>(nullptr);
        qv::ui::RegisterStandardControls(app->GetWindowFactory());
        qv::controls::RegisterEdit2(app->GetWindowFactory());
        ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"200,100\"><root>"
                                     u"<edit2 name=\"v\" pos=\"10,10,@100,@24\">12</edit2>"
                                     u"<edit2 name=\"multi\" pos=\"10,50,@100,@24\" wantReturn=\"1\"/>"
                                     u"</root></SOUI>"),
                  nullptr);
        edit = host.FindChildByName2<SEdit2>(u"v");
        ASSERT_NE(edit, nullptr);
        edit->SetFocus();
    }
    void TearDown() override {
        host.DestroyWindow();
        while (qv::os::PumpOneMessage()) {
        }
        app.reset();
        qv::os::DestroyThreadQueue();
    }
    void Key(UINT vk) { host.SendMessage(WM_KEYDOWN, vk, 0); }
    void Wheel(int delta) {
        host.SendMessage(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16,
                         MAKELPARAM(20, 20));
    }

    std::unique_ptr<qv::ui::SApplication> app;
    StepLog host;
    SEdit2* edit = nullptr;
};

TEST_F(SEdit2Test, WheelAndKeysAskForSteps) {
    EXPECT_TRUE(edit->IsClass(u"edit2"));
    EXPECT_TRUE(edit->IsClass(u"edit"));
    Wheel(120);
    Wheel(-120);
    Key(VK_UP);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(host.steps, (std::vector<int>{1, -1, 1, -1, 0}));
    EXPECT_EQ(edit->GetWindowText(), qv::ui::SStringW(u"12"));  // the box itself changes nothing
}

TEST_F(SEdit2Test, EnterInAnEditThatWantsReturnAsksNothing) {
    auto* multi = host.FindChildByName2<SEdit2>(u"multi");
    ASSERT_NE(multi, nullptr);
    ASSERT_TRUE(multi->WantsReturn());
    multi->SetFocus();
    Key(VK_RETURN);
    EXPECT_TRUE(host.steps.empty());
}

TEST_F(SEdit2Test, DoubleClickSelectsAll) {
    edit->SetSel(1, 1);
    host.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
    int start = -2, end = -2;
    edit->GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 2);
}

TEST_F(SEdit2Test, UnknownFocusSkinIsKeptOff) {
    EXPECT_EQ(edit->SetAttribute(u"focusSkin", u"missing", false), S_FALSE);
    EXPECT_EQ(edit->GetFocusSkin(), nullptr);
}

}  // namespace

namespace {

// The main thread's font caches live until it exits; free them so the leak
// checker sees only what the tests themselves leave.
class FontCacheEnvironment : public ::testing::Environment {
public:
    void TearDown() override { qv::ui::SRenderTarget::ReleaseThreadFontCache(); }
};

const auto* const kFontCacheEnvironment = ::testing::AddGlobalTestEnvironment(new FontCacheEnvironment);

}  // namespace
