#pragma once
// A global-hotkey service for tests: installs itself for its lifetime,
// records every registration and, like the desktop, posts WM_HOTKEY to the
// window that holds a combination when the test presses it.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/desktop/HotKeys.h"

namespace qv::test {

class FakeHotKeyService final : public desktop::IHotKeyService {
public:
    FakeHotKeyService();
    ~FakeHotKeyService() override;
    FakeHotKeyService(const FakeHotKeyService&) = delete;
    FakeHotKeyService& operator=(const FakeHotKeyService&) = delete;

    // "+id" and "-id" in the order asked for; refusedKey's registrations fail,
    // and so do those of a combination already held.
    BOOL Register(HWND hwnd, int id, UINT modifiers, UINT vk) override;
    BOOL Unregister(HWND hwnd, int id) override;

    // Posts WM_HOTKEY for the combination (modifiers << 16 | vk); false when
    // no registration holds it.
    bool Press(UINT hotkey) const;

    std::map<int, std::pair<HWND, UINT>> registered;  // id -> window, modifiers << 16 | vk
    std::vector<std::string> log;
    UINT refusedKey = 0;
};

}  // namespace qv::test
