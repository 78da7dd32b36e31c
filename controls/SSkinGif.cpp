#include "controls/SSkinGif.h"

#include <fstream>
#include <iterator>
#include <span>

#include "platform/os/Log.h"
#include "platform/ui/GifDecoder.h"
#include "platform/ui/SApplication.h"

namespace qv::controls {

using namespace qv::ui;

std::span<const AttrRow> SSkinGif::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SSkinGif::SetSrcAttr>(u"src"),
    };
    return kRows;
}

HRESULT SSkinGif::SetSrcAttr(const SStringW& value, bool) {
    const int colon = value.Find(u':');
    const SStringW type = colon >= 0 ? value.Left(colon) : SStringW(u"gif");
    const SStringW name = colon >= 0 ? value.Mid(colon + 1) : value;
    SApplication* app = SApplication::getSingletonPtr();
    const std::size_t size = app ? app->GetRawBufferSize(type, name) : 0;
    if (size == 0) {
        QV_LOGW("GIF %s not found", value.ToUtf8().c_str());
        return S_OK;
    }
    std::vector<std::uint8_t> bytes(size);
    if (app->GetRawBuffer(type, name, bytes.data(), size)) LoadFramesFromMemory(bytes.data(), size);
    return S_OK;
}

int SSkinGif::LoadFramesFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return LoadFramesFromMemory(bytes.data(), bytes.size());
}

int SSkinGif::LoadFramesFromMemory(const void* bytes, std::size_t length) {
    if (!bytes || length == 0) return 0;
    GifImage image = DecodeGif(std::span(static_cast<const std::uint8_t*>(bytes), length));
    if (image.frames.empty()) return 0;
    std::vector<Frame> frames;
    for (std::size_t i = 0; i < image.frames.size(); ++i) {
        frames.push_back({image.frames[i], i < image.delays.size() ? image.delays[i] : 0});
    }
    SetFrames(std::move(frames));
    return GetStates();
}

}  // namespace qv::controls
