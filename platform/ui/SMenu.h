#pragma once
// A pop-up menu from the skin's XML: <item id="7">text</item> elements, <sep/>
// separators and items holding items (sub-menus), under a root whose
// attributes style every item ("itemHeight", "itemSkin", "sepSkin",
// "sepHeight", "skin", "font", "colorText", "colorTextDisable",
// "colorTextHover"). An item's own attributes ("check", "disable",
// "colorTextHover", ...) win over the root's.
#include <memory>
#include <pugixml.hpp>

#include "platform/ui/SStringW.h"
#include "platform/ui/WinDefs.h"

namespace qv::ui {

class SMenuTracker;

// InsertMenu flags.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
// TrackPopupMenu: return the chosen id instead of sending it to the owner.
constexpr UINT TPM_RETURNCMD = 0x0100;

class SMenu {
public:
    SMenu();
    ~SMenu();
    SMenu(const SMenu&) = delete;
    SMenu& operator=(const SMenu&) = delete;

    // By resource name: "smenu:menu_tray", "SMENU::menu_preset" or a bare
    // name (type SMENU). False when it is missing or not XML.
    BOOL LoadMenu(const SStringW& resName);
    // A copy of a template node (the edit controls' context menu).
    BOOL LoadMenu(pugi::xml_node root);
    bool IsLoaded() const;

    // Items by command id, at any depth.
    bool HasItem(UINT id) const;
    BOOL SetItemAttribute(UINT id, const SStringW& name, const SStringW& value);
    SStringW GetItemAttribute(UINT id, const SStringW& name) const;
    SStringW GetItemText(UINT id) const;
    BOOL CheckMenuItem(UINT id, bool check) { return SetItemAttribute(id, u"check", check ? u"1" : u"0"); }
    // Items and separators of the top level.
    int GetItemCount() const;
    // Inserts before the item at `position` of the top level (MF_BYPOSITION;
    // past the end appends) or before the item with that id (MF_BYCOMMAND,
    // any depth). MF_SEPARATOR inserts a separator.
    BOOL InsertMenu(UINT position, UINT flags, UINT id, const SStringW& text);

    // Shows the menu with its top-left corner at the screen point (moved to
    // stay on the work area), runs a nested loop until an item is chosen,
    // Escape is pressed or a click lands outside, then posts WM_COMMAND
    // (id in the low word) to the owner. Returns the chosen id, 0 for none.
    UINT TrackPopupMenu(UINT flags, int x, int y, HWND owner, int scale = 100);
    // While tracking: the open menu windows, top level first.
    SMenuTracker* GetTracker() const { return m_tracker; }
    // Ends a running TrackPopupMenu without a choice.
    void EndMenu();

    pugi::xml_node GetRoot() const;

private:
    pugi::xml_node FindItem(UINT id) const;

    pugi::xml_document m_doc;
    SMenuTracker* m_tracker = nullptr;
};

// The context menu of edit controls (the skin's "editmenu" element), set
// once at start-up; an empty node clears it (FALSE). Empty until set.
BOOL SetEditMenuTemplate(pugi::xml_node root);
pugi::xml_node GetEditMenuTemplate();

}  // namespace qv::ui
