#pragma once
// The desktop services a page uses, answered in the test: the tray and the
// shell (message boxes: FakeMessageBoxService.h). Each installs itself for its lifetime and
// records what it was asked. Used on the UI thread.
#include <string>
#include <vector>

#include "platform/ui/desktop/ShellService.h"
#include "platform/ui/desktop/TrayIcon.h"

namespace qv::test {

class FakeTrayService final : public desktop::ITrayService {
public:
    struct Call {
        DWORD message;
        desktop::NotifyIconData data;
    };

    FakeTrayService();
    ~FakeTrayService() override;
    FakeTrayService(const FakeTrayService&) = delete;
    FakeTrayService& operator=(const FakeTrayService&) = delete;

    // FALSE makes NIM_ADD fail, as without a tray.
    void SetTrayPresent(bool present) { present_ = present; }
    const std::vector<Call>& Calls() const { return calls_; }
    // Icons added and not deleted.
    int ShownIcons() const { return shown_; }

    BOOL NotifyIcon(DWORD message, const desktop::NotifyIconData& data) override;

private:
    bool present_ = true;
    int shown_ = 0;
    std::vector<Call> calls_;
};

class FakeShellService final : public desktop::IShellService {
public:
    struct Started {
        std::u16string program;
        std::u16string parameters;
    };

    FakeShellService();
    ~FakeShellService() override;
    FakeShellService(const FakeShellService&) = delete;
    FakeShellService& operator=(const FakeShellService&) = delete;

    const std::vector<std::u16string>& Documents() const { return documents_; }
    const std::vector<Started>& Programs() const { return programs_; }

    BOOL OpenDocument(std::u16string_view pathOrUrl) override;
    BOOL StartProgram(std::u16string_view program, std::u16string_view parameters) override;

private:
    std::vector<std::u16string> documents_;
    std::vector<Started> programs_;
};

}  // namespace qv::test
