#pragma once
// A push button that opens a drop-down (layout tag "qvcombobtn"): a click
// opens a popup below the button, or above it when it would pass the bottom
// of the display and fits above. The popup shows the children of the
// button's <dropdown> element, whose "width" and "height" give its size
// (else the button's width and the content's height) and whose other
// attributes go to the popup. "animateTime" (ms) slides it open.
//
// The drop-down ends when something else is clicked, on Escape or on
// EndDropDown; the button then forgets it and can open it again.
#include <cstdint>
#include <memory>
#include <pugixml.hpp>

#include "platform/ui/controls/SButton.h"
#include "platform/ui/controls/SDropDownWnd.h"

namespace qv::controls {

class QvComboBtn : public qv::ui::SButton, public qv::ui::ISDropDownOwner, private qv::ui::ITimelineHandler {
    QV_CLASS_NAME(QvComboBtn, qv::ui::SButton, u"qvcombobtn", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SButton)

public:
    QvComboBtn();
    ~QvComboBtn() override;

    BOOL CreateChildren(pugi::xml_node node) override;
    // Opens the drop-down unless it is open.
    void DropDown();
    // Ends the open drop-down with IDCANCEL.
    void EndDropDown();
    bool IsDropped() const { return m_dropDown != nullptr; }
    qv::ui::SDropDownWnd* GetDropDown() const { return m_dropDown.get(); }
    // Where the open drop-down goes once fully open (screen coordinates).
    const qv::ui::CRect& GetDropDownRect() const { return m_openRect; }
    bool OpensUpward() const { return m_upward; }

    void OnLButtonUp(qv::ui::CPoint pt, UINT flags) override;

    // ISDropDownOwner
    qv::ui::SWindow* GetDropDownOwner() override { return this; }
    void OnCreateDropDown(qv::ui::SDropDownWnd* dropDown) override;
    void OnDestroyDropDown(qv::ui::SDropDownWnd* dropDown) override;

protected:
    void OnDestroy() override;

private:
    // The open rectangle for a popup of that size, from the button's place
    // on its display.
    void PlaceDropDown(qv::ui::CSize size);
    // The popup's rectangle after elapsedMs of the slide.
    qv::ui::CRect SlideRect(std::uint32_t elapsedMs) const;
    void OnNextFrame() override;

    int m_animateTime = 0;
    // Refresh the host's hover state when the drop-down ends.
    bool m_refreshHover = false;
    std::unique_ptr<qv::ui::SDropDownWnd> m_dropDown;
    // An ended drop-down is kept until the next one opens: it is still
    // finishing its own end when it tells the button.
    std::unique_ptr<qv::ui::SDropDownWnd> m_ended;
    pugi::xml_document m_content;  // the <dropdown> element
    qv::ui::CRect m_openRect;
    bool m_upward = false;
    std::uint32_t m_slideStart = 0;
    bool m_sliding = false;
};

}  // namespace qv::controls
