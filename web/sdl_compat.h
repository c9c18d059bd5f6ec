// sdl_compat.h -- the SDL 1.2 calls the game makes that the browser's SDL (Emscripten's
// stand-in) does not declare; defined in sdl_compat.cpp. The browser build includes it in every
// source file.
#pragma once

#include <SDL.h>

// SDL 1.2's key numbers start here.
#define SDLK_FIRST 0

// A browser shows a frame on its display's beat whatever the game asks for, and the stand-in
// stops the program at an attribute it does not know: the request goes to one it keeps and
// never reads.
#define SDL_GL_SWAP_CONTROL SDL_GL_RETAINED_BACKING

#ifdef __cplusplus
extern "C" {
#endif

Uint8 *SDL_GetKeyState(int *numkeys);

#ifdef __cplusplus
}
#endif
