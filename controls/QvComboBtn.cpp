#include "controls/QvComboBtn.h"

#include <algorithm>

#include "platform/os/Tick.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SHostWnd.h"

namespace qv::controls {

using namespace qv::ui;

namespace {
SHostWnd* HostOf(const SWindow* wnd) { return dynamic_cast<SHostWnd*>(wnd->GetContainer()); }
}  // namespace

std::span<const AttrRow> QvComboBtn::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvComboBtn::m_animateTime>(u"animateTime", AttrEffect::NoRepaint),
    };
    return kRows;
}

QvComboBtn::QvComboBtn() = default;

QvComboBtn::~QvComboBtn() { EndDropDown(); }

void QvComboBtn::OnDestroy() {
    EndDropDown();
    SButton::OnDestroy();
}

BOOL QvComboBtn::CreateChildren(pugi::xml_node node) {
    // The <dropdown> element is the popup's content, not a child of the button.
    pugi::xml_document rest;
    pugi::xml_node copy = rest.append_copy(node);
    m_content.reset();
    if (pugi::xml_node content = copy.child("dropdown")) {
        m_content.append_copy(content);
        copy.remove_child(content);
    }
    return SButton::CreateChildren(copy);
}

void QvComboBtn::OnLButtonUp(CPoint pt, UINT flags) {
    const bool click = (GetState() & WndState_PushDown) && GetWindowRect().PtInRect(pt);
    SButton::OnLButtonUp(pt, flags);
    if (click && !IsDestroying()) DropDown();
}

void QvComboBtn::DropDown() {
    SHostWnd* host = HostOf(this);
    if (m_dropDown || !host || !host->IsWindow()) return;
    m_ended.reset();
    m_dropDown = std::make_unique<SDropDownWnd>(this);
    // Created at the button, then sized and placed once its content exists.
    CRect rc = GetWindowRect();
    CPoint topLeft = rc.TopLeft();
    host->ClientToScreen(topLeft);
    if (!m_dropDown->Create(CRect(topLeft, CSize(std::max(1, rc.Width()), 1)))) {
        m_dropDown.reset();
        return;
    }
    if (!m_dropDown) return;  // ended as it opened
    m_dropDown->SetOwnerWnd(host->GetHwnd());
    if (m_sliding) m_dropDown->RegisterTimelineHandler(this);
}

void QvComboBtn::OnCreateDropDown(SDropDownWnd* dropDown) {
    dropDown->ModifyHostStyle(HostStyle_Popup | HostStyle_TopMost | HostStyle_ToolWindow, 0);
    pugi::xml_node content = m_content.first_child();
    CSize size(GetWindowRect().Width(), 0);
    for (pugi::xml_attribute attr : content.attributes()) {
        const SStringW name = XmlText(attr.name());
        if (AttrNameEquals(name, u"width")) size.cx = attr.as_int();
        else if (AttrNameEquals(name, u"height")) size.cy = attr.as_int();
        else dropDown->SetAttribute(name, XmlText(attr.value()), true);
    }
    if (content) dropDown->CreateChildren(content);
    if (size.cy <= 0) size.cy = dropDown->GetDesiredSize().cy;
    PlaceDropDown(CSize(std::max(1, size.cx), std::max(1, size.cy)));
    m_sliding = m_animateTime >= 1;
    m_slideStart = qv::os::GetTickCount();
    dropDown->SetWindowPos(SlideRect(0));
}

void QvComboBtn::PlaceDropDown(CSize size) {
    SHostWnd* host = HostOf(this);
    CRect button = GetWindowRect();
    CPoint topLeft = button.TopLeft(), bottomRight(button.right, button.bottom);
    host->ClientToScreen(topLeft);
    host->ClientToScreen(bottomRight);
    button = CRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    const CRect monitor = GetDisplayBackend().GetDisplayNear(host->GetScreenRect()).bounds;
    // Above the button only when it does not fit below but fits above.
    m_upward = button.bottom + size.cy > monitor.bottom && button.top - size.cy >= monitor.top;
    const int top = m_upward ? button.top - size.cy : button.bottom;
    m_openRect = CRect(CPoint(button.left, top), size);
}

CRect QvComboBtn::SlideRect(std::uint32_t elapsedMs) const {
    if (!m_sliding || elapsedMs >= static_cast<std::uint32_t>(m_animateTime)) return m_openRect;
    const int h = std::max(1, static_cast<int>(static_cast<long long>(m_openRect.Height()) * elapsedMs / m_animateTime));
    CRect rc = m_openRect;
    if (m_upward) rc.top = rc.bottom - h;
    else rc.bottom = rc.top + h;
    return rc;
}

void QvComboBtn::OnNextFrame() {
    if (!m_dropDown) return;
    const std::uint32_t elapsed = qv::os::GetTickCount() - m_slideStart;
    m_dropDown->SetWindowPos(SlideRect(elapsed));
    if (elapsed < static_cast<std::uint32_t>(m_animateTime)) return;
    m_sliding = false;
    m_dropDown->UnregisterTimelineHandler(this);
}

void QvComboBtn::EndDropDown() {
    if (m_dropDown) m_dropDown->EndDropDown(IDCANCEL);
}

void QvComboBtn::OnDestroyDropDown(SDropDownWnd* dropDown) {
    if (dropDown != m_dropDown.get()) return;
    SHostWnd* host = HostOf(this);
    if (m_refreshHover && host) {
        CPoint pt = GetDisplayBackend().GetCursorPos();
        host->ScreenToClient(pt);
        host->PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    }
    m_sliding = false;
    m_ended = std::move(m_dropDown);
}

}  // namespace qv::controls
