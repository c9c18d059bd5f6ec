// image.h -- image files to pixel rows, without GL: the guards against files that claim more than
// they hold, the CMYK conversion and the conversion of every surface the image loader returns.
// What the texture cache uploads, the checker reports on and the fuzzers feed. No state.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct SDL_Surface;
struct SDL_RWops;

// An image as OpenGL takes it: rows top first, each rowBytes long (width * components rounded
// up to OpenGL's default unpack alignment of 4), channels in the order bgr says.
struct DecodedImage {
    int width = 0;
    int height = 0;
    int components = 0; // 3 (no alpha) or 4 (with alpha)
    bool bgr = false;   // bytes run B, G, R(, A) when true, R, G, B(, A) otherwise
    int rowBytes = 0;
    std::vector<unsigned char> pixels; // height * rowBytes bytes
    std::string convertedFrom; // what the surface was when its pixels had to be converted
                               // ("palettised", "16-bit", ...); empty when its rows went up as they were
};

// Decodes an image as the texture cache does: the image loader reads source (and closes it),
// type being the file name's ending (it picks the formats without a signature, such as TGA; the
// others are told by their first bytes), then image_convertSurface. A TGA whose data is shorter
// than its header promises, a PNG with a chunk cut short and a JPEG of more pixels than
// image_maxJpegSide squared are refused unread. Empty, with the reason in why, when the image
// cannot be read; a null source gives SDL's error of the moment (from opening the file).
constexpr int image_maxJpegSide = 4096;
std::optional<DecodedImage> image_read(SDL_RWops *source, const char *type, std::string &why);

// Decodes the image file at name (a path as given, relative to the working directory) as the
// texture cache does: what follows the name's last dot is the type image_read takes. In the
// browser, whose SDL reads a file only whole, the loader takes the file by its name.
std::optional<DecodedImage> image_readFile(const char *name, std::string &why);

// Reads any surface the image loader returns (palettised, greyscale, grey with transparency,
// 16-, 24- or 32-bit, any channel masks) into 24- or 32-bit rows; a colour key or an alpha
// channel gives 32 bits. Empty (with the reason in why) when the surface cannot be read.
std::optional<DecodedImage> image_convertSurface(const SDL_Surface &surface, std::string &why);
