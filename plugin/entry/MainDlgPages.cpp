#include "plugin/pages/EventHandlerEffect.h"
#include "plugin/windows/MainDlgPage.h"

// The pages join here as they are built, in this order: effect page, sound
// pads page, recording page.
MainDlgPages CreateMainDlgPages() {
    MainDlgPages pages;
    pages.push_back(std::make_unique<CEventHandlerEffect>());
    return pages;
}
