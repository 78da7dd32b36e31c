#pragma once
// The plug-in's application events: what worker threads, the device receive
// thread and the audio engine's callback hand to the UI thread through the
// notify centre. Asynchronous events own their payloads: texts and frames are
// copies, the downloaders are shared with the event.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ui/EventArgs.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SNotifyCenter.h"
#include "platform/ui/SStringW.h"

class CCloudSoundFileDownloader;
class CCloudSoundListDownloader;
class CCloudEffectListDownloader;
class CCloudEffectDetailDownloader;
struct CloudEffectItem;
struct EffectRecord;

enum AppEventId : int {
    EVT_APP_RECV_DATA = 10030001,
    EVT_APP_PARAM_CHANGED = 10030002,
    EVT_APP_CLOUD_SOUND_READY = 10030003,
    EVT_APP_PLAYBACK_MSG = 10030004,
    EVT_APP_CLOUD_SOUND_FINISH = 10030005,
    EVT_APP_CLOUD_EFFECT_FINISH = 10030006,
    EVT_APP_THREAD_FINISH = 10030007,
    EVT_APP_DEVICE_CHANGED = 10030008,
    EVT_APP_UPGRADE_FIRMWARE = 10030009,
    // 10030010 is not used.
    EVT_APP_DECODER_STATUS = 10030011,
    EVT_APP_VOLUME_CHANGE = 10030012,
    EVT_APP_DO_SEND_DATA = 10030013,
};

// End of playback, the only engine message that is passed on.
constexpr std::int32_t kPlaybackEndMessage = 0x10000;
// Kind code of the effect-detail download thread ('detl').
constexpr std::uint32_t kThreadKindEffectDetail = 0x6465746Cu;

QV_EVENT_BEGIN(EventRecvData, EVT_APP_RECV_DATA, u"on_recv_data")
    std::uint8_t frame[64] = {};  // the notification 0x9E as received
QV_EVENT_END

QV_EVENT_BEGIN(EventParamChanged, EVT_APP_PARAM_CHANGED, u"on_param_changed")
    std::vector<std::pair<std::int32_t, std::int32_t>> params;  // (parameter id, value)
QV_EVENT_END

QV_EVENT_BEGIN(EventCloudSoundFileReady, EVT_APP_CLOUD_SOUND_READY, u"on_cloud_sound_ready")
    std::shared_ptr<CCloudSoundFileDownloader> downloader;
    std::int32_t itemValue = 0;  // taken from the downloaded sound item
    std::int32_t request1 = 0;   // the two values given when the download started
    qv::ui::SStringW filePath;
    qv::ui::SStringW soundName;
    std::int32_t request2 = 0;
    bool success = false;
    qv::ui::SStringW message;
QV_EVENT_END

QV_EVENT_BEGIN(EventPlaybackMsg, EVT_APP_PLAYBACK_MSG, u"on_event_playback_msg")
    std::int32_t object = 0;  // the engine callback's context argument
    std::int32_t message = 0;
QV_EVENT_END

QV_EVENT_BEGIN(EventThreadCloudSoundFinishEvent, EVT_APP_CLOUD_SOUND_FINISH, u"on_cloud_sound_finish")
    std::shared_ptr<CCloudSoundListDownloader> downloader;
    bool success = false;
    qv::ui::SStringW message;
QV_EVENT_END

QV_EVENT_BEGIN(EventThreadCloudEffectFinishEvent, EVT_APP_CLOUD_EFFECT_FINISH, u"on_cloud_effect_finish")
    std::shared_ptr<CCloudEffectListDownloader> downloader;
    std::vector<CloudEffectItem>* list = nullptr;  // the downloader's result list; lives with it
    bool success = false;
    qv::ui::SStringW message;
QV_EVENT_END

QV_EVENT_BEGIN(EventCommonThreadFinishEvent, EVT_APP_THREAD_FINISH, u"on_thread_finish")
    std::uint32_t kind = 0;
    std::shared_ptr<CCloudEffectDetailDownloader> downloader;
    const EffectRecord* record = nullptr;  // held by the downloader
    std::int32_t catalogueId = 0;
    bool success = false;
    qv::ui::SStringW message;
QV_EVENT_END

QV_EVENT_BEGIN(EventDeviceChanged, EVT_APP_DEVICE_CHANGED, u"on_device_changed")
QV_EVENT_END

QV_EVENT_BEGIN(EventNeedUpgradeFirmware, EVT_APP_UPGRADE_FIRMWARE, u"on_upgrade_firmware")
QV_EVENT_END

QV_EVENT_BEGIN(EventDecoderFinsh, EVT_APP_DECODER_STATUS, u"on_event_decoder_staus")
    qv::ui::SStringW path;  // the decoded file
    std::int32_t status = 0;
QV_EVENT_END

QV_EVENT_BEGIN(EventVolumeChange, EVT_APP_VOLUME_CHANGE, u"on_event_volumechange")
    std::int32_t volume = 0;  // 0 .. 100
QV_EVENT_END

QV_EVENT_BEGIN(EventDoSendData, EVT_APP_DO_SEND_DATA, u"on_event_dosenddata")
    qv::ui::SStringW path;
    std::int32_t builtIn = 0;  // 1 for a built-in sound item
QV_EVENT_END

// The main window is the application's (SApplication::SetMainWnd): events
// carry it as their sender.

// A new event for the UI thread: the sender is the main window when one
// exists, else none.
template <class E>
std::shared_ptr<E> NewAppEvent() {
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    return std::make_shared<E>(app ? app->GetMainWnd() : nullptr);
}

// Any thread: fires the event asynchronously through the notify centre. The
// sender is kept as set. False when there is no centre or no event.
bool FireAppEventAsync(std::shared_ptr<qv::ui::EventArgs> event);

// Any thread: fires the event asynchronously only while a main window exists;
// it is delivered on the UI thread with the main window as its sender, and
// dropped when the main window has gone meanwhile. False when not fired.
bool FireMainWndEventAsync(std::shared_ptr<qv::ui::EventArgs> event);

// UI thread only.
bool FireAppEventSync(qv::ui::EventArgs& event);

// Registers the event on the centre and subscribes the member function.
template <class E, class C>
std::uint64_t SubscribeAppEvent(qv::ui::SNotifyCenter& center, bool (C::*fn)(qv::ui::EventArgs*), C* obj) {
    center.addEvent(E::EventID, E::EventName);
    return center.subscribeEvent(E::EventID, fn, obj);
}
