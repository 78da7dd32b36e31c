// The send window end to end against the simulated card: sounds of every
// source into every key pass the card's checks and close the window
// silently, whatever the user does to close it; a card pulled at the first, a middle and the last block, a
// refused header, bad, late and duplicate replies; sounds that do not decode,
// a missing control, a decoder that cannot start; a second send while one
// runs; the parameter sends held back; a quit in the middle that joins every
// thread. No temporary file is left on any path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "plugin/app/AppEvents.h"
#include "plugin/sound/PadUpload.h"
#include "plugin/upload/UploadFrames.h"
#include "plugin/upload/WaveHeader.h"
#include "tests/effect/IdleClockStepper.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/upload/SendWindowEnv.h"

namespace qv::test {
namespace {

constexpr const char16_t* kLoadFailed = u"载入特效失败";
constexpr const char16_t* kDecodeFailed = u"特效解码失败";
constexpr const char16_t* kConvertFailed = u"特效载入失败";

class SendWindowTest : public SendWindowEnv {
protected:
    std::u16string MakeMp3(const char* name, int rate, int channels, double seconds) {
        const std::string path = TempFile(name);
        EXPECT_TRUE(WriteBytes(path, EncodeMp3(ChannelToneSamples(rate, channels, seconds, 440, 550), rate, channels)));
        return os::Utf8ToUtf16(path);
    }
    // The card's image as a WAV: mono 44100 Hz 16-bit with the sound in it.
    void ExpectCardHolds(int slot, double seconds) {
        const SimCard::Upload upload = m_card.SoundUpload();
        EXPECT_EQ(upload.slot, slot);
        EXPECT_TRUE(upload.complete);
        EXPECT_TRUE(upload.violations.empty()) << DescribeUpload(upload);
        const auto layout = ParseWaveHeader(upload.data);
        ASSERT_TRUE(layout);
        EXPECT_EQ(+layout->format.channels, 1);
        EXPECT_EQ(+layout->format.samplesPerSec, 44100u);
        EXPECT_NEAR(layout->dataSize / 88200.0, seconds, 0.1);
        double sum = 0;
        for (std::size_t at = 44; at + 1 < upload.data.size(); at += 2) {
            const auto s = static_cast<std::int16_t>(upload.data[at] | (upload.data[at + 1] << 8));
            sum += static_cast<double>(s) * s;
        }
        EXPECT_GT(std::sqrt(sum / (layout->dataSize / 2.0)), 1000) << "no sound in the image";
    }
};

TEST_F(SendWindowTest, SoundsOfEverySourceGoIntoTheirKeysAndTheWindowClosesSilently) {
    struct Case {
        const char* name;
        std::u16string path;
        int builtIn;
        int slot;
        int volume;
        double seconds;  // what the card holds
    } cases[] = {
        {"a built-in sound into key 1", kBuiltIn, 1, 1, 100, 1.5},
        {"a local stereo 48 kHz MP3 into key 2", MakeMp3("stereo48.mp3", 48000, 2, 2.0), 0, 2, 50, 2.0},
        {"a 25 s sound cut to key 3's 20 s", MakeMp3("long.mp3", 22050, 1, 25.0), 0, 3, 80, 20.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The user cannot close the window: neither by the desktop's close
        // nor by a close, OK or Cancel command.
        const SendLog log = RunSendWindow(c.path, c.slot, c.volume, c.builtIn, [this](const SendLog& seen) {
            if (seen.progress != 10) return;
            m_open->SendMessage(WM_CLOSE);
            for (auto [name, id] : {std::pair{u"btn_close", 0}, std::pair{u"", IDOK}, std::pair{u"", IDCANCEL}}) {
                ui::EventCmd command(m_open);
                command.nameFrom = name;
                command.idFrom = id;
                EXPECT_TRUE(m_open->_HandleEvent(&command));
            }
        });
        EXPECT_EQ(log.result, IDOK);
        EXPECT_TRUE(TakeBoxes().empty());
        EXPECT_TRUE(log.InOrder());
        ExpectCardHolds(c.slot, c.seconds);
        const SimCard::Upload upload = m_card.SoundUpload();
        EXPECT_EQ(log.Count(kMsgUploadProgress), static_cast<int>(upload.blockCount));
        EXPECT_EQ(log.entries.front().uploadBusy, 1);
        EXPECT_EQ(m_fake.uploadBusy, 0);
        EXPECT_TRUE(TempWaveFiles().empty());
    }
}

TEST_F(SendWindowTest, ACardPulledAtAnyBlockEndsTheUploadAndTakesTheNextOneWhole) {
    ASSERT_EQ(RunSendWindow(kBuiltIn, 2, 100, 1).result, IDOK);
    const std::uint32_t blocks = m_card.SoundUpload().blockCount;
    TakeBoxes();
    // Pulled as the block comes (never seen), or after taking it unanswered
    // (the upload then waits out the reply's time-out).
    struct Case {
        std::uint32_t at;
        SimFault fault;
        std::uint32_t cardHas;  // blocks the card took in order
    } cases[] = {
        {0, SimFault::Unplug, 1},
        {blocks / 2, SimFault::Unplug, blocks / 2 + 1},
        {blocks - 1, SimFault::PulledBefore, blocks - 1},
        {blocks - 1, SimFault::Unplug, blocks},  // the card has it all, the program could not know
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pulled at block " << c.at << " of " << blocks);
        m_card.AddFault({c.fault, kCmdUploadBlock, static_cast<int>(c.at), 1});
        const SendLog log = RunSendWindow(kBuiltIn, 2, 100, 1);
        EXPECT_EQ(log.result, IDCANCEL);
        EXPECT_EQ(TakeBoxes(), std::vector<std::u16string>{kLoadFailed});
        EXPECT_EQ(m_boxes.Boxes().back().caption, u"提示");
        EXPECT_TRUE(log.InOrder());
        EXPECT_EQ(log.Count(kMsgUploadProgress), static_cast<int>(c.at));
        EXPECT_EQ(log.entries.back().wParam, 1u);
        // The window's timer went on while the upload waited for the reply.
        if (c.fault == SimFault::Unplug) {
            EXPECT_GT(log.TicksBeforeEnd(), 3);
        }
        const SimCard::Upload cut = m_card.SoundUpload();
        EXPECT_EQ(cut.complete, c.cardHas == blocks);
        EXPECT_EQ(cut.nextBlock, c.cardHas);
        EXPECT_TRUE(cut.violations.empty()) << DescribeUpload(cut);
        EXPECT_TRUE(TempWaveFiles().empty());

        PlugBack();
        ASSERT_EQ(RunSendWindow(kBuiltIn, 2, 100, 1).result, IDOK);
        ExpectCardHolds(2, 1.5);
    }
}

TEST_F(SendWindowTest, RefusedDamagedLateAndDuplicateRepliesEndAsTheyShould) {
    m_card.SetLateReplyDelay(1200);  // past the block's 1000 ms
    struct Case {
        const char* name;
        SimFaultRule fault;
        bool succeeds;
        std::uint32_t retries;
    } cases[] = {
        {"header refused", {SimFault::WrongStatus, kCmdUploadHeader, 0, -1}, false, 0},
        {"header unanswered once", {SimFault::BadCrc, kCmdUploadHeader, 0, 1}, true, 0},
        {"a block's reply with a bad checksum", {SimFault::BadCrc, kCmdUploadBlock, 100, 1}, true, 1},
        {"a block's reply late", {SimFault::LateReply, kCmdUploadBlock, 200, 1}, true, 1},
        {"replies that come twice", {SimFault::DuplicateReply, kCmdUploadBlock, 300, 3}, true, 0},
        {"a block refused three times", {SimFault::WrongStatus, kCmdUploadBlock, 50, 3}, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int headersBefore = m_card.CountReceived(kCmdUploadHeader);
        m_card.AddFault(c.fault);
        const SendLog log = RunSendWindow(kBuiltIn, 3, 100, 1);
        m_card.ClearFaults();
        const SimCard::Upload upload = m_card.SoundUpload();
        EXPECT_TRUE(upload.violations.empty()) << DescribeUpload(upload);
        EXPECT_EQ(upload.retries, c.retries);
        if (c.succeeds) {
            EXPECT_EQ(log.result, IDOK);
            EXPECT_TRUE(TakeBoxes().empty());
            EXPECT_TRUE(upload.complete);
            EXPECT_TRUE(log.InOrder());
        } else {
            EXPECT_EQ(log.result, IDCANCEL);
            EXPECT_EQ(TakeBoxes(), std::vector<std::u16string>{kLoadFailed});
            EXPECT_FALSE(upload.complete);
        }
        if (c.fault.command == kCmdUploadHeader && !c.succeeds) {
            EXPECT_EQ(m_card.CountReceived(kCmdUploadHeader) - headersBefore, 3);  // three attempts
            EXPECT_EQ(log.Count(kMsgUploadAccepted), 0);
            EXPECT_EQ(upload.nextBlock, 0u);
        }
        EXPECT_TRUE(TempWaveFiles().empty());
    }
}

TEST_F(SendWindowTest, SoundsThatDoNotDecodeAndWindowsThatCannotWorkCloseWithTheirMessage) {
    ASSERT_TRUE(WriteBytes(TempFile("empty.mp3"), {}));
    std::string text;
    while (text.size() < 30000) text += "no sound here; ";
    ASSERT_TRUE(WriteBytes(TempFile("garbage.mp3"), std::vector<std::uint8_t>(text.begin(), text.end())));
    const int headersBefore = m_card.CountReceived(kCmdUploadHeader);
    struct Case {
        const char* name;
        std::u16string path;
        int builtIn;
        ui::SStringW layout;
        const char16_t* message;
    } cases[] = {
        {"a zero-byte MP3", os::Utf8ToUtf16(TempFile("empty.mp3")), 0, u"LAYOUT:XML_SENDDATA", kDecodeFailed},
        {"a garbage MP3", os::Utf8ToUtf16(TempFile("garbage.mp3")), 0, u"LAYOUT:XML_SENDDATA", kDecodeFailed},
        {"a missing file", os::Utf8ToUtf16(TempFile("missing.mp3")), 0, u"LAYOUT:XML_SENDDATA", kDecodeFailed},
        {"a built-in sound the skin lacks", u"DJ_NONE", 1, u"LAYOUT:XML_SENDDATA", kDecodeFailed},
        {"a layout without the progress bar", kBuiltIn, 1, kLayoutWithoutBar, kConvertFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SendLog log = RunSendWindow(c.path, 1, 100, c.builtIn, {}, c.layout);
        EXPECT_EQ(log.result, IDCANCEL);
        EXPECT_EQ(TakeBoxes(), std::vector<std::u16string>{c.message});
        EXPECT_EQ(log.Count(kMsgUploadAccepted), 0);
        EXPECT_EQ(m_fake.uploadBusy, 0);
        EXPECT_TRUE(TempWaveFiles().empty());
    }
    // Another decoder's event is not this window's: neither its failure nor
    // its file is taken.
    ASSERT_TRUE(WriteBytes(TempFile("QvWavFormOther"), {1, 2, 3}));
    ui::SObject other;
    os::PostTask(os::GetCurrentThreadId(), [&] {
        EventDecoderFinsh foreign(&other);
        foreign.path = os::Utf8ToUtf16(TempFile("QvWavFormOther"));
        foreign.status = 0;
        FireAppEventSync(foreign);
    });
    EXPECT_EQ(RunSendWindow(kBuiltIn, 1, 100, 1).result, IDOK);
    EXPECT_TRUE(TakeBoxes().empty());
    EXPECT_EQ(TempWaveFiles(), std::vector<std::string>{"QvWavFormOther"});
    std::filesystem::remove(TempFile("QvWavFormOther"));

    // No temporary file can be made: the decoder does not start.
    const int headersWithOther = m_card.CountReceived(kCmdUploadHeader);
    EXPECT_EQ(headersWithOther, headersBefore + 1);
    setenv("TMPDIR", (m_dir + "/no-such-folder").c_str(), 1);
    EXPECT_EQ(RunSendWindow(kBuiltIn, 1, 100, 1).result, IDCANCEL);
    EXPECT_EQ(TakeBoxes(), std::vector<std::u16string>{kDecodeFailed});
    EXPECT_EQ(m_card.CountReceived(kCmdUploadHeader), headersWithOther);
}

TEST_F(SendWindowTest, APadSentWhileTheWindowIsOpenIsIgnored) {
    m_center->addEvent(EventDoSendData::EventID, EventDoSendData::EventName);
    std::int16_t lastSlot = 0;
    m_center->subscribeEvent(EventDoSendData::EventID, [&lastSlot](ui::EventArgs* e) { return OnDoSendData(e, lastSlot, 100); });
    SoundItem builtIn{};
    builtIn.kind = kSoundBuiltIn;
    std::copy_n(kBuiltIn, 8, builtIn.path);
    SoundItem cloud{};
    cloud.kind = kSoundCloud;
    cloud.cloudId = 7;

    // A cloud sound not downloaded yet is downloaded first; nothing is sent.
    EXPECT_EQ(SendPadToDevice(&cloud, 3, lastSlot, nullptr), PadSendResult::kDownloadFirst);
    EXPECT_EQ(lastSlot, 3);
    EXPECT_EQ(SendPadToDevice(nullptr, 1, lastSlot, nullptr), PadSendResult::kNothing);

    // The first send opens the window; the second, fired while it is open,
    // finds the flag set and does nothing.
    const int headersBefore = m_card.CountReceived(kCmdUploadHeader);
    bool fired = false;
    int busyAtSecond = -1;
    ASSERT_EQ(SendPadToDevice(&builtIn, 2, lastSlot, nullptr), PadSendResult::kFired);
    // Runs after the first event's delivery, inside the window's loop.
    os::PostTask(os::GetCurrentThreadId(), [&] {
        busyAtSecond = m_fake.uploadBusy;
        fired = SendPadToDevice(&builtIn, 1, lastSlot, nullptr) == PadSendResult::kFired;
    });
    {
        IdleClockStepper stepper(m_clock);
        ASSERT_TRUE(WaitFor([&] { return fired && !m_fake.uploadBusy && m_card.SoundUpload().complete; }));
    }
    Advance(100);
    EXPECT_EQ(busyAtSecond, 1);
    EXPECT_EQ(m_card.CountReceived(kCmdUploadHeader) - headersBefore, 1);
    EXPECT_EQ(m_card.SoundUpload().slot, 2);
    EXPECT_TRUE(TakeBoxes().empty());

    // A family without sound keys has no uploader: the event does nothing.
    m_fake.uploader = nullptr;
    ASSERT_EQ(SendPadToDevice(&builtIn, 1, lastSlot, nullptr), PadSendResult::kFired);
    Advance(100);
    EXPECT_EQ(m_card.CountReceived(kCmdUploadHeader) - headersBefore, 1);
}

TEST_F(SendWindowTest, ParameterSendsWaitForTheUploadAndGoOutInOneFlush) {
    const std::size_t framesBefore = m_card.ReceivedFrames().size();
    bool written = false;
    const SendLog log = RunSendWindow(kBuiltIn, 1, 100, 1, [&](const SendLog& seen) {
        if (written || seen.progress < 50) return;
        written = true;
        for (int id : {1, 2, 3}) Model().WriteParam(id, Model().GetValue(id) == 0 ? 1 : 0);
    });
    ASSERT_EQ(log.result, IDOK);
    ASSERT_TRUE(written);
    const auto frames = m_card.ReceivedFrames();
    std::size_t lastBlock = 0;
    for (std::size_t i = framesBefore; i < frames.size(); ++i)
        if (frames[i][0] == kCmdUploadBlock) lastBlock = i;
    int during = 0, after = 0;
    for (std::size_t i = framesBefore; i < frames.size(); ++i)
        (i < lastBlock ? during : after) += frames[i][0] == 0x94;
    EXPECT_EQ(during, 0);
    EXPECT_EQ(after, 1);
    for (int id : {1, 2, 3}) EXPECT_TRUE(CardMatchesModel(id)) << id;
    EXPECT_FALSE(m_workspace->Params()->SendsHeld());
}

TEST_F(SendWindowTest, AQuitInTheMiddleEndsTheWindowAndJoinsItsThreads) {
    // During the upload, and while the sound is still being decoded.
    for (bool duringUpload : {true, false}) {
        SCOPED_TRACE(duringUpload ? "during the upload" : "while decoding");
        const std::u16string path = duringUpload ? std::u16string(kBuiltIn) : MakeMp3("minute.mp3", 44100, 2, 60.0);
        if (!duringUpload) qv::os::PostQuitMessage(0);
        // A reply that does not come lets the window's queue run dry, where
        // the quit waits.
        if (duringUpload) m_card.AddFault({SimFault::NoReply, kCmdUploadBlock, 105, 1});
        const SendLog log = RunSendWindow(path, 1, 100, duringUpload ? 1 : 0, [&](const SendLog& seen) {
            if (duringUpload && seen.progress == 100) qv::os::PostQuitMessage(0);
        });
        EXPECT_EQ(log.result, IDCANCEL);
        EXPECT_TRUE(QuitPosted());  // left for the loop outside
        qv::os::MSG quit{};
        ASSERT_TRUE(qv::os::PeekMessage(&quit, true));
        EXPECT_EQ(m_fake.uploadBusy, 0);
        EXPECT_TRUE(TakeBoxes().empty());
        const std::size_t frames = m_card.ReceivedFrames().size();
        Advance(200);
        EXPECT_EQ(m_card.ReceivedFrames().size(), frames);  // nothing more is sent
        EXPECT_TRUE(TempWaveFiles().empty());
        if (duringUpload) {
            EXPECT_FALSE(m_card.SoundUpload().complete);
        }
    }
}

}  // namespace
}  // namespace qv::test
