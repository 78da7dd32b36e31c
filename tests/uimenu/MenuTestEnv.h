#pragma once
// The fixture of these tests: the skin's application with the standard
// controls, and the input a person would give the windows.
#include <functional>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/controls/StandardControls.h"
#include "tests/support/UiInput.h"
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
    static CPoint CenterOf(const SWindow* w) { return qv::test::CenterOf(w); }
    static void Click(SHostWnd& host, CPoint pt, bool right = false) { qv::test::Click(host, pt, right); }
    static void Hover(SHostWnd& host, CPoint pt) { qv::test::MouseMove(host, pt); }
};

}  // namespace qv::ui::test
