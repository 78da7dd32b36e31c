#pragma once
// What the sound pads page does to send a pad's sound into one of the
// card's keys (the pad menu's "载入设备 → 按键Ⅰ/Ⅱ/Ⅲ"): SendPadToDevice picks
// the sound's source and fires EventDoSendData; OnDoSendData, the page's
// handler of that event, runs the send window unless one is open or the
// family has no keys. UI thread only.
#include <cstdint>

#include "platform/ui/EventArgs.h"
#include "plugin/sound/SoundItem.h"

enum class PadSendResult {
    kNothing,          // no pad item
    kFired,            // EventDoSendData is on its way
    kDownloadFirst,    // a cloud sound not downloaded yet: the page downloads it for sending
};

// item: the menu pad's sound (null: none); slot 1 .. 3 is kept in
// lastSendSlot. downloaded: for a cloud sound, the downloaded item with the
// same cloud id, or null. A built-in sound sends its resource name, a file
// or downloaded sound its path.
PadSendResult SendPadToDevice(const SoundItem* item, int slot, std::int16_t& lastSendSlot,
                              const SoundItem* downloaded);

// The handler of EventDoSendData: the send window for the event's sound in
// lastSendSlot at the pads' volume, unless one is open already or the
// family has no uploader. True when the event was one.
bool OnDoSendData(qv::ui::EventArgs* e, int lastSendSlot, int volume);
