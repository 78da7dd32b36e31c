#pragma once
// The fixture of these tests: the skin's application with the standard
// controls, and the input a person would give the windows.
#include <functional>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/controls/StandardControls.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui::test {

class MenuUiTest : public UiAppTest {
protected:
    void SetUp() override {
        UiAppTest::SetUp();
        RegisterStandardControls(m_app->GetWindowFactory());
    }
    // Runs once the next message loop of this thread is waiting, which is
    // how a test acts inside a menu's or a box's nested loop.
    static void Later(std::function<void()> task) {
        ASSERT_TRUE(qv::os::PostTask(qv::os::GetCurrentThreadId(), std::move(task)));
    }
    static CPoint CenterOf(const SWindow* w) {
        CRect rc = w->GetWindowRect();
        return {rc.left + rc.Width() / 2, rc.top + rc.Height() / 2};
    }
    static void Click(SHostWnd& host, CPoint pt, bool right = false) {
        host.SendMessage(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        if (host.IsWindow()) host.SendMessage(right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    static void Hover(SHostWnd& host, CPoint pt) { host.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y)); }
};

}  // namespace qv::ui::test
