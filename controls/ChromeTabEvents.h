#pragma once
// Events of the tab bar. The strip offers New, Close and SelChanged on its
// own event set; a tab fires DbClick, which reaches the host.
#include "platform/ui/EventArgs.h"

namespace qv::ui {
class SWindow;
}

namespace qv::controls {

constexpr int EVT_CHROMETAB_NEW = 10000400;
constexpr int EVT_CHROMETAB_CLOSE = 10000401;
constexpr int EVT_CHROMETAB_SELCHANGED = 10000402;
constexpr int EVT_CHROMETAB_DBCLICK = 10000403;

QV_EVENT_BEGIN(EventChromeTabNew, EVT_CHROMETAB_NEW, u"on_chrometab_new")
    qv::ui::SWindow* pNewTab = nullptr;
    int iNewTab = -1;  // its position
QV_EVENT_END

// Fired before the tab goes.
QV_EVENT_BEGIN(EventChromeTabClose, EVT_CHROMETAB_CLOSE, u"on_chrometab_close")
    qv::ui::SWindow* pCloseTab = nullptr;
    int iCloseTab = -1;
QV_EVENT_END

QV_EVENT_BEGIN(EventChromeTabSelChanged, EVT_CHROMETAB_SELCHANGED, u"on_chrometab_sel_changed")
    int iOldSel = -1;  // -1: none
    int iNewSel = -1;
QV_EVENT_END

QV_EVENT_BEGIN(EventChromeTabDbClick, EVT_CHROMETAB_DBCLICK, u"on_chrometab_dbclick")
    int iIndex = -1;  // creation index
    int iPos = -1;
QV_EVENT_END

}  // namespace qv::controls
