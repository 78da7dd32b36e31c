#include "plugin/pages/EventHandlerEffect.h"
#include "plugin/pages/EventHandlerRecord.h"
#include "plugin/pages/EventHandlerSound.h"
#include "plugin/windows/MainDlgPage.h"

// The pages join here as they are built, in this order: effect page, sound
// pads page, recording page.
MainDlgPages CreateMainDlgPages() {
    MainDlgPages pages;
    pages.push_back(std::make_unique<CEventHandlerEffect>());
    pages.push_back(std::make_unique<CEventHandlerSound>());
    pages.push_back(std::make_unique<CEventHandlerRecord>());
    return pages;
}
