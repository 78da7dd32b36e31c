#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/sdl/SdlInputTranslator.h"
#include "platform/ui/sdl/SdlKeyMap.h"

namespace qv::ui::sdl {
namespace {

SDL_Event Button(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
    SDL_Event e{};
    e.button.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    e.button.clicks = clicks;
    return e;
}

SDL_Event Motion(int x, int y) {
    SDL_Event e{};
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

SDL_Event WindowEvent(Uint8 which) {
    SDL_Event e{};
    e.window.type = SDL_WINDOWEVENT;
    e.window.event = which;
    return e;
}

SDL_Event Key(Uint32 type, SDL_Keycode sym, bool repeat = false) {
    SDL_Event e{};
    e.key.type = type;
    e.key.keysym.sym = sym;
    e.key.repeat = repeat ? 1 : 0;
    return e;
}

SDL_Event Text(Uint32 type, const char* utf8, int start = 0) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_TEXTINPUT) {
        SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
    } else {
        SDL_strlcpy(e.edit.text, utf8, sizeof e.edit.text);
        e.edit.start = start;
    }
    return e;
}

std::vector<UINT> Ids(const std::vector<InputMessage>& msgs) {
    std::vector<UINT> ids;
    for (const auto& m : msgs) ids.push_back(m.message);
    return ids;
}

TEST(SdlKeyMap, MapsToWindowsVirtualKeys) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a), UINT('A'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z), UINT('Z'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0), UINT('0'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9), UINT('9'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1), VK_F1);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12), 0x7Bu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F13), 0x7Cu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEUP), VK_PRIOR);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEDOWN), VK_NEXT);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_END), VK_END);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_HOME), VK_HOME);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN), VK_DOWN);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL), VK_CONTROL);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LALT), VK_MENU);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_5), 0x65u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER), VK_RETURN);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_MINUS), 0xBDu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_QUOTE), 0xDEu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_VOLUMEUP), 0u);
}

TEST(SdlInputTranslator, ClicksDoubleClicksAndCaptureOutsideTheWindow) {
    SdlInputTranslator t;
    auto down = t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6), 0);
    ASSERT_EQ(Ids(down), std::vector<UINT>{WM_LBUTTONDOWN});
    EXPECT_EQ(down[0].wParam, MK_LBUTTON);
    EXPECT_EQ(down[0].lParam, MAKELPARAM(5, 6));
    EXPECT_TRUE(t.ButtonsHeld());

    // Leaving during a drag waits for the release; positions may go negative.
    t.Translate(WindowEvent(SDL_WINDOWEVENT_ENTER), 0);
    EXPECT_TRUE(t.Translate(WindowEvent(SDL_WINDOWEVENT_LEAVE), 0).empty());
    auto move = t.Translate(Motion(-3, 2), KMOD_LSHIFT);
    ASSERT_EQ(move.size(), 1u);
    EXPECT_EQ(move[0].wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(GET_X_LPARAM(move[0].lParam), -3);
    auto up = t.Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -3, 2), 0);
    EXPECT_EQ(Ids(up), (std::vector<UINT>{WM_LBUTTONUP, WM_MOUSELEAVE}));
    EXPECT_EQ(up[0].wParam, 0u);
    EXPECT_FALSE(t.ButtonsHeld());

    // The second click of a series is the double click, the third a plain press.
    t.Translate(Motion(1, 1), 0);
    EXPECT_EQ(Ids(t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1, 2), 0)),
              std::vector<UINT>{WM_LBUTTONDBLCLK});
    t.Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 1, 2), 0);
    EXPECT_EQ(Ids(t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1, 3), 0)),
              std::vector<UINT>{WM_LBUTTONDOWN});
    t.Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 1, 3), 0);
    EXPECT_EQ(Ids(t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1, 2), 0)),
              std::vector<UINT>{WM_RBUTTONDBLCLK});

    // A hover that ends without a button held leaves at once.
    t.Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 1), 0);
    EXPECT_EQ(Ids(t.Translate(WindowEvent(SDL_WINDOWEVENT_LEAVE), 0)), std::vector<UINT>{WM_MOUSELEAVE});
    EXPECT_TRUE(t.Translate(WindowEvent(SDL_WINDOWEVENT_LEAVE), 0).empty());
}

TEST(SdlInputTranslator, FocusLossDropsHeldStateAndDeactivates) {
    SdlInputTranslator t;
    t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6), 0);
    auto lost = t.Translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), 0);
    ASSERT_EQ(Ids(lost), (std::vector<UINT>{WM_KILLFOCUS, WM_ACTIVATE}));
    EXPECT_EQ(lost[1].wParam, WPARAM(WA_INACTIVE));
    EXPECT_FALSE(t.ButtonsHeld());
}

