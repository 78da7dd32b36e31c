#pragma once
// Where streams find their devices: the backend's own lists, or a list that
// a test injects. A stream opens the device it chose by name through the
// backend either way, so injected names must be names the backend can open
// (under SDL's disk driver any name opens: it is the file written or read).
#include <string>
#include <vector>

namespace qv::audio {

enum class DeviceDirection { Output, Capture };

class IAudioDeviceList {
public:
    virtual ~IAudioDeviceList() = default;
    // The devices present now, in the order streams index them.
    virtual std::vector<std::u16string> Names(DeviceDirection direction) = 0;
};

// Any thread. Null restores the backend's lists; the caller keeps the list
// alive while it is installed.
void SetAudioDeviceList(IAudioDeviceList* list);
// The installed list, else null.
IAudioDeviceList* InjectedAudioDeviceList();

}  // namespace qv::audio
