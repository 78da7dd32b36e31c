#pragma once
// A combo box that draws its own face and drop button (layout tag
// "qvcombobox"). Its list (id -200, tracking the hovered item) is built
// from <liststyle>, and its items from <items><item text icon data/>, icon
// and data 0 unless given. "curSel" selects an item when it is one of them.
// The drop button's skin frame: disabled 3, pushed or checked 2, hover 1,
// else 0.
#include "platform/ui/controls/SComboBox.h"

namespace qv::controls {

class QvComboBox : public qv::ui::SComboBox {
    QV_CLASS_NAME(QvComboBox, qv::ui::SComboBox, u"qvcombobox", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SComboBox)

public:
    BOOL CreateChildren(pugi::xml_node node) override;
    // The drop button's skin frame for the current state.
    int GetDropButtonFrame() const;

protected:
    std::unique_ptr<qv::ui::SListBox> CreateListBox(pugi::xml_node listStyle) override;
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    HRESULT SetCurSelAttr(const qv::ui::SStringW& value, bool loading);
    HRESULT SetBtnSkinAttr(const qv::ui::SStringW& value, bool loading);

    int m_initialSel = -1;
    qv::ui::ISkinObj* m_btnSkin = nullptr;
};

}  // namespace qv::controls
