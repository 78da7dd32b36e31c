#include "controls/PluginControls.h"

#include "controls/CInActiveCloseDlg.h"
#include "controls/CTipWnd.h"
#include "controls/QvCheckButton.h"
#include "controls/QvComboBtn.h"
#include "controls/QvEQ.h"
#include "controls/QvEqCurve.h"
#include "controls/QvEqGrid.h"
#include "controls/QvProgress.h"
#include "controls/QvProgressEX.h"
#include "controls/QvRadioButton.h"
#include "controls/QvRotaryKnob.h"
#include "controls/QvSlider.h"
#include "controls/QvVuGroup.h"
#include "controls/QvVumeter.h"
#include "controls/SEdit2.h"
#include "controls/SGifPlayer.h"
#include "controls/SMoveThumb.h"
#include "controls/SScrollText.h"
#include "controls/SSkinGif.h"
#include "controls/SSkinVScrollbar.h"

namespace qv::controls {

void RegisterPluginControls(qv::ui::SWindowFactory& windows, qv::ui::SSkinFactory& skins) {
    windows.RegisterClass<QvProgress>();
    windows.RegisterClass<QvSlider>();
    windows.RegisterClass<QvCheckButton>();
    windows.RegisterClass<QvRadioButton>();
    windows.RegisterClass<SMoveThumb>();
    windows.RegisterClass<QvEqCurve>();
    windows.RegisterClass<QvEqGrid>();
    windows.RegisterClass<QvEQ>();
    windows.RegisterClass<SEdit2>();
    windows.RegisterClass<QvVumeter>();
    windows.RegisterClass<QvVuGroup>();
    windows.RegisterClass<QvRotaryKnob>();
    windows.RegisterClass<QvComboBtn>();
    windows.RegisterClass<QvProgressEX>();
    windows.RegisterClass<SGifPlayer>();
    skins.RegisterClass<SSkinGif>();
    skins.RegisterClass<SSkinVScrollbar>();
    windows.RegisterClass<SScrollText>();
}

void ClosePluginPopups() {
    CTipWnd::HideTip();
    CInActiveCloseDlg::CloseAll();
}

int StartupGdiplus() { return 1; }

void ShutdownGdiplus() {}

}  // namespace qv::controls
