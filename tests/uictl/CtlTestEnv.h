#pragma once
// A headless host window over a layout given as text, with the standard
// controls registered, and the input helpers of tests/support/UiInput.h
// aimed at it.
#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"

namespace qv::ui::test {

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the host from <root> contents; the host is 300 x 200.
    void CreateHost(const char* rootXml);
    // An image-list skin of the given frame size and number of frames.
    void AddSkin(const char16_t* name, int width, int height, int states = 1);

    void Click(CPoint pt);
    void MouseDown(CPoint pt);
    void MouseMove(CPoint pt);
    void MouseUp(CPoint pt);
    void Key(UINT vk);
    void Char(char16_t ch);
    void Wheel(int delta, CPoint pt);

    template <class T>
    T* Find(const char16_t* name) {
        return m_host->FindChildByName2<T>(name);
    }

    std::unique_ptr<SApplication> m_app;
    std::unique_ptr<SHostWnd> m_host;
};

// Counts the events of one id a window fires and keeps the last one's payload.
struct EventLog {
    void Attach(SWindow* wnd, int id);
    int count = 0;
    int lastPos = 0;     // slider position
    int lastCode = 0;    // slider notification code
    int lastNotify = 0;  // edit notification code
    int lastSel = -1;    // combo selection
    bool lastChecked = false;  // the sender's check state while the event ran
};

}  // namespace qv::ui::test
