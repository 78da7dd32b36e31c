#include "platform/ui/HeadlessDisplay.h"

#include <atomic>

#include "platform/ui/WinDefs.h"

namespace qv::ui {
namespace {

std::atomic<IDisplayBackend*> g_backend{nullptr};

}  // namespace

void HeadlessWindow::Show(int showCmd) {
    m_lastShowCmd = showCmd;
    m_visible = showCmd != SW_HIDE;
    m_iconic = showCmd == SW_SHOWMINIMIZED || showCmd == SW_MINIMIZE;
}

void HeadlessWindow::Present(const SBitmap& frame, const CRect& dirty) {
    (void)frame;
    ++m_presents;
    m_lastDirty = dirty;
}

IDisplayBackend& GetDisplayBackend() {
    static HeadlessDisplay headless;
    IDisplayBackend* b = g_backend.load();
    return b ? *b : headless;
}

void SetDisplayBackend(IDisplayBackend* backend) { g_backend.store(backend); }

}  // namespace qv::ui
