#pragma once
// The send window: decodes one sound, converts it for the card and writes it
// into one of the card's sound keys with a progress bar, modally. The user
// cannot close it; it always closes by itself, silently on success and with
// a message box on any failure. While it exists the application's
// send-window flag is 1 and the UI's parameter sends wait, to go out in one
// flush when it goes.
//
// UI thread only. The decoder and the upload run on threads of their own and
// reach the window by EventDecoderFinsh and posted messages; the destructor
// stops and joins both.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/SHostDialog.h"
#include "plugin/upload/CLibmadDecoder.h"
#include "plugin/upload/UploadJob.h"

namespace qv::ui {
class SProgress;
}

class SendWindow : public qv::ui::SHostDialog {
    QV_CLASS_NAME(SendWindow, qv::ui::SHostDialog, u"SendWindow", qv::ui::kObjectWindow)

public:
    // path: a file, or with builtIn 1 the name of a sound of the skin; slot
    // 1 .. 3; volume 0 .. 100. layout: the window's layout (tests give
    // others).
    SendWindow(const std::u16string& path, int slot, int volume, int builtIn,
               const qv::ui::SStringW& layout = u"LAYOUT:XML_SENDDATA");
    ~SendWindow() override;

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

    // EventDecoderFinsh: only the one this window's decoder sent.
    bool OnDecoderFinish(qv::ui::EventArgs* e);

private:
    void OnInitDialog();
    // Finds the four controls; false when one is missing.
    bool FindControls();
    void StartDecode();
    void StartUpload(std::vector<std::uint8_t> image);
    void OnUploadAccepted(LPARAM bytes);
    void OnUploadProgress(WPARAM bytesSent);
    void OnUploadEnded(WPARAM failed);
    // Ends the dialog, then tells the user.
    void Fail(const char16_t* text, const char16_t* caption);
    void Unsubscribe();

    std::u16string m_path;
    int m_slot;
    int m_volume;
    int m_builtIn;
    CLibmadDecoder m_decoder;
    bool m_decodeReported = false;  // the decoder's event came (its WAV is taken care of)
    std::unique_ptr<UploadJob> m_job;
    bool m_subscribed = false;
    qv::ui::SWindow* m_waitingTip = nullptr;
    qv::ui::SWindow* m_sendProgress = nullptr;
    qv::ui::SProgress* m_progress = nullptr;
    qv::ui::SWindow* m_tipText = nullptr;
};
