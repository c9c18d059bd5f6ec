// image.h -- pictures being painted: RGBA floats, row 0 at the top, and the writers that
// encode them (through stb_image_write). An image lives while one file is being made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    float r, g, b, a;
};

struct Image {
    int width = 0, height = 0;
    std::vector<Rgba> px; // row-major, top row first
};

Image image_new(int width, int height, Rgba fill);
Rgba &image_at(Image &image, int x, int y);
const Rgba &image_at(const Image &image, int x, int y);
// Coordinates wrap round, for patterns that tile.
Rgba &image_wrap(Image &image, int x, int y);
// Paints colour over the pixel with coverage k in [0, 1] (alpha compositing).
void image_blend(Image &image, int x, int y, Rgba colour, float k);
void image_fillRect(Image &image, int x0, int y0, int x1, int y1, Rgba colour); // x1, y1 excluded
void image_flipVertical(Image &image);
// Mixes a and b: a at k = 0, b at k = 1.
Rgba image_mixColour(Rgba a, Rgba b, float k);
float clamp01(float v);
float smoothstep(float e0, float e1, float x);

// Value noise in [0, 1) that repeats every `period` lattice cells; fbm sums octaves of it
// (each doubling the frequency and the period), normalised to [0, 1).
float image_noise(float x, float y, int period, uint32_t seed);
float image_fbm(float x, float y, int octaves, int period, uint32_t seed);

// The 8-bit pixels, 3 (RGB) or 4 (RGBA) channels, top row first.
std::vector<uint8_t> image_bytes(const Image &image, int channels);
// Writers; false with a message on stderr when the file cannot be written.
bool image_writePng(const Image &image, const std::string &path, int channels);
bool image_writeJpg(const Image &image, const std::string &path, int quality);
// Uncompressed 32-bit TGA with the alpha channel; stored bottom row first, as the format's
// default origin says, so a loader that honours the origin gives back the rows top first.
bool image_writeTga(const Image &image, const std::string &path);
