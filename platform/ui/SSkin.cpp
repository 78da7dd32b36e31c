#include "platform/ui/SSkin.h"

#include "platform/os/Log.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SWindowFactory.h"

namespace qv::ui {

std::span<const AttrRow> ISkinObj::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&ISkinObj::m_name>(u"name", AttrEffect::NoRepaint),
    };
    return kRows;
}

// ---------------------------------------------------------------- image list

std::span<const AttrRow> SSkinImgList::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SSkinImgList::SetSrcAttr>(u"src"),
        AttrMember<&SSkinImgList::m_states, 1>(u"states"),
        AttrMember<&SSkinImgList::m_vertical>(u"vertical"),
    };
    return kRows;
}

HRESULT SSkinImgList::SetSrcAttr(const SStringW& value, bool) {
    SApplication* app = SApplication::getSingletonPtr();
    BitmapPtr image = app ? app->LoadImage(value) : nullptr;
    if (!image) {
        QV_LOGW("image %s not found", value.ToUtf8().c_str());
        return E_FAIL;
    }
    m_image = std::move(image);
    return S_OK;
}

CSize SSkinImgList::GetSkinSize() const {
    if (!m_image) return {};
    CSize s = m_image->Size();
    if (m_vertical) s.cy /= m_states;
    else s.cx /= m_states;
    return s;
}

CRect SSkinImgList::FrameRect(int frame) const {
    CSize s = GetSkinSize();
    if (frame < 0 || frame >= m_states) frame = 0;
    if (m_vertical) return CRect(0, frame * s.cy, s.cx, (frame + 1) * s.cy);
    return CRect(frame * s.cx, 0, (frame + 1) * s.cx, s.cy);
}

void SSkinImgList::Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha) {
    if (!m_image) return;
    rt.DrawBitmapEx(rc, *m_image, FrameRect(frame), alpha);
}

// ---------------------------------------------------------------- nine-patch

std::span<const AttrRow> SSkinImgFrame::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SSkinImgFrame::SetMarginAttr>(u"margin"),
    };
    return kRows;
}

HRESULT SSkinImgFrame::SetMarginAttr(const SStringW& value, bool) {
    auto rc = ParseRect(value);
    if (!rc) {
        auto v = ParseInt(value);
        if (!v) return E_FAIL;
        rc = CRect(*v, *v, *v, *v);
    }
    m_margins = *rc;
    return S_OK;
}

void SSkinImgFrame::Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha) {
    if (!m_image) return;
    rt.DrawBitmap9Patch(rc, *m_image, FrameRect(frame), m_margins, alpha);
}

// ---------------------------------------------------------------- colour

std::span<const AttrRow> SSkinColor::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SSkinColor::SetStateColorAttr<0>>(u"normal"),
        AttrCall<&SSkinColor::SetStateColorAttr<1>>(u"hover"),
        AttrCall<&SSkinColor::SetStateColorAttr<2>>(u"pushed"),
        AttrCall<&SSkinColor::SetStateColorAttr<3>>(u"disable"),
    };
    return kRows;
}

template <int State>
HRESULT SSkinColor::SetStateColorAttr(const SStringW& value, bool) {
    auto c = ParseColor(value);
    if (!c) return E_FAIL;
    m_colors[State] = *c;
    return S_OK;
}

void SSkinColor::Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha) {
    COLORREF c = m_colors[frame >= 0 && frame < 4 ? frame : 0];
    if (GetAValue(c) == 0) c = m_colors[0];
    std::uint8_t a = static_cast<std::uint8_t>(GetAValue(c) * alpha / 255);
    rt.FillSolidRect(rc, RGBA(GetRValue(c), GetGValue(c), GetBValue(c), a));
}

// ---------------------------------------------------------------- pool

int SSkinPool::LoadSkins(pugi::xml_node root) {
    int created = 0;
    for (pugi::xml_node node : root.children()) {
        if (node.type() != pugi::node_element) continue;
        SStringW name = XmlText(node.attribute("name").value());
        std::unique_ptr<ISkinObj> skin(CreateSkinByName(XmlText(node.name())));
        if (!skin || name.IsEmpty()) {
            QV_LOGW("skin <%s name=\"%s\"> not created", node.name(), node.attribute("name").value());
            continue;
        }
        skin->InitFromXml(node);
        AddSkin(name, std::move(skin));
        ++created;
    }
    return created;
}

ISkinObj* SSkinPool::GetSkin(const SStringW& name) const {
    auto it = m_skins.find(name.str());
    return it == m_skins.end() ? nullptr : it->second.get();
}

void SSkinPool::AddSkin(const SStringW& name, std::unique_ptr<ISkinObj> skin) { m_skins[name.str()] = std::move(skin); }

}  // namespace qv::ui
