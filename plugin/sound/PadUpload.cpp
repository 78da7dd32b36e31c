#include "plugin/sound/PadUpload.h"

#include <string>

#include "plugin/app/AppEvents.h"
#include "plugin/app/PluginApp.h"
#include "plugin/sound/ISoundUploader.h"

namespace {

std::u16string Terminated(const char16_t* text, std::size_t units) {
    std::size_t n = 0;
    while (n < units && text[n]) ++n;
    return std::u16string(text, n);
}

}  // namespace

PadSendResult SendPadToDevice(const SoundItem* item, int slot, std::int16_t& lastSendSlot,
                              const SoundItem* downloaded) {
    if (!item) return PadSendResult::kNothing;
    lastSendSlot = static_cast<std::int16_t>(slot);
    const SoundItem* source = item;
    if (item->kind == kSoundCloud) {
        if (!downloaded) return PadSendResult::kDownloadFirst;
        source = downloaded;
    }
    auto event = NewAppEvent<EventDoSendData>();
    event->path = qv::ui::SStringW(Terminated(source->path, kSoundPathUnits));
    event->builtIn = item->kind == kSoundBuiltIn ? 1 : 0;
    FireAppEventAsync(std::move(event));
    return PadSendResult::kFired;
}

bool OnDoSendData(qv::ui::EventArgs* e, int lastSendSlot, int volume) {
    auto* send = qv::ui::EventCast<EventDoSendData>(e);
    if (!send) return false;
    IPluginApp* app = CurrentPluginApp();
    ISoundUploader* uploader = app ? app->SoundUploader() : nullptr;
    if (!uploader || app->IsUploadBusy()) return true;
    uploader->RunSendWindow(send->path.str(), lastSendSlot, volume, send->builtIn);
    return true;
}
