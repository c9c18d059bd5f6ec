// image.cpp -- painting helpers, value noise and the encoders.
#include "image.h"

#include "rng.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stb_image_write.h>

Image image_new(int width, int height, Rgba fill)
{
    Image image;
    image.width = width;
    image.height = height;
    image.px.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
    return image;
}

Rgba &image_at(Image &image, int x, int y) { return image.px[static_cast<size_t>(y) * image.width + x]; }

const Rgba &image_at(const Image &image, int x, int y)
{
    return image.px[static_cast<size_t>(y) * image.width + x];
}

Rgba &image_wrap(Image &image, int x, int y)
{
    x = ((x % image.width) + image.width) % image.width;
    y = ((y % image.height) + image.height) % image.height;
    return image_at(image, x, y);
}

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float e0, float e1, float x)
{
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

Rgba image_mixColour(Rgba a, Rgba b, float k)
{
    return {a.r + (b.r - a.r) * k, a.g + (b.g - a.g) * k, a.b + (b.b - a.b) * k, a.a + (b.a - a.a) * k};
}

void image_blend(Image &image, int x, int y, Rgba colour, float k)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return;
    Rgba &d = image_at(image, x, y);
    const float a = clamp01(colour.a * k);
    const float outA = a + d.a * (1 - a);
    if (outA <= 0) {
        d = {0, 0, 0, 0};
        return;
    }
    d.r = (colour.r * a + d.r * d.a * (1 - a)) / outA;
    d.g = (colour.g * a + d.g * d.a * (1 - a)) / outA;
    d.b = (colour.b * a + d.b * d.a * (1 - a)) / outA;
    d.a = outA;
}

void image_fillRect(Image &image, int x0, int y0, int x1, int y1, Rgba colour)
{
    for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x)
            image_at(image, x, y) = colour;
}

void image_flipVertical(Image &image)
{
    for (int y = 0; y < image.height / 2; ++y)
        for (int x = 0; x < image.width; ++x)
            std::swap(image_at(image, x, y), image_at(image, x, image.height - 1 - y));
}

float image_noise(float x, float y, int period, uint32_t seed)
{
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(xi), fy = y - static_cast<float>(yi);
    auto lattice = [&](int gx, int gy) {
        if (period > 0) {
            gx = ((gx % period) + period) % period;
            gy = ((gy % period) + period) % period;
        }
        return rng_hash(gx, gy, seed);
    };
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = lattice(xi, yi), b = lattice(xi + 1, yi), c = lattice(xi, yi + 1), d = lattice(xi + 1, yi + 1);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float image_fbm(float x, float y, int octaves, int period, uint32_t seed)
{
    float sum = 0, weight = 0, amp = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * image_noise(x, y, period, seed + static_cast<uint32_t>(o) * 101u);
        weight += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / weight;
}

std::vector<uint8_t> image_bytes(const Image &image, int channels)
{
    std::vector<uint8_t> out;
    out.reserve(image.px.size() * static_cast<size_t>(channels));
    auto byte = [](float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); };
    for (const Rgba &p : image.px) {
        out.push_back(byte(p.r));
        out.push_back(byte(p.g));
        out.push_back(byte(p.b));
        if (channels == 4)
            out.push_back(byte(p.a));
    }
    return out;
}

namespace {

bool report(bool ok, const std::string &path)
{
    if (!ok)
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
    return ok;
}

} // namespace

bool image_writePng(const Image &image, const std::string &path, int channels)
{
    const std::vector<uint8_t> bytes = image_bytes(image, channels);
    return report(stbi_write_png(path.c_str(), image.width, image.height, channels, bytes.data(),
                                 image.width * channels) != 0,
                  path);
}

bool image_writeJpg(const Image &image, const std::string &path, int quality)
{
    const std::vector<uint8_t> bytes = image_bytes(image, 3);
    return report(stbi_write_jpg(path.c_str(), image.width, image.height, 3, bytes.data(), quality) != 0, path);
}

bool image_writeTga(const Image &image, const std::string &path)
{
    const std::vector<uint8_t> bytes = image_bytes(image, 4);
    stbi_write_tga_with_rle = 0;
    return report(stbi_write_tga(path.c_str(), image.width, image.height, 4, bytes.data()) != 0, path);
}
