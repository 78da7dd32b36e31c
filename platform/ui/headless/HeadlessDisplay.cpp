#include "platform/ui/headless/HeadlessDisplay.h"

#include <atomic>

#include "platform/ui/WinDefs.h"

namespace qv::ui {
namespace {

std::atomic<unsigned> g_raises{0};

const DisplayArea kDefaultDisplay{CRect(0, 0, 1920, 1080), CRect(0, 0, 1920, 1040)};

}  // namespace

void HeadlessWindow::Show(int showCmd) {
    m_lastShowCmd = showCmd;
    m_visible = showCmd != SW_HIDE;
    m_iconic = showCmd == SW_SHOWMINIMIZED || showCmd == SW_MINIMIZE;
    if (m_visible && showCmd != SW_SHOWNOACTIVATE) Raise(false);
}

void HeadlessWindow::Present(const SBitmap&, const CRect& dirty) {
    ++m_presents;
    m_lastDirty = dirty;
}

void HeadlessWindow::Raise(bool activate) {
    m_zOrder = ++g_raises;
    if (activate) ++m_activations;
}

HeadlessDisplay::HeadlessDisplay() : m_displays{kDefaultDisplay} {}

void HeadlessDisplay::SetDisplays(std::vector<DisplayArea> displays) {
    m_displays = displays.empty() ? std::vector<DisplayArea>{kDefaultDisplay} : std::move(displays);
}

}  // namespace qv::ui
