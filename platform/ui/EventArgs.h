#pragma once
// Events: a base with the sender and a handled count, one class per event id
// with its payload, and a checked downcast (two event classes share 29101, so
// the id alone does not tell the class).
#include "platform/ui/Geometry.h"
#include "platform/ui/SObject.h"
#include "platform/ui/SStringW.h"

namespace qv::ui {

// Framework event ids. The application and the controls use their own
// ranges (10030001..., 29100..., 10000400...).
enum FrameworkEventId : int {
    EVT_CMD = 10000,
    EVT_CTXMENU = 10001,
    EVT_SCROLLVIEW_ORIGINCHANGED = 10002,
    EVT_TAB_SELCHANGED = 11001,
    EVT_SLIDER_POS = 17000,
    EVT_CB_SELCHANGE = 19000,
    EVT_RE_NOTIFY = 8101,
    EVT_STATECHANGED = 8106,
};

class EventArgs {
public:
    explicit EventArgs(SObject* sender);
    virtual ~EventArgs() = default;

    virtual int GetID() const = 0;
    virtual const char16_t* GetName() const = 0;
    SObject* Sender() const { return sender; }

    SObject* sender = nullptr;
    int idFrom = 0;
    SStringW nameFrom;
    int handled = 0;       // subscribers that handled it
    bool bubbleUp = true;  // offered to the host or owner when not handled
};

// The id and name of an event class come from its static members.
template <class T>
class TplEventArgs : public EventArgs {
public:
    using EventArgs::EventArgs;
    int GetID() const override { return T::EventID; }
    const char16_t* GetName() const override { return T::EventName; }
};

// Declares an event class: QV_EVENT_BEGIN(EventFoo, 123, u"on_foo") int payload; QV_EVENT_END
#define QV_EVENT_BEGIN(Cls, id, name)                                  \
    class Cls : public qv::ui::TplEventArgs<Cls> {                     \
    public:                                                            \
        static constexpr int EventID = id;                             \
        static constexpr const char16_t* EventName = name;             \
        explicit Cls(qv::ui::SObject* s) : qv::ui::TplEventArgs<Cls>(s) {}
#define QV_EVENT_END };

// The event as T when it is one (id and class both match), else null.
template <class T>
T* EventCast(EventArgs* e) {
    if (!e || e->GetID() != T::EventID) return nullptr;
    return dynamic_cast<T*>(e);
}

QV_EVENT_BEGIN(EventCmd, EVT_CMD, u"on_command")
QV_EVENT_END

QV_EVENT_BEGIN(EventCtxMenu, EVT_CTXMENU, u"on_context_menu")
    CPoint pt;
    bool bCancel = false;
QV_EVENT_END

QV_EVENT_BEGIN(EventScrollViewOriginChanged, EVT_SCROLLVIEW_ORIGINCHANGED, u"on_scrollview_origin_changed")
    CPoint ptOldOrigin;
    CPoint ptNewOrigin;
QV_EVENT_END

QV_EVENT_BEGIN(EventTabSelChanged, EVT_TAB_SELCHANGED, u"on_tab_sel_changed")
    int uOldSel = -1;
    int uNewSel = -1;
QV_EVENT_END

QV_EVENT_BEGIN(EventSliderPos, EVT_SLIDER_POS, u"on_slider_pos")
    int nCode = 0;  // 2: the position changed
    int nPos = 0;
QV_EVENT_END

QV_EVENT_BEGIN(EventCBSelChange, EVT_CB_SELCHANGE, u"on_cb_sel_change")
    int nCurSel = -1;
QV_EVENT_END

QV_EVENT_BEGIN(EventRENotify, EVT_RE_NOTIFY, u"on_re_notify")
    int iNotify = 0;
QV_EVENT_END

QV_EVENT_BEGIN(EventSwndStateChanged, EVT_STATECHANGED, u"on_state_changed")
    DWORD dwOldState = 0;
    DWORD dwNewState = 0;
    bool CheckState(DWORD bit) const { return (dwOldState & bit) != (dwNewState & bit); }
QV_EVENT_END

}  // namespace qv::ui
