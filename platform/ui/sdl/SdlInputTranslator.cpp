#include "platform/ui/sdl/SdlInputTranslator.h"

#include <cmath>

#include "platform/os/Utf.h"
#include "platform/ui/sdl/SdlKeyMap.h"

namespace qv::ui::sdl {
namespace {

LPARAM At(CPoint pt) { return MAKELPARAM(pt.x, pt.y); }

UINT ButtonBit(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    default: return 0;
    }
}

// Bits 0-15 repeat count, 30 previous state, 31 transition (as Windows packs them).
LPARAM KeyData(bool down, bool repeat) {
    std::uint32_t data = 1;
    if (!down || repeat) data |= 1u << 30;
    if (!down) data |= 1u << 31;
    return static_cast<LPARAM>(data);
}

}  // namespace

UINT SdlInputTranslator::MouseFlags(unsigned keyMods) const {
    UINT flags = m_buttons;
    if (keyMods & KMOD_SHIFT) flags |= MK_SHIFT;
    if (keyMods & KMOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

std::vector<InputMessage> SdlInputTranslator::Translate(const SDL_Event& event, unsigned keyMods) {
    std::vector<InputMessage> out;
    switch (event.type) {
    case SDL_MOUSEMOTION:
        m_last = CPoint(event.motion.x, event.motion.y);
        m_inside = true;
        out.push_back({WM_MOUSEMOVE, MouseFlags(keyMods), At(m_last), {}});
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        Mouse(out, event.button, keyMods);
        break;
    case SDL_MOUSEWHEEL: {
        float steps = event.wheel.preciseY;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
        const int delta = static_cast<int>(std::lround(steps * WHEEL_DELTA));
        // The host reads the position as client coordinates, like the other mouse messages.
        if (delta != 0) out.push_back({WM_MOUSEWHEEL, (static_cast<WPARAM>(delta & 0xFFFF) << 16) | MouseFlags(keyMods), At(m_last), {}});
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        Key(out, event.key, keyMods);
        break;
    case SDL_TEXTINPUT:
        Text(out, event.text.text);
        break;
    case SDL_TEXTEDITING:
        Editing(out, event.edit);
        break;
    case SDL_WINDOWEVENT:
        Window(out, event.window);
        break;
    default:
        break;
    }
    return out;
}

void SdlInputTranslator::Mouse(std::vector<InputMessage>& out, const SDL_MouseButtonEvent& b, unsigned keyMods) {
    const UINT bit = ButtonBit(b.button);
    if (!bit) return;
    m_last = CPoint(b.x, b.y);
    const bool down = b.type == SDL_MOUSEBUTTONDOWN;
    if (down) {
        m_buttons |= bit;
    } else {
        m_buttons &= ~bit;
    }
    UINT message = 0;
    // Every second click of a series is the double click, as on Windows.
    const bool dbl = down && b.clicks >= 2 && b.clicks % 2 == 0;
    switch (bit) {
    case MK_LBUTTON: message = down ? (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP; break;
    case MK_RBUTTON: message = down ? (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP; break;
    default: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    }
    out.push_back({message, MouseFlags(keyMods), At(m_last), {}});
    if (!m_buttons && m_leavePending) {
        m_leavePending = false;
        m_inside = false;
        out.push_back({WM_MOUSELEAVE, 0, 0, {}});
    }
}

void SdlInputTranslator::Key(std::vector<InputMessage>& out, const SDL_KeyboardEvent& k, unsigned keyMods) const {
    const UINT vk = VirtualKeyFromSdl(k.keysym.sym);
    if (!vk) return;
    const bool down = k.type == SDL_KEYDOWN;
    out.push_back({down ? WM_KEYDOWN : WM_KEYUP, vk, KeyData(down, k.repeat != 0), {}});
    if (!down) return;
    // SDL sends no text for control characters; Windows gives these keys a WM_CHAR.
    if ((keyMods & KMOD_CTRL) && vk >= 'A' && vk <= 'Z') {
        out.push_back({WM_CHAR, vk - 'A' + 1, KeyData(true, k.repeat != 0), {}});
    } else if (vk == VK_BACK || vk == VK_RETURN || vk == VK_ESCAPE) {
        out.push_back({WM_CHAR, vk, KeyData(true, k.repeat != 0), {}});
    }
}

void SdlInputTranslator::Text(std::vector<InputMessage>& out, const char* utf8) {
    if (m_composing) {
        m_composing = false;
        out.push_back({WM_IME_ENDCOMPOSITION, 0, 0, {}});
    }
    for (char16_t unit : qv::os::Utf8ToUtf16(utf8)) out.push_back({WM_CHAR, unit, 1, {}});
}

void SdlInputTranslator::Editing(std::vector<InputMessage>& out, const SDL_TextEditingEvent& e) {
    std::u16string text = qv::os::Utf8ToUtf16(e.text);
    if (text.empty() || !m_compositionEnabled) {
        if (m_composing) out.push_back({WM_IME_ENDCOMPOSITION, 0, 0, {}});
        m_composing = false;
        return;
    }
    if (!m_composing) out.push_back({WM_IME_STARTCOMPOSITION, 0, 0, {}});
    m_composing = true;
    const WPARAM caret = static_cast<WPARAM>(e.start < 0 ? 0 : e.start);
    out.push_back({WM_IME_COMPOSITION, caret, 0, std::move(text)});
}

void SdlInputTranslator::Window(std::vector<InputMessage>& out, const SDL_WindowEvent& w) {
    switch (w.event) {
    case SDL_WINDOWEVENT_ENTER:
        m_inside = true;
        m_leavePending = false;
        break;
    case SDL_WINDOWEVENT_LEAVE:
        if (!m_inside) break;
        if (m_buttons) {
            m_leavePending = true;  // the capture keeps the pointer ours until release
            break;
        }
        m_inside = false;
        out.push_back({WM_MOUSELEAVE, 0, 0, {}});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({WM_ACTIVATE, WA_ACTIVE, 0, {}});
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Releases that happen elsewhere never reach us.
        m_buttons = 0;
        if (m_composing) out.push_back({WM_IME_ENDCOMPOSITION, 0, 0, {}});
        m_composing = false;
        // The host forgets the modifiers held: their key-ups go elsewhere.
        out.push_back({WM_KILLFOCUS, 0, 0, {}});
        out.push_back({WM_ACTIVATE, WA_INACTIVE, 0, {}});
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({WM_SYSCOMMAND, SC_CLOSE, 0, {}});
        break;
    default:
        break;
    }
}

}  // namespace qv::ui::sdl
