#include "controls/QvVumeter.h"

#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"

namespace qv::controls {

using namespace qv::ui;

void QvVumeter::OnPaint(SRenderTarget& rt) {
    if (m_bkgndSkin) m_bkgndSkin->Draw(rt, GetClientRect(), 0);
    const CRect lit = LitRect();
    if (!m_posSkin || lit.IsRectEmpty()) return;
    rt.PushClipRect(lit);
    m_posSkin->Draw(rt, GetClientRect(), 0);
    rt.PopClip();
}

}  // namespace qv::controls
