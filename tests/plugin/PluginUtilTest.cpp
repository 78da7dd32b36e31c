// The named-id table and the short message pump.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "platform/os/MessageQueue.h"
#include "plugin/app/NamedIds.h"
#include "plugin/app/PendingMessages.h"

namespace {

TEST(NamedIds, SortedWithFixedIdsAndTheRestInOrderFrom65536) {
    const std::map<std::u16string, int> fixed = {
        {u"_name_start", 65535}, {u"btnOK", 1},         {u"btn_close", 2},         {u"skin_btn_close2", 2},
        {u"btn_reverb_pitch_more", 1000}, {u"btn_eq_more", 1001}, {u"combo_keynote", 4000},
        {u"tgl_switch", 5401},   {u"txt_iterm_name", 5402},
        // the ids the pages' event maps test
        {u"btn_cloud_retry", 65560}, {u"slider_play_progress", 65576}, {u"btn_record", 65577},
        {u"btn_record_save", 65579}, {u"btn_record_playback", 65580}, {u"combo_save_type", 65604}};
    int next = 65536;
    auto skipTaken = [&] {
        while (next == 65560 || next == 65576 || next == 65577 || next == 65579 || next == 65580 || next == 65604) ++next;
    };
    for (int i = 0; i < kNamedIdCount; ++i) {
        const std::u16string name = kNamedIds[i].name;
        EXPECT_LE(name.size(), 51u);
        if (i > 0) {
            EXPECT_LT(std::u16string(kNamedIds[i - 1].name), name);
        }
        if (auto it = fixed.find(name); it != fixed.end()) {
            EXPECT_EQ(kNamedIds[i].id, it->second) << i;
        } else {
            skipTaken();
            EXPECT_EQ(kNamedIds[i].id, next++) << i;
        }
    }
    EXPECT_EQ(next, 65616);
}

TEST(PendingMessages, DispatchesWhatArrivesForThreeHundredMs) {
    int ran = 0;
    qv::os::PostTask(qv::os::GetCurrentThreadId(), [&] { ++ran; });
    const HWND target = qv::os::CreateTarget([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        ++ran;
        return 0;
    });
    qv::os::SetTimer(target, 1, 100);
    const std::uint32_t elapsed = ProcessPendingMessages();
    EXPECT_GE(elapsed, 300u);
    EXPECT_GE(ran, 2);  // the task and at least one timer tick

    // A quit request stays for the enclosing loop.
    qv::os::KillTimer(target, 1);
    qv::os::PostQuitMessage(5);
    EXPECT_GE(ProcessPendingMessages(), 300u);
    EXPECT_EQ(qv::os::RunMessageLoop(), 5);
    qv::os::DestroyTarget(target);
    qv::os::DestroyThreadQueue();
}

}  // namespace
