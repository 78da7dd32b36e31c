#pragma once
// A combo box: a text (an edit with dropDown="0", a plain caption with
// dropDown="1"), a drop button, and a list box shown in a drop-down window.
// Choosing an item with the mouse or the keys fires event 19000 with the new
// selection, after the drop-down has closed; SetCurSel by code fires nothing.
// Items come from <items> (as for a list box); <liststyle> gives the list's
// attributes. "cueText" is shown, in the secondary text colour, while a
// drop-down-only combo shows no item. The list box (id -200) lives in the combo while closed and is
// lent to the drop-down while open.
#include <memory>

#include "platform/ui/controls/SDropDownWnd.h"
#include "platform/ui/controls/SListBox.h"

namespace qv::ui {

class SEdit;

class SComboBox : public SWindow, public ISDropDownOwner {
    QV_CLASS_NAME(SComboBox, SWindow, u"combobox", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    static constexpr int kListId = -200;
    static constexpr int kEditId = -100;

    SComboBox();
    ~SComboBox() override;
    BOOL CreateChildren(pugi::xml_node node) override;

    int InsertItem(int index, const SStringW& text, int icon = -1, LPARAM data = 0);
    int AddString(const SStringW& text, int icon = -1, LPARAM data = 0) { return InsertItem(-1, text, icon, data); }
    bool DeleteString(int index);
    void ResetContent();
    int GetCount() const { return m_list->GetCount(); }
    int GetCurSel() const { return m_list->GetCurSel(); }
    // Shows the item's text; -1 clears the selection and the text.
    bool SetCurSel(int index);
    SStringW GetLBText(int index) const { return m_list->GetText(index); }
    LPARAM GetItemData(int index) const { return m_list->GetItemData(index); }
    SListBox* GetListBox() const { return m_list; }
    SEdit* GetEdit() const { return m_edit; }

    SStringW GetWindowText(bool raw = false) const override;
    void SetWindowText(const SStringW& text) override;

    void DropDown();
    void CloseUp();
    bool IsDropped() const { return m_dropDown && m_dropDown->IsWindow(); }
    CRect GetDropButtonRect() const;
    DWORD GetDropButtonState() const { return m_buttonState; }

    void OnLButtonDown(CPoint pt, UINT flags) override;
    void OnLButtonUp(CPoint pt, UINT flags) override;
    void OnMouseMove(CPoint pt, UINT flags) override;
    void OnMouseLeave() override;
    void OnMouseWheel(int delta, CPoint pt) override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void UpdateChildrenPosition() override;
    void OnLanguageChanged() override;
    const SStringW& GetCueText() const { return m_cueText.GetText(); }

    // ISDropDownOwner
    SWindow* GetDropDownOwner() override { return this; }
    void OnCreateDropDown(SDropDownWnd* dropDown) override;
    void OnDestroyDropDown(SDropDownWnd* dropDown) override;

protected:
    // The list box; a subclass may create another kind from the node.
    virtual std::unique_ptr<SListBox> CreateListBox(pugi::xml_node listStyle);
    void OnPaint(SRenderTarget& rt) override;
    void OnDestroy() override;

private:
    HRESULT SetCurSelAttr(const SStringW& value, bool loading);
    HRESULT SetCueTextAttr(const SStringW& value, bool loading);
    bool OnListCommand(EventArgs* e);
    // Selects as the user did: updates the text and fires 19000 when the
    // selection differs from `before`.
    void ChooseItem(int index, int before);
    void ShowSelectionText();

    SListBox* m_list = nullptr;
    std::unique_ptr<SListBox> m_listHolder;  // owns m_list while it is not lent out
    std::unique_ptr<SDropDownWnd> m_dropDown;
    SEdit* m_edit = nullptr;
    ISkinObj* m_btnSkin = nullptr;
    DWORD m_buttonState = WndState_Normal;
    bool m_dropDownOnly = false;  // "dropDown": no edit
    int m_dropHeight = 200;
    int m_pendingSel = -1;   // "curSel" of the layout, applied once the items exist
    int m_selBeforeDrop = -1;  // restored when the drop-down is cancelled
    STrText m_cueText;
};

}  // namespace qv::ui
