#include "controls/SGifPlayer.h"

#include "controls/SSkinAni.h"
#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SWindowFactory.h"

namespace qv::controls {

using namespace qv::ui;

namespace {
constexpr int kFrameMs = 10;
constexpr int kDefaultDelayMs = 90;
}  // namespace

std::span<const AttrRow> SGifPlayer::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SGifPlayer::SetSkinAttr>(u"skin"),
    };
    return kRows;
}

SGifPlayer::~SGifPlayer() { StopPlaying(); }

// An unknown skin is refused; one that is not animated is taken and ignored.
HRESULT SGifPlayer::SetSkinAttr(const SStringW& value, bool loading) {
    SApplication* app = SApplication::getSingletonPtr();
    ISkinObj* skin = app ? app->GetSkin(value, GetScale()) : nullptr;
    if (!skin) {
        QV_LOGW("skin %s not found", value.ToUtf8().c_str());
        return E_FAIL;
    }
    if (!skin->IsClass(SSkinAni::GetClassName())) return S_OK;
    SetAniSkin(static_cast<SSkinAni*>(skin));
    if (loading) return S_OK;
    ResetCountdown();
    return S_FALSE;
}

void SGifPlayer::SetAniSkin(SSkinAni* skin) {
    m_skin = skin;
    if (skin != m_ownSkin.get()) m_ownSkin.reset();
    m_frame = 0;
}

CSize SGifPlayer::GetDesiredSize() { return m_skin ? m_skin->GetSkinSize() : CSize(); }

BOOL SGifPlayer::PlayFile(const std::string& path, bool isGif) {
    std::unique_ptr<ISkinObj> created(CreateSkinByName(isGif ? u"gif" : u"apng"));
    auto* ani = dynamic_cast<SSkinAni*>(created.get());
    if (!ani || ani->LoadFramesFromFile(path) <= 0) return FALSE;
    created.release();
    StopPlaying();
    m_ownSkin.reset(ani);
    SetAniSkin(ani);
    ResetCountdown();
    if (GetPosition().width < 0 || GetPosition().height < 0) RequestRelayout();  // sized to its content
    Invalidate();
    if (IsVisible(true)) StartPlaying();
    return TRUE;
}

bool SGifPlayer::CanPlay() const { return m_skin && m_skin->GetStates() >= 2; }

void SGifPlayer::StartPlaying() {
    if (m_playing || !CanPlay()) return;
    if (ISwndContainer* c = GetContainer()) m_playing = c->RegisterTimelineHandler(this);
}

void SGifPlayer::StopPlaying() {
    if (!m_playing) return;
    m_playing = false;
    if (ISwndContainer* c = GetContainer()) c->UnregisterTimelineHandler(this);
}

void SGifPlayer::ResetCountdown() {
    m_countdown = -kFrameMs;
    if (!CanPlay() || m_frame < 0 || m_frame >= m_skin->GetStates()) return;
    const int delay = m_skin->GetFrameDelay(m_frame);
    m_countdown = delay > 0 ? delay * kFrameMs : kDefaultDelayMs;
}

void SGifPlayer::OnNextFrame() {
    if (!CanPlay() || !IsVisible(true)) {
        StopPlaying();
        return;
    }
    m_countdown -= kFrameMs;
    if (m_countdown > 0) return;
    m_frame = (m_frame + 1) % m_skin->GetStates();
    Invalidate();
    ResetCountdown();
}

void SGifPlayer::OnPaint(SRenderTarget& rt) {
    SWindow::OnPaint(rt);
    if (!m_skin) return;
    m_skin->DrawFrame(rt, GetWindowRect(), m_frame);
    if (!m_playing) {
        // Drawn again after being out of sight: play on from this frame.
        if (m_countdown <= 0) ResetCountdown();
        StartPlaying();
    }
}

void SGifPlayer::OnShowWindow(bool show) {
    SWindow::OnShowWindow(show);
    if (!show) {
        StopPlaying();
    } else if (CanPlay()) {
        ResetCountdown();
        StartPlaying();
    }
}

void SGifPlayer::OnDestroy() {
    StopPlaying();
    SWindow::OnDestroy();
}

}  // namespace qv::controls
