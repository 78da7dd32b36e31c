#pragma once
// A page of the main window: the effect page, the sound pads page and the
// recording page, in that order. The main window offers every window
// message and every event to its pages in order before its own entries; the
// first page that handles one ends the walk.
#include <memory>
#include <vector>

#include "platform/ui/EventArgs.h"
#include "platform/ui/MessageMap.h"

class CMainDlg;

class IMainDlgPage {
public:
    virtual ~IMainDlgPage() = default;
    // From the main window's WM_INITDIALOG, in page order.
    virtual void Init(CMainDlg& owner) = 0;
    // TRUE when handled; result then holds the answer.
    virtual BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    virtual BOOL _HandleEvent(qv::ui::EventArgs* e) = 0;
};

using MainDlgPages = std::vector<std::unique_ptr<IMainDlgPage>>;

// The pages of this build's main window, in order.
MainDlgPages CreateMainDlgPages();
