// The application events: ids, names, and how card notifications reach the
// UI thread with or without a main window.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <thread>

#include "common/device/Frame.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SNotifyCenter.h"
#include "plugin/app/AppEvents.h"
#include "plugin/device/RecvDataEvents.h"
#include "plugin/workspace/WorkSpace.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace {

using qv::ui::EventArgs;

template <class E>
void ExpectEvent(int id, const char16_t* name) {
    E event(nullptr);
    EXPECT_EQ(event.GetID(), id);
    EXPECT_EQ(std::u16string(event.GetName()), std::u16string(name));
    EXPECT_EQ(qv::ui::EventCast<E>(&event), &event);
}

TEST(AppEvents, IdsAndNames) {
    ExpectEvent<EventRecvData>(10030001, u"on_recv_data");
    ExpectEvent<EventParamChanged>(10030002, u"on_param_changed");
    ExpectEvent<EventCloudSoundFileReady>(10030003, u"on_cloud_sound_ready");
    ExpectEvent<EventPlaybackMsg>(10030004, u"on_event_playback_msg");
    ExpectEvent<EventThreadCloudSoundFinishEvent>(10030005, u"on_cloud_sound_finish");
    ExpectEvent<EventThreadCloudEffectFinishEvent>(10030006, u"on_cloud_effect_finish");
    ExpectEvent<EventCommonThreadFinishEvent>(10030007, u"on_thread_finish");
    ExpectEvent<EventDeviceChanged>(10030008, u"on_device_changed");
    ExpectEvent<EventNeedUpgradeFirmware>(10030009, u"on_upgrade_firmware");
    ExpectEvent<EventDecoderFinsh>(10030011, u"on_event_decoder_staus");
    ExpectEvent<EventVolumeChange>(10030012, u"on_event_volumechange");
    ExpectEvent<EventDoSendData>(10030013, u"on_event_dosenddata");
    // Two classes never pass for each other.
    EventVolumeChange volume(nullptr);
    EXPECT_EQ(qv::ui::EventCast<EventRecvData>(&volume), nullptr);
}

// A UI thread with an application, a notify centre and a subscriber that
// records what reaches it.
class AppEventsDelivery : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<qv::ui::SApplication>(nullptr);
        center = std::make_unique<qv::ui::SNotifyCenter>();
        SubscribeAppEvent<EventRecvData>(*center, &AppEventsDelivery::OnRecv, this);
        SubscribeAppEvent<EventDeviceChanged>(*center, &AppEventsDelivery::OnDeviceChanged, this);
    }
    void TearDown() override {
        app->SetMainWnd(nullptr);
        Pump();
        center.reset();
        app.reset();
        qv::os::DestroyThreadQueue();
    }

    bool OnRecv(EventArgs* e) {
        auto* recv = qv::ui::EventCast<EventRecvData>(e);
        if (!recv) return false;
        received.push_back({recv->frame[0], recv->frame[5]});
        senders.push_back(e->Sender());
        threads.push_back(qv::os::GetCurrentThreadId());
        return true;
    }
    bool OnDeviceChanged(EventArgs* e) {
        deviceChanges.push_back(e->Sender());
        return true;
    }
    static void Pump() {
        while (qv::os::PumpOneMessage()) {
        }
    }

    std::unique_ptr<qv::ui::SApplication> app;
    std::unique_ptr<qv::ui::SNotifyCenter> center;
    qv::ui::SHostWnd mainWnd;
    std::vector<std::array<std::uint8_t, 2>> received;
    std::vector<qv::ui::SObject*> senders;
    std::vector<DWORD> threads;
    std::vector<qv::ui::SObject*> deviceChanges;
};

std::array<std::uint8_t, 64> Notification(std::uint8_t value) {
    std::array<std::uint8_t, 64> frame{};
    frame[0] = 0x9E;
    frame[4] = 1;
    frame[5] = value;
    qv::frame::Seal(frame.data());
    return frame;
}

TEST_F(AppEventsDelivery, NotificationsReachTheUiThreadWithOrWithoutAMainWindow) {
    CRecvDataEvents bridge;
    const DWORD uiThread = qv::os::GetCurrentThreadId();

    bool taken = false;
    std::thread([&] { taken = bridge.OnRecvData(Notification(1)); }).join();
    EXPECT_TRUE(taken);
    Pump();
    app->SetMainWnd(&mainWnd);
    std::thread([&] {
        auto frame = Notification(2);
        taken = bridge.OnRecvData(frame);
        frame.fill(0);  // the event keeps its own copy
    }).join();
    EXPECT_EQ(received.size(), 1u);  // not before the UI thread pumps
    Pump();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0][1], 1);
    EXPECT_EQ(senders[0], nullptr);
    EXPECT_EQ(received[1][0], 0x9E);
    EXPECT_EQ(received[1][1], 2);
    EXPECT_EQ(senders[1], &mainWnd);
    EXPECT_EQ(threads[1], uiThread);

    // Closing delivers what was taken at once and refuses what comes later.
    std::thread([&] { taken = bridge.OnRecvData(Notification(3)); }).join();
    bridge.Close();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[2][1], 3);
    std::thread([&] { taken = bridge.OnRecvData(Notification(4)); }).join();
    EXPECT_FALSE(taken);
    bridge.Open();
    std::thread([&] { taken = bridge.OnRecvData(Notification(5)); }).join();
    EXPECT_TRUE(taken);
    Pump();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[3][1], 5);
}

TEST_F(AppEventsDelivery, CardNotificationsThroughTheWorkspace) {
    qv::test::FakeDeviceMgmt manager;
    CWorkSpace workspace(&manager, 0x0036);
    ASSERT_TRUE(manager.Connect(nullptr, workspace.AsProtocol()));
    app->SetMainWnd(&mainWnd);

    auto good = Notification(7);
    auto badCrc = Notification(8);
    badCrc[39] ^= 0xFF;
    std::thread([&] {
        workspace.AsProtocol()->OnRecvData(good.data());
        workspace.AsProtocol()->OnRecvData(badCrc.data());
    }).join();
    Pump();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0][1], 7);
    const auto acks = manager.Posted();
    ASSERT_EQ(acks.size(), 2u);
    EXPECT_EQ(acks[0][3], 0xFF);
    EXPECT_EQ(acks[1][3], 0x03);
}

TEST_F(AppEventsDelivery, DeviceChangesAreFiredWithOrWithoutMainWindow) {
    qv::test::FakeDeviceMgmt manager;
    CWorkSpace workspace(&manager, 0x0036);
    workspace.OnDeviceArrival(1, u"\\\\?\\hid#vid_2b53&pid_0036#1");
    app->SetMainWnd(&mainWnd);
    workspace.OnDeviceArrival(1, u"anything");
    Pump();
    ASSERT_EQ(deviceChanges.size(), 2u);
    EXPECT_EQ(deviceChanges[0], nullptr);
    EXPECT_EQ(deviceChanges[1], &mainWnd);
}

}  // namespace