TEST(SdlInputTranslator, WheelStepsAtThePointer) {
    SdlInputTranslator t;
    t.Translate(Motion(30, 40), 0);
    SDL_Event e{};
    e.wheel.type = SDL_MOUSEWHEEL;
    e.wheel.y = 1;
    e.wheel.preciseY = 1.0f;
    auto up = t.Translate(e, KMOD_CTRL);
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(static_cast<short>(HIWORD(up[0].wParam)), WHEEL_DELTA);
    EXPECT_EQ(LOWORD(up[0].wParam), MK_CONTROL);
    EXPECT_EQ(up[0].lParam, MAKELPARAM(30, 40));
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    e.wheel.preciseY = 2.0f;
    EXPECT_EQ(static_cast<short>(HIWORD(t.Translate(e, 0)[0].wParam)), -2 * WHEEL_DELTA);
    e.wheel.preciseY = 0.0f;  // horizontal only
    EXPECT_TRUE(t.Translate(e, 0).empty());
}

TEST(SdlInputTranslator, KeysGiveVirtualKeysAndTheCharactersWindowsWould) {
    SdlInputTranslator t;
    auto a = t.Translate(Key(SDL_KEYDOWN, SDLK_a), 0);
    ASSERT_EQ(Ids(a), std::vector<UINT>{WM_KEYDOWN});  // its text comes as SDL_TEXTINPUT
    EXPECT_EQ(a[0].wParam, WPARAM('A'));
    EXPECT_EQ(a[0].lParam & 0xFFFF, 1);
    EXPECT_EQ(a[0].lParam & (1 << 30), 0);
    auto repeat = t.Translate(Key(SDL_KEYDOWN, SDLK_a, true), 0);
    EXPECT_NE(repeat[0].lParam & (1 << 30), 0);
    auto up = t.Translate(Key(SDL_KEYUP, SDLK_a), 0);
    ASSERT_EQ(Ids(up), std::vector<UINT>{WM_KEYUP});
    EXPECT_NE(static_cast<std::uint32_t>(up[0].lParam) & 0x80000000u, 0u);

    auto ctrlC = t.Translate(Key(SDL_KEYDOWN, SDLK_c), KMOD_LCTRL);
    ASSERT_EQ(Ids(ctrlC), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR}));
    EXPECT_EQ(ctrlC[1].wParam, 3u);
    auto back = t.Translate(Key(SDL_KEYDOWN, SDLK_BACKSPACE), 0);
    ASSERT_EQ(Ids(back), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR}));
    EXPECT_EQ(back[1].wParam, WPARAM(VK_BACK));
    EXPECT_EQ(Ids(t.Translate(Key(SDL_KEYDOWN, SDLK_TAB), 0)), std::vector<UINT>{WM_KEYDOWN});
    EXPECT_TRUE(t.Translate(Key(SDL_KEYDOWN, SDLK_VOLUMEUP), 0).empty());
}

TEST(SdlInputTranslator, TextAndCompositionArriveAsUtf16) {
    SdlInputTranslator t;
    auto text = t.Translate(Text(SDL_TEXTINPUT, "\xC3\xA9\xF0\x9F\x8E\xB5"), 0);  // é and a non-BMP note
    ASSERT_EQ(Ids(text), (std::vector<UINT>{WM_CHAR, WM_CHAR, WM_CHAR}));
    EXPECT_EQ(text[0].wParam, 0xE9u);
    EXPECT_EQ(text[1].wParam, 0xD83Cu);
    EXPECT_EQ(text[2].wParam, 0xDFB5u);

    auto first = t.Translate(Text(SDL_TEXTEDITING, "ni", 2), 0);
    ASSERT_EQ(Ids(first), (std::vector<UINT>{WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION}));
    EXPECT_EQ(first[1].text, u"ni");
    EXPECT_EQ(first[1].wParam, 2u);
    auto more = t.Translate(Text(SDL_TEXTEDITING, "nih", 3), 0);
    ASSERT_EQ(Ids(more), std::vector<UINT>{WM_IME_COMPOSITION});
    EXPECT_EQ(more[0].text, u"nih");
    auto commit = t.Translate(Text(SDL_TEXTINPUT, "\xE4\xBD\xA0"), 0);  // 你
    ASSERT_EQ(Ids(commit), (std::vector<UINT>{WM_IME_ENDCOMPOSITION, WM_CHAR}));
    EXPECT_EQ(commit[1].wParam, 0x4F60u);
    EXPECT_FALSE(t.IsComposing());

    // A composition abandoned (emptied) ends without text.
    t.Translate(Text(SDL_TEXTEDITING, "x", 1), 0);
    EXPECT_EQ(Ids(t.Translate(Text(SDL_TEXTEDITING, "", 0), 0)), std::vector<UINT>{WM_IME_ENDCOMPOSITION});
    EXPECT_FALSE(t.IsComposing());
}

}  // namespace
}  // namespace qv::ui::sdl
