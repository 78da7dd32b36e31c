#pragma once
// Message maps: a host window, and each page it chains to, answers messages
// in ProcessWindowMessage. A handler that calls SetMsgHandled(FALSE) lets the
// walk go on to the next entry and the chained maps.
#include <type_traits>

#include "platform/os/Types.h"
#include "platform/ui/WinDefs.h"

namespace qv::ui {

class CMessageMap {
public:
    virtual ~CMessageMap() = default;
    // TRUE when handled; result then holds the answer.
    virtual BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    void SetMsgHandled(BOOL handled) { m_msgHandled = handled; }
    BOOL IsMsgHandled() const { return m_msgHandled; }

protected:
    BOOL m_msgHandled = TRUE;
};

}  // namespace qv::ui

#define BEGIN_MSG_MAP_EX(cls)                                                                          \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override { \
        (void)hWnd; (void)wParam; (void)lParam; (void)lResult;

// Runs a handler with the handled flag set; the flag it leaves decides.
#define QV_MSG_CALL(expr)                                   \
    {                                                       \
        BOOL qvSavedHandled = this->m_msgHandled;           \
        this->SetMsgHandled(TRUE);                          \
        expr;                                               \
        BOOL qvHandled = this->IsMsgHandled();              \
        this->m_msgHandled = qvSavedHandled;                \
        if (qvHandled) return TRUE;                         \
    }

// LRESULT func(UINT msg, WPARAM, LPARAM)
#define MESSAGE_HANDLER_EX(msgId, func) \
    if (uMsg == (msgId)) QV_MSG_CALL(lResult = func(uMsg, wParam, lParam))
// int OnCreate(void*)
#define MSG_WM_CREATE(func) \
    if (uMsg == WM_CREATE) QV_MSG_CALL(lResult = func(reinterpret_cast<void*>(lParam)))
// BOOL OnInitDialog(HWND focus, LPARAM)
#define MSG_WM_INITDIALOG(func) \
    if (uMsg == WM_INITDIALOG) QV_MSG_CALL(lResult = func(reinterpret_cast<HWND>(wParam), lParam))
#define MSG_WM_DESTROY(func) \
    if (uMsg == WM_DESTROY) QV_MSG_CALL(func(); lResult = 0)
#define MSG_WM_CLOSE(func) \
    if (uMsg == WM_CLOSE) QV_MSG_CALL(func(); lResult = 0)
// void OnTimer(UINT_PTR id)
#define MSG_WM_TIMER(func) \
    if (uMsg == WM_TIMER) QV_MSG_CALL(func(static_cast<UINT_PTR>(wParam)); lResult = 0)
// void OnSize(UINT type, CSize)
#define MSG_WM_SIZE(func) \
    if (uMsg == WM_SIZE) QV_MSG_CALL(func(static_cast<UINT>(wParam), qv::ui::CSize(LOWORD(lParam), HIWORD(lParam))); lResult = 0)
// void OnCommand(UINT notifyCode, int id, HWND ctl)
#define MSG_WM_COMMAND(func) \
    if (uMsg == WM_COMMAND) QV_MSG_CALL(func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam)); lResult = 0)
// void OnSysCommand(UINT cmd, CPoint)
#define MSG_WM_SYSCOMMAND(func) \
    if (uMsg == WM_SYSCOMMAND) QV_MSG_CALL(func(static_cast<UINT>(wParam), qv::ui::CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); lResult = 0)
#define CHAIN_MSG_MAP(base) \
    if (base::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;
#define CHAIN_MSG_MAP_MEMBER(member) \
    if ((member).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;
#define END_MSG_MAP() \
    return FALSE;     \
    }

// Event maps: a host (or a page chained to it) answers events its windows
// did not handle. A handler that returns bool (or BOOL) says whether it
// handled the event: false leaves the event to the entries and chained maps
// after it. A handler that returns nothing has handled it.
namespace qv::ui::detail {
template <class F>
bool CallEventHandler(F&& call) {
    if constexpr (std::is_void_v<std::invoke_result_t<F>>) {
        call();
        return true;
    } else {
        return static_cast<bool>(call());
    }
}
}  // namespace qv::ui::detail

#define QV_EVENT_CALL(expr)                                                    \
    if (qv::ui::detail::CallEventHandler([&] { return expr; })) {             \
        ++pEvt->handled;                                                       \
        return TRUE;                                                           \
    }

#define EVENT_MAP_BEGIN()                               \
    BOOL _HandleEvent(qv::ui::EventArgs* pEvt) {        \
        const int uCode = pEvt->GetID();                \
        (void)uCode;
// func() for the command event of one sender id or name.
#define EVENT_ID_COMMAND(id, func) \
    if (uCode == qv::ui::EVT_CMD && pEvt->idFrom == (id)) QV_EVENT_CALL(func())
#define EVENT_NAME_COMMAND(name, func) \
    if (uCode == qv::ui::EVT_CMD && pEvt->nameFrom == qv::ui::SStringW(name)) QV_EVENT_CALL(func())
// func(EventArgs*) for the command event of senders first..last (both included).
#define EVENT_ID_COMMAND_RANGE(first, last, func) \
    if (uCode == qv::ui::EVT_CMD && pEvt->idFrom >= (first) && pEvt->idFrom <= (last)) QV_EVENT_CALL(func(pEvt))
// func(EventArgs*) for every event with the code.
#define EVENT_HANDLER(code, func) \
    if (uCode == (code)) QV_EVENT_CALL(func(pEvt))
// func(EventArgs*) for events with the code from one sender id, a range of ids, or a name.
#define EVENT_ID_HANDLER(id, code, func) \
    if (uCode == (code) && pEvt->idFrom == (id)) QV_EVENT_CALL(func(pEvt))
#define EVENT_ID_RANGE_HANDLER(first, last, code, func) \
    if (uCode == (code) && pEvt->idFrom >= (first) && pEvt->idFrom <= (last)) QV_EVENT_CALL(func(pEvt))
#define EVENT_NAME_HANDLER(name, code, func) \
    if (uCode == (code) && pEvt->nameFrom == qv::ui::SStringW(name)) QV_EVENT_CALL(func(pEvt))
#define CHAIN_EVENT_MAP(base) \
    if (base::_HandleEvent(pEvt)) return TRUE;
#define CHAIN_EVENT_MAP_MEMBER(member) \
    if ((member)._HandleEvent(pEvt)) return TRUE;
#define EVENT_MAP_END() \
    return FALSE;       \
    }
