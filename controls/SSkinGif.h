#pragma once
// An animated skin from a GIF image (skin class "gif"). "src" names the
// resource: "type:name", or a bare name of type "gif".
#include "controls/SSkinAni.h"
#include "platform/ui/AttrTable.h"

namespace qv::controls {

class SSkinGif : public SSkinAni {
    QV_CLASS_NAME(SSkinGif, SSkinAni, u"gif", qv::ui::kObjectSkin)
    QV_ATTRIBUTES(SSkinAni)

public:
    int LoadFramesFromFile(const std::string& path) override;
    int LoadFramesFromMemory(const void* bytes, std::size_t length) override;

private:
    // Taken whether or not the resource exists and decodes.
    HRESULT SetSrcAttr(const qv::ui::SStringW& value, bool loading);
};

}  // namespace qv::controls
