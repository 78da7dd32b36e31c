#pragma once
// Turns the SDL events of one window into the Windows messages its host
// window answers: mouse in client coordinates with MK_* flags, double clicks,
// the wheel in WHEEL_DELTA steps, leave, keys as virtual keys, committed text
// as WM_CHAR units and input-method composition as WM_IME_* messages.
#include <SDL_events.h>

#include <string>
#include <vector>

#include "platform/ui/Geometry.h"
#include "platform/ui/sdl/SdlMessages.h"

namespace qv::ui::sdl {

struct InputMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    // WM_IME_COMPOSITION only: the composition text lParam points at.
    std::u16string text;
};

class SdlInputTranslator {
public:
    // Key modifiers (SDL_Keymod) come in explicitly so tests need no keyboard.
    std::vector<InputMessage> Translate(const SDL_Event& event, unsigned keyMods);

    // True while a mouse button is down: the window captures the mouse then.
    bool ButtonsHeld() const { return m_buttons != 0; }
    bool IsComposing() const { return m_composing; }
    // Off: composition events give no messages (a running one ends).
    void EnableComposition(bool enable) { m_compositionEnabled = enable; }

private:
    UINT MouseFlags(unsigned keyMods) const;
    void Mouse(std::vector<InputMessage>& out, const SDL_MouseButtonEvent& b, unsigned keyMods);
    void Key(std::vector<InputMessage>& out, const SDL_KeyboardEvent& k, unsigned keyMods) const;
    void Text(std::vector<InputMessage>& out, const char* utf8);
    void Editing(std::vector<InputMessage>& out, const SDL_TextEditingEvent& e);
    void Window(std::vector<InputMessage>& out, const SDL_WindowEvent& w);

    UINT m_buttons = 0;  // MK_LBUTTON | MK_RBUTTON | MK_MBUTTON held
    CPoint m_last;       // last pointer position, client coordinates
    bool m_inside = false;
    bool m_leavePending = false;  // left while captured: leave on release
    bool m_composing = false;
    bool m_compositionEnabled = true;
};

}  // namespace qv::ui::sdl
