#include "tests/support/FakeDesktopServices.h"

namespace qv::test {

FakeTrayService::FakeTrayService() { desktop::SetTrayService(this); }
FakeTrayService::~FakeTrayService() { desktop::SetTrayService(nullptr); }

BOOL FakeTrayService::NotifyIcon(DWORD message, const desktop::NotifyIconData& data) {
    calls_.push_back({message, data});
    if (message == desktop::NIM_ADD) {
        if (!present_) return FALSE;
        ++shown_;
    } else if (message == desktop::NIM_DELETE) {
        if (shown_ == 0) return FALSE;
        --shown_;
    }
    return TRUE;
}

FakeShellService::FakeShellService() { desktop::SetShellService(this); }
FakeShellService::~FakeShellService() { desktop::SetShellService(nullptr); }

BOOL FakeShellService::OpenDocument(std::u16string_view pathOrUrl) {
    documents_.emplace_back(pathOrUrl);
    return TRUE;
}

BOOL FakeShellService::StartProgram(std::u16string_view program, std::u16string_view parameters) {
    programs_.push_back({std::u16string(program), std::u16string(parameters)});
    return TRUE;
}

}  // namespace qv::test
