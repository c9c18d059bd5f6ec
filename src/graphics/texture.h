// texture.h -- the texture cache: one entry per file name ever asked for; entries and their
// textures live until exit. Each image becomes three GL textures: handle (nearest filtering),
// handle + 1 (linear) and handle + 2 (mipmapped, no alpha); -1 names an image that failed.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct SDL_Surface;
struct SDL_RWops;

// The handle of the image at name (a path as given, relative to the working directory).
// The first request decodes and uploads; every later one, also after a failure, answers from
// the cache. A failure is reported once and cached as -1. A null name ends the program.
// Needs the video task's GL context.
int texture_get(const char *name);

// An image as OpenGL takes it: rows top first, each rowBytes long (width * components rounded
// up to OpenGL's default unpack alignment of 4), channels in the order bgr says.
struct TextureImage {
    int width = 0;
    int height = 0;
    int components = 0; // 3 (no alpha) or 4 (with alpha)
    bool bgr = false;   // bytes run B, G, R(, A) when true, R, G, B(, A) otherwise
    int rowBytes = 0;
    std::vector<unsigned char> pixels; // height * rowBytes bytes
    std::string convertedFrom; // what the surface was when its pixels had to be converted
                               // ("palettised", "16-bit", ...); empty when its rows went up as they were
};

// Decodes an image as the cache does, without GL: the image loader reads source (and closes it),
// type being the file name's ending (it picks the formats without a signature, such as TGA; the
// others are told by their first bytes), then texture_convertSurface. A TGA whose data is shorter
// than its header promises, a PNG with a chunk cut short and a JPEG of more pixels than
// texture_maxJpegSide squared are refused unread. Empty, with the reason in why, when the image
// cannot be read; a null source gives SDL's error of the moment (from opening the file).
constexpr int texture_maxJpegSide = 4096;
std::optional<TextureImage> texture_readImage(SDL_RWops *source, const char *type, std::string &why);

// Reads any surface the image loader returns (palettised, greyscale, grey with transparency,
// 16-, 24- or 32-bit, any channel masks) into 24- or 32-bit rows; a colour key or an alpha
// channel gives 32 bits. No GL. Empty (with the reason in why) when the surface cannot be read.
std::optional<TextureImage> texture_convertSurface(const SDL_Surface &surface, std::string &why);

// How many images the cache has decoded since start (for tests and the benchmark).
int texture_decodeCount();
