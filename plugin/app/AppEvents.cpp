#include "plugin/app/AppEvents.h"

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SHostWnd.h"

bool FireAppEventAsync(std::shared_ptr<qv::ui::EventArgs> event) {
    qv::ui::SNotifyCenter* center = qv::ui::SNotifyCenter::getSingletonPtr();
    if (!center || !event) return false;
    return center->FireEventAsync(std::move(event));
}

bool FireMainWndEventAsync(std::shared_ptr<qv::ui::EventArgs> event) {
    if (!event || !qv::ui::SApplication::HasMainWnd()) return false;
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    if (!app) return false;
    // The main window is read on its own thread, at delivery: the sender
    // never points at a window that went before the event arrived.
    const BOOL posted = qv::os::PostTask(app->GetThreadId(), [event] {
        qv::ui::SApplication* uiApp = qv::ui::SApplication::getSingletonPtr();
        qv::ui::SNotifyCenter* center = qv::ui::SNotifyCenter::getSingletonPtr();
        if (!uiApp || !center || !uiApp->GetMainWnd()) return;
        event->sender = uiApp->GetMainWnd();
        center->FireEventSync(*event);
    });
    if (!posted) QV_LOGW("event %d dropped: the UI thread has no queue", event->GetID());
    return posted != FALSE;
}

bool FireAppEventSync(qv::ui::EventArgs& event) {
    qv::ui::SNotifyCenter* center = qv::ui::SNotifyCenter::getSingletonPtr();
    if (!center) return false;
    return center->FireEventSync(event);
}
