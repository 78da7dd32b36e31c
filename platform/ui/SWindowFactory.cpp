#include "platform/ui/SWindowFactory.h"

#include "platform/ui/SApplication.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/SSkinScrollbar.h"
#include "platform/ui/SWindow.h"
#include "platform/ui/controls/StandardControls.h"

namespace qv::ui {
namespace {

// Plain containers are windows with another tag.
class SPanel : public SWindow {
    QV_CLASS_NAME(SPanel, SWindow, u"div", kObjectWindow)
};

const SWindowFactory& BuiltinWindowFactory() {
    static const SWindowFactory factory = [] {
        SWindowFactory f;
        RegisterBuiltinWindows(f);
        return f;
    }();
    return factory;
}

const SSkinFactory& BuiltinSkinFactory() {
    static const SSkinFactory factory = [] {
        SSkinFactory f;
        RegisterBuiltinSkins(f);
        return f;
    }();
    return factory;
}

}  // namespace

void RegisterBuiltinWindows(SWindowFactory& factory) {
    factory.RegisterClass<SWindow>();
    factory.RegisterClass<SPanel>();
    RegisterStandardControls(factory);
}

void RegisterBuiltinSkins(SSkinFactory& factory) {
    factory.RegisterClass<SSkinImgList>();
    factory.RegisterClass<SSkinImgFrame>();
    factory.RegisterClass<SSkinColor>();
    factory.RegisterClass<SSkinScrollbar>();
}

SWindow* CreateWindowByName(const SStringW& tag) {
    if (SApplication* app = SApplication::getSingletonPtr()) return app->GetWindowFactory().Create(tag);
    return BuiltinWindowFactory().Create(tag);
}

ISkinObj* CreateSkinByName(const SStringW& tag) {
    if (SApplication* app = SApplication::getSingletonPtr()) return app->GetSkinFactory().Create(tag);
    return BuiltinSkinFactory().Create(tag);
}

}  // namespace qv::ui
