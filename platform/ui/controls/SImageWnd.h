#pragma once
// An image: "src" names an image resource ("IMG:name") drawn stretched over
// the window; otherwise the window's skin is drawn in frame "iconIndex".
// Its content size is the image's or the skin's.
#include "platform/ui/SBitmap.h"
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SImageWnd : public SWindow {
    QV_CLASS_NAME(SImageWnd, SWindow, u"img", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    bool TakesClicks() const override { return false; }
    CSize GetDesiredSize() override;
    void SetImage(BitmapPtr image);
    const BitmapPtr& GetImage() const { return m_image; }
    // Chooses the skin's frame; false when the skin has no such frame.
    bool SetIcon(int index);
    int GetIcon() const { return m_iconIndex; }

protected:
    void OnPaint(SRenderTarget& rt) override;

private:
    HRESULT SetSrcAttr(const SStringW& value, bool loading);

    BitmapPtr m_image;
    int m_iconIndex = 0;
};

}  // namespace qv::ui
