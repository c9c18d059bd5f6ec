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

} // namespace

extern "C" {

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
