// sdl_compat.cpp -- where the browser's SDL 1.2 (Emscripten's stand-in) answers differently from
// SDL 1.2 itself. Linked into the browser build only.
#include "sdl_compat.h"

#include <SDL_mixer.h>
#include <emscripten.h>

namespace {

// The browser lists empty pad slots as null, which the stand-in counts as pads.
EM_JS(int, connectedPads, (), {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    var count = 0;
    for (var i = 0; i < pads.length; i++)
        if (pads[i])
            count = i + 1;
    return count;
});

// SDL 1.2's own names for the keys a browser can report, so config.ini names keys as the native
// game does ("left shift", "page up", "[7]"). Where a browser sends one key for two of SDL's (its
// Meta is the Windows key, which SDL 1.2 calls Super), the name is the one that key has natively.
struct KeyName {
    SDLKey key;
    const char *name;
};
constexpr KeyName key_names[] = {
    {SDLK_BACKSPACE, "backspace"},
    {SDLK_TAB, "tab"},
    {SDLK_CLEAR, "clear"},
    {SDLK_RETURN, "return"},
    {SDLK_PAUSE, "pause"},
    {SDLK_ESCAPE, "escape"},
    {SDLK_SPACE, "space"},
    {SDLK_EXCLAIM, "!"},
    {SDLK_QUOTEDBL, "\""},
    {SDLK_HASH, "#"},
    {SDLK_DOLLAR, "$"},
    {SDLK_AMPERSAND, "&"},
    {SDLK_QUOTE, "'"},
    {SDLK_LEFTPAREN, "("},
    {SDLK_RIGHTPAREN, ")"},
    {SDLK_ASTERISK, "*"},
    {SDLK_PLUS, "+"},
    {SDLK_COMMA, ","},
    {SDLK_MINUS, "-"},
    {SDLK_PERIOD, "."},
    {SDLK_SLASH, "/"},
    {SDLK_0, "0"},
    {SDLK_1, "1"},
    {SDLK_2, "2"},
    {SDLK_3, "3"},
    {SDLK_4, "4"},
    {SDLK_5, "5"},
    {SDLK_6, "6"},
    {SDLK_7, "7"},
    {SDLK_8, "8"},
    {SDLK_9, "9"},
    {SDLK_COLON, ":"},
    {SDLK_SEMICOLON, ";"},
    {SDLK_LESS, "<"},
    {SDLK_EQUALS, "="},
    {SDLK_GREATER, ">"},
    {SDLK_QUESTION, "?"},
    {SDLK_AT, "@"},
    {SDLK_LEFTBRACKET, "["},
    {SDLK_BACKSLASH, "\\"},
    {SDLK_RIGHTBRACKET, "]"},
    {SDLK_CARET, "^"},
    {SDLK_UNDERSCORE, "_"},
    {SDLK_BACKQUOTE, "`"},
    {SDLK_a, "a"},
    {SDLK_b, "b"},
    {SDLK_c, "c"},
    {SDLK_d, "d"},
    {SDLK_e, "e"},
    {SDLK_f, "f"},
    {SDLK_g, "g"},
    {SDLK_h, "h"},
    {SDLK_i, "i"},
    {SDLK_j, "j"},
    {SDLK_k, "k"},
    {SDLK_l, "l"},
    {SDLK_m, "m"},
    {SDLK_n, "n"},
    {SDLK_o, "o"},
    {SDLK_p, "p"},
    {SDLK_q, "q"},
    {SDLK_r, "r"},
    {SDLK_s, "s"},
    {SDLK_t, "t"},
    {SDLK_u, "u"},
    {SDLK_v, "v"},
    {SDLK_w, "w"},
    {SDLK_x, "x"},
    {SDLK_y, "y"},
    {SDLK_z, "z"},
    {SDLK_DELETE, "delete"},
    {SDLK_KP0, "[0]"},
    {SDLK_KP1, "[1]"},
    {SDLK_KP2, "[2]"},
    {SDLK_KP3, "[3]"},
    {SDLK_KP4, "[4]"},
    {SDLK_KP5, "[5]"},
    {SDLK_KP6, "[6]"},
    {SDLK_KP7, "[7]"},
    {SDLK_KP8, "[8]"},
    {SDLK_KP9, "[9]"},
    {SDLK_KP_PERIOD, "[.]"},
    {SDLK_KP_DIVIDE, "[/]"},
    {SDLK_KP_MULTIPLY, "[*]"},
    {SDLK_KP_MINUS, "[-]"},
    {SDLK_KP_PLUS, "[+]"},
    {SDLK_KP_ENTER, "enter"},
    {SDLK_KP_EQUALS, "equals"},
    {SDLK_UP, "up"},
    {SDLK_DOWN, "down"},
    {SDLK_RIGHT, "right"},
    {SDLK_LEFT, "left"},
    {SDLK_INSERT, "insert"},
    {SDLK_HOME, "home"},
    {SDLK_END, "end"},
    {SDLK_PAGEUP, "page up"},
    {SDLK_PAGEDOWN, "page down"},
    {SDLK_F1, "f1"},
    {SDLK_F2, "f2"},
    {SDLK_F3, "f3"},
    {SDLK_F4, "f4"},
    {SDLK_F5, "f5"},
    {SDLK_F6, "f6"},
    {SDLK_F7, "f7"},
    {SDLK_F8, "f8"},
    {SDLK_F9, "f9"},
    {SDLK_F10, "f10"},
    {SDLK_F11, "f11"},
    {SDLK_F12, "f12"},
    {SDLK_F13, "f13"},
    {SDLK_F14, "f14"},
    {SDLK_F15, "f15"},
    {SDLK_NUMLOCK, "numlock"},
    {SDLK_CAPSLOCK, "caps lock"},
    {SDLK_SCROLLOCK, "scroll lock"},
    {SDLK_RSHIFT, "right shift"},
    {SDLK_LSHIFT, "left shift"},
    {SDLK_RCTRL, "right ctrl"},
    {SDLK_LCTRL, "left ctrl"},
    {SDLK_RALT, "right alt"},
    {SDLK_LALT, "left alt"},
    {SDLK_LSUPER, "left super"},
    {SDLK_RSUPER, "right super"},
    {SDLK_MODE, "alt gr"},
    {SDLK_COMPOSE, "compose"},
    {SDLK_HELP, "help"},
    {SDLK_PRINT, "print screen"},
    {SDLK_SYSREQ, "sys req"},
    {SDLK_MENU, "menu"},
    {SDLK_POWER, "power"},
    {SDLK_UNDO, "undo"},
};

// The joystick part of the stand-in reads the pads only when SDL_Init was asked for it, and its
// SDL_InitSubSystem does nothing: a later request is added to the first one here.
EM_JS(void, addInitFlags, (Uint32 flags), {
    SDL.initFlags |= flags;
});

} // namespace

extern "C" {

const char *SDL_GetKeyName(SDLKey key)
{
    for (const KeyName &k : key_names)
        if (k.key == key)
            return k.name;
    return "unknown key";
}

int SDL_InitSubSystem(Uint32 flags)
{
    addInitFlags(flags);
    return 0;
}

// The stand-in has no SDL_GetKeyState of its own that tells how many keys its table holds.
Uint8 *SDL_GetKeyState(int *numkeys)
{
    return const_cast<Uint8 *>(SDL_GetKeyboardState(numkeys));
}

// The stand-in has no volume per sound, only per channel; the game gives every sound the same
// volume, so every channel takes it.
int Mix_VolumeChunk(Mix_Chunk *, int volume)
{
    Mix_Volume(-1, volume);
    return volume;
}

int SDL_NumJoysticks()
{
    return connectedPads();
}

} // extern "C"
