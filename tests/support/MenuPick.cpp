#include "tests/support/MenuPick.h"

#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SMenuWnd.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

ui::SMenuWnd* OpenMenuLevel(int level) {
    ui::SApplication* app = ui::SApplication::getSingletonPtr();
    if (!app) return nullptr;
    for (ui::SHostWnd* host : app->GetHostWnds()) {
        auto* menu = dynamic_cast<ui::SMenuWnd*>(host);
        if (menu && menu->GetLevel() == level && menu->IsWindowVisible()) return menu;
    }
    return nullptr;
}

MenuItems ItemsOf(ui::SMenuWnd& menu) {
    MenuItems items;
    for (ui::SWindow* w = menu.GetWindow(ui::GSW_FIRSTCHILD); w; w = w->GetWindow(ui::GSW_NEXTSIBLING)) {
        if (auto* entry = dynamic_cast<ui::SMenuItemWnd*>(w); entry && !entry->IsSeparator())
            items.emplace_back(entry->GetNode().attribute("id").as_uint(),
                               ui::SStringW::FromUtf8(entry->GetNode().text().get()).str());
    }
    return items;
}

}  // namespace

void PickFromNextMenu(std::vector<UINT> path, MenuItems* top) {
    os::PostTask(os::GetCurrentThreadId(), [path = std::move(path), top] {
        ui::SMenuWnd* menu = OpenMenuLevel(0);
        if (!menu) return;
        if (top) *top = ItemsOf(*menu);
        for (std::size_t level = 0; level < path.size(); ++level) {
            // A sub-menu opens beside its item as the item is clicked.
            ui::SMenuWnd* shown = OpenMenuLevel(static_cast<int>(level));
            ui::SMenuItemWnd* item = shown ? shown->FindItem(path[level]) : nullptr;
            if (!item) break;
            Click(*shown, CenterOf(item));
            if (level + 1 == path.size()) return;
        }
        menu->GetTracker()->Cancel();
    });
}

}  // namespace qv::test
