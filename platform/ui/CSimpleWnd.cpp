#include "platform/ui/CSimpleWnd.h"

#include <algorithm>

namespace qv::ui {

CSimpleWnd::CSimpleWnd() {
    ModifyHostStyle(HostStyle_Popup | HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate, 0);
}

HWND CSimpleWnd::CreatePopup(const SStringW& title, const CRect& screenRect) {
    pugi::xml_document doc;
    pugi::xml_node top = doc.append_child("SOUI");
    top.append_attribute("title") = title.ToUtf8().c_str();
    std::string size = std::to_string(std::max(1, screenRect.Width())) + "," + std::to_string(std::max(1, screenRect.Height()));
    top.append_attribute("size") = size.c_str();
    HWND hwnd = CreateFromNode(top, nullptr);
    if (hwnd) SetWindowPos(screenRect);
    return hwnd;
}

}  // namespace qv::ui
