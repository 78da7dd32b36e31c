#pragma once
// The send window against the simulated card behind the real device manager,
// on the stepped clock (advanced while the UI thread idles), with the
// plug-in's workspace and a session open, the skin's layouts, a built-in
// sound "DJ_TEST" among the skin's "mp3" resources and a layout that lacks
// the progress bar. Each window is watched: its upload messages and the
// ticks of a 10 ms timer of its own, in the order they came.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/SStringW.h"
#include "plugin/sound/ISoundUploader.h"
#include "plugin/upload/SendWindow.h"
#include "tests/effect/EffectPageEnv.h"

namespace qv::test {

// What a watched window saw, in order.
struct SendLog {
    struct Entry {
        UINT message;  // 8889, 8828, 8842, or WM_TIMER for a tick
        WPARAM wParam;
        LPARAM lParam;
        int uploadBusy;  // the application's send-window flag then
    };
    std::vector<Entry> entries;
    int progress = 0;  // 8828s so far: what a callback during the upload reads
    INT_PTR result = -1;

    int Count(UINT message) const;
    // Ticks between the last entry of `message` before the end and the end.
    int TicksBeforeEnd() const;
    // 8889, then 8828s with growing byte counts, then one 8842: the order an
    // upload tells its window.
    bool InOrder() const;
};

// A send window the application's uploader ran: what it was asked and what
// it saw.
struct SendRun {
    std::u16string path;
    int slot = 0;
    int volume = 0;
    int builtIn = 0;
    SendLog log;
};

class SendWindowEnv : public EffectPageEnv {
protected:
    static constexpr const char16_t* kBuiltIn = u"DJ_TEST";
    static constexpr const char16_t* kLayoutWithoutBar = u"LAYOUT:XML_SENDDATA_NOBAR";

    void SetUp() override;
    void TearDown() override;

    // Runs a watched send window modally while time passes. During(log)
    // runs on the UI thread after each upload message.
    SendLog RunSendWindow(const std::u16string& path, int slot, int volume, int builtIn,
                          const std::function<void(const SendLog&)>& during = {},
                          const ui::SStringW& layout = u"LAYOUT:XML_SENDDATA");
    // Makes the application's uploader one whose windows are watched as
    // RunSendWindow's: each run goes to m_runs, with m_during as its During.
    void UseWatchingUploader();
    // The texts of the message boxes shown since the last call.
    std::vector<std::u16string> TakeBoxes();
    std::vector<std::string> TempWaveFiles() const;
    std::string TempFile(const char* name) const { return m_dir + "/tmp/" + name; }
    // Plugs the card back and waits until the link and the session have it.
    void PlugBack();

    // The window RunSendWindow runs, while it runs.
    SendWindow* m_open = nullptr;
    std::unique_ptr<ISoundUploader> m_uploader;
    std::vector<SendRun> m_runs;
    std::function<void(const SendLog&)> m_during;
    std::size_t m_boxesSeen = 0;
};

}  // namespace qv::test
