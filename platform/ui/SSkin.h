#pragma once
// Skins: how a window's background is drawn for each state. An image list
// lays its frames side by side; a frame skin adds nine-patch margins; a
// colour skin fills with one colour per state.
#include <map>
#include <memory>

#include "platform/ui/AttrTable.h"
#include "platform/ui/SBitmap.h"
#include "platform/ui/SObject.h"

namespace qv::ui {

class SRenderTarget;

class ISkinObj : public SObject {
    QV_CLASS_NAME(ISkinObj, SObject, u"skinobj", kObjectSkin)
    QV_ATTRIBUTES(SObject)

public:
    virtual void Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha = 255) = 0;
    void DrawByIndex(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha = 255) { Draw(rt, rc, frame, alpha); }
    virtual int GetStates() const { return 1; }
    virtual CSize GetSkinSize() const { return {}; }
    SStringW GetName() const override { return m_name; }

protected:
    SStringW m_name;
};

class SSkinImgList : public ISkinObj {
    QV_CLASS_NAME(SSkinImgList, ISkinObj, u"imglist", kObjectSkin)
    QV_ATTRIBUTES(ISkinObj)

public:
    void Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha = 255) override;
    int GetStates() const override { return m_states; }
    CSize GetSkinSize() const override;
    void SetImage(BitmapPtr image) { m_image = std::move(image); }
    const BitmapPtr& GetImage() const { return m_image; }

protected:
    CRect FrameRect(int frame) const;
    HRESULT SetSrcAttr(const SStringW& value, bool loading);
    BitmapPtr m_image;
    int m_states = 1;
    bool m_vertical = false;
};

// An image list drawn as a nine-patch: "margin" = "l,t,r,b" (or one value).
class SSkinImgFrame : public SSkinImgList {
    QV_CLASS_NAME(SSkinImgFrame, SSkinImgList, u"imgframe", kObjectSkin)
    QV_ATTRIBUTES(SSkinImgList)

public:
    void Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha = 255) override;
    void SetMargins(const CRect& margins) { m_margins = margins; }

private:
    HRESULT SetMarginAttr(const SStringW& value, bool loading);

    CRect m_margins;
};

// "normal", "hover", "pushed", "disable" colours.
class SSkinColor : public ISkinObj {
    QV_CLASS_NAME(SSkinColor, ISkinObj, u"colorrect", kObjectSkin)
    QV_ATTRIBUTES(ISkinObj)

public:
    void Draw(SRenderTarget& rt, const CRect& rc, int frame, BYTE alpha = 255) override;
    int GetStates() const override { return 4; }

private:
    template <int State>
    HRESULT SetStateColorAttr(const SStringW& value, bool loading);

    COLORREF m_colors[4] = {0, 0, 0, 0};
};

// Skins by name, created from XML (root "skin", one element per skin with
// the class as its tag and a "name").
class SSkinPool {
public:
    // Returns how many skins were created.
    int LoadSkins(pugi::xml_node root);
    ISkinObj* GetSkin(const SStringW& name) const;
    void AddSkin(const SStringW& name, std::unique_ptr<ISkinObj> skin);
    void Clear() { m_skins.clear(); }

private:
    std::map<std::u16string, std::unique_ptr<ISkinObj>> m_skins;
};

}  // namespace qv::ui
