#include "platform/ui/controls/StandardControls.h"

#include "platform/ui/controls/SAnimateImgWnd.h"
#include "platform/ui/controls/SButton.h"
#include "platform/ui/controls/SCaption.h"
#include "platform/ui/controls/SCheckBox.h"
#include "platform/ui/controls/SComboBox.h"
#include "platform/ui/controls/SEdit.h"
#include "platform/ui/controls/SHotKeyCtrl.h"
#include "platform/ui/controls/SImageButton.h"
#include "platform/ui/controls/SImageWnd.h"
#include "platform/ui/controls/SLink.h"
#include "platform/ui/controls/SListBox.h"
#include "platform/ui/controls/SMCListView.h"
#include "platform/ui/controls/SProgress.h"
#include "platform/ui/controls/SRadioBox.h"
#include "platform/ui/controls/SRichEdit.h"
#include "platform/ui/controls/SScrollView.h"
#include "platform/ui/controls/SSliderBar.h"
#include "platform/ui/controls/SStatic.h"
#include "platform/ui/controls/STabCtrl.h"
#include "platform/ui/controls/STabPage.h"

namespace qv::ui {

void RegisterStandardControls(SWindowFactory& factory) {
    factory.RegisterClass<SStatic>();
    factory.RegisterClass<SButton>();
    factory.RegisterClass<SImageButton>();
    factory.RegisterClass<SLink>();
    factory.RegisterClass<SCheckBox>();
    factory.RegisterClass<SRadioBox>();
    factory.RegisterClass<SProgress>();
    factory.RegisterClass<SSliderBar>();
    factory.RegisterClass<SImageWnd>();
    factory.RegisterClass<SCaption>();
    factory.RegisterClass<SRichEdit>();
    factory.RegisterClass<SEdit>();
    factory.RegisterClass<SListBox>();
    factory.RegisterClass<SComboBox>();
    factory.RegisterClass<STabCtrl>();
    factory.RegisterClass<STabPage>();
    factory.RegisterClass<SScrollView>();
    factory.RegisterClass<SMCListView>();
    factory.RegisterClass<SHotKeyCtrl>();
    factory.RegisterClass<SAnimateImgWnd>();
}

}  // namespace qv::ui
