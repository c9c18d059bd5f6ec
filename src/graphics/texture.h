// texture.h -- the texture cache: one entry per file name ever asked for; entries and their
// textures live until exit. Each image becomes three GL textures: handle (nearest filtering),
// handle + 1 (linear) and handle + 2 (mipmapped, no alpha); -1 names an image that failed.
#pragma once

// The handle of the image at name (a path as given, relative to the working directory).
// The first request decodes and uploads; every later one, also after a failure, answers from
// the cache. A failure is reported once and cached as -1. A null name ends the program.
// Needs the video task's GL context.
int texture_get(const char *name);

// How many images the cache has decoded since start (for tests and the benchmark).
int texture_decodeCount();
