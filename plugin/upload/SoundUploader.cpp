// The upload into the card's sound keys, as the shared plug-in code reaches it.
#include "plugin/sound/ISoundUploader.h"
#include "plugin/upload/SendWindow.h"

namespace {

class SoundUploader final : public ISoundUploader {
public:
    void RunSendWindow(const std::u16string& path, int slot, int volume, int builtIn) override {
        SendWindow window(path, slot, volume, builtIn);
        window.DoModal(nullptr);
    }
};

}  // namespace

std::unique_ptr<ISoundUploader> CreateSoundUploader() { return std::make_unique<SoundUploader>(); }
