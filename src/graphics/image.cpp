// image.cpp -- image files to pixel rows; the image loader decodes, this module guards it against
// files that claim more than they hold and reads every surface it returns. No GL, no state.
#include "graphics/image.h"

#include <SDL.h>
#include <SDL_image.h>

#include <bit>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// Larger than any GL implementation takes at level 0; also keeps the converted buffer bounded.
constexpr int image_maxSide = 16384;

struct SurfaceDeleter {
    void operator()(SDL_Surface *surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// The pixel value at byte p of a surface with bytesPerPixel bytes per pixel, as SDL reads it.
uint32_t readPixel(const unsigned char *p, int bytesPerPixel)
{
    switch (bytesPerPixel) {
    case 1:
        return p[0];
    case 2: {
        uint16_t value;
        std::memcpy(&value, p, 2);
        return value;
    }
    case 3:
        if constexpr (std::endian::native == std::endian::little)
            return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
        else
            return (static_cast<uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2];
    default: {
        uint32_t value;
        std::memcpy(&value, p, 4);
        return value;
    }
    }
}

// A channel of a pixel value scaled to 0..255; a channel without a mask reads as `absent`.
unsigned char channel(uint32_t pixel, uint32_t mask, unsigned char absent)
{
    if (mask == 0)
        return absent;
    const int shift = std::countr_zero(mask);
    const uint32_t max = mask >> shift;
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<unsigned char>((static_cast<uint64_t>(value) * 255 + max / 2) / max);
}

// Which byte of a pixel holds a channel whose mask is exactly one whole byte; -1 otherwise.
int byteOf(uint32_t mask, int bytesPerPixel)
{
    for (int byte = 0; byte < bytesPerPixel; ++byte) {
        const int shift = std::endian::native == std::endian::little ? 8 * byte : 8 * (bytesPerPixel - 1 - byte);
        if (mask == (0xFFu << shift))
            return byte;
    }
    return -1;
}

DecodedImage emptyImage(int width, int height, int components, bool bgr)
{
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.components = components;
    image.bgr = bgr;
    image.rowBytes = (width * components + 3) & ~3;
    image.pixels.assign(static_cast<size_t>(image.rowBytes) * height, 0);
    return image;
}

// The image loader's TGA reader takes the size in the header on trust: a file of a few bytes can
// claim a 16383 x 65535 image, which the reader then allocates and fills pixel by pixel with
// whatever it has, for seconds. Such a file is refused before it is decoded: the pixel data its
// header promises must at least be there (for run-length data, one packet per 128 pixels).
bool tgaDataPresent(SDL_RWops *source, std::string &why)
{
    const int start = SDL_RWtell(source);
    const int end = SDL_RWseek(source, 0, RW_SEEK_END);
    unsigned char header[18];
    const bool read = start >= 0 && end >= start && SDL_RWseek(source, start, RW_SEEK_SET) == start &&
                      SDL_RWread(source, header, sizeof header, 1) == 1;
    SDL_RWseek(source, start, RW_SEEK_SET);
    // Whatever cannot be measured is left to the reader, which reports it.
    if (!read)
        return true;
    const auto u16 = [&](int at) { return static_cast<uint64_t>(header[at] | (header[at + 1] << 8)); };
    const uint64_t idBytes = header[0], paletteBytes = header[1] != 0 ? u16(5) * ((header[7] + 7u) / 8u) : 0;
    const uint64_t width = u16(12), height = u16(14), pixelBytes = (header[16] + 7u) / 8u;
    const bool runLength = header[2] >= 9;
    const uint64_t pixels = width * height;
    const uint64_t needed =
        sizeof header + idBytes + paletteBytes + (runLength ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes);
    if (needed <= static_cast<uint64_t>(end - start))
        return true;
    why = "TGA data shorter than its " + std::to_string(width) + "x" + std::to_string(height) + " header promises";
    return false;
}

// The image loader hands PNG data to the PNG reader without telling it when a read came up
// short, so a chunk whose length runs past the end of the file is "read" and skipped from stale
// bytes, up to two gigabytes of them, for seconds. The chunks are walked first: every one must lie
// whole in the file, up to the closing IEND.
bool pngChunksWhole(SDL_RWops *source, std::string &why)
{
    const int start = SDL_RWtell(source);
    const int end = SDL_RWseek(source, 0, RW_SEEK_END);
    bool whole = false;
    if (start >= 0 && end >= start) {
        int64_t at = start + 8; // after the signature
        unsigned char head[8];
        while (at + 8 <= end && SDL_RWseek(source, static_cast<int>(at), RW_SEEK_SET) == at &&
               SDL_RWread(source, head, sizeof head, 1) == 1) {
            const int64_t length = (static_cast<int64_t>(head[0]) << 24) | (head[1] << 16) | (head[2] << 8) | head[3];
            at += 12 + length; // length, type, data, CRC
            if (at > end)
                break;
            if (std::memcmp(head + 4, "IEND", 4) == 0) {
                whole = true;
                break;
            }
        }
    }
    SDL_RWseek(source, start, RW_SEEK_SET);
    if (!whole)
        why = "PNG data ends inside a chunk or before its end";
    return whole;
}

// What the segments before a JPEG's image data say: its size, how many colour components it has,
// and whether an Adobe segment marks four components as stored inverted (as Adobe's CMYK is).
struct JpegHeader {
    bool found = false;
    uint64_t width = 0, height = 0;
    int components = 0;
    bool adobe = false;
};

JpegHeader readJpegHeader(SDL_RWops *source)
{
    const int start = SDL_RWtell(source);
    JpegHeader header;
    unsigned char head[4];
    // Segments after the start marker: marker, 16-bit length (counting itself), data; the frame
    // header (any SOFn but DHT, JPG and DAC) holds precision, height, width and components.
    int64_t at = start + 2;
    while (!header.found && SDL_RWseek(source, static_cast<int>(at), RW_SEEK_SET) == at &&
           SDL_RWread(source, head, sizeof head, 1) == 1 && head[0] == 0xFF) {
        const int marker = head[1];
        const int length = (head[2] << 8) | head[3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            unsigned char frame[6];
            if (SDL_RWread(source, frame, sizeof frame, 1) == 1) {
                header.height = static_cast<uint64_t>((frame[1] << 8) | frame[2]);
                header.width = static_cast<uint64_t>((frame[3] << 8) | frame[4]);
                header.components = frame[5];
                header.found = true;
            }
            break;
        }
        if (marker == 0xEE && length >= 7) {
            char name[5];
            header.adobe = header.adobe || (SDL_RWread(source, name, sizeof name, 1) == 1 &&
                                            std::memcmp(name, "Adobe", sizeof name) == 0);
        }
        if (marker == 0xDA || length < 2)
            break; // image data before any frame header, or a broken length: left to the reader
        at += 2 + length;
    }
    SDL_RWseek(source, start, RW_SEEK_SET);
    return header;
}

// The JPEG reader decodes every row the header claims, and makes up the rows whose data is
// missing: a 3 KB file claiming 16000 x 16000 pixels takes 12 s and 1.5 GB. A JPEG that claims
// more pixels than a texture of image_maxJpegSide squared is refused before it is decoded.
bool jpegSizeWithin(const JpegHeader &header, std::string &why)
{
    const uint64_t most = static_cast<uint64_t>(image_maxJpegSide) * image_maxJpegSide;
    if (!header.found || header.width * header.height <= most)
        return true;
    why = "JPEG of " + std::to_string(header.width) + "x" + std::to_string(header.height) +
          " pixels is larger than the " + std::to_string(image_maxJpegSide) + "x" +
          std::to_string(image_maxJpegSide) + " a texture may have";
    return false;
}

// A four-component JPEG comes from the image loader as its raw C, M, Y, K bytes, one pixel in
// four bytes; Adobe's files store every ink inverted. Mixed into light here, as print would show it.
std::optional<DecodedImage> rgbFromCmyk(const SDL_Surface &surface, bool inverted, std::string &why)
{
    if (surface.format == nullptr || surface.format->BytesPerPixel != 4 || surface.pixels == nullptr ||
        surface.w <= 0 || surface.h <= 0 || surface.w > image_maxSide || surface.h > image_maxSide ||
        surface.pitch < surface.w * 4) {
        why = "unsupported pixel format";
        return std::nullopt;
    }
    DecodedImage image = emptyImage(surface.w, surface.h, 3, false);
    image.convertedFrom = "CMYK";
    const auto *source = static_cast<const unsigned char *>(surface.pixels);
    for (int y = 0; y < surface.h; ++y) {
        const unsigned char *in = source + static_cast<size_t>(y) * surface.pitch;
        unsigned char *out = &image.pixels[static_cast<size_t>(y) * image.rowBytes];
        for (int x = 0; x < surface.w; ++x, in += 4, out += 3) {
            const unsigned k = inverted ? in[3] : 255u - in[3];
            for (int c = 0; c < 3; ++c) {
                const unsigned light = inverted ? in[c] : 255u - in[c];
                out[c] = static_cast<unsigned char>((light * k + 127) / 255);
            }
        }
    }
    return image;
}

bool sameWord(const char *a, const char *b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

#ifdef __EMSCRIPTEN__
// The browser's SDL knows a file by its name only and cannot read it byte by byte: its image
// loader (stb_image) takes the file whole and checks it itself. With an OpenGL window it hands
// the pixels over in memory at once, and has no picture left to lock.
std::optional<DecodedImage> readImageByName(const char *name, std::string &why)
{
    const SurfacePtr surface(IMG_Load(name));
    if (!surface) {
        why = SDL_GetError();
        return std::nullopt;
    }
    return image_convertSurface(*surface, why);
}
#endif

} // namespace

std::optional<DecodedImage> image_read(SDL_RWops *source, const char *type, std::string &why)
{
    if (source == nullptr) {
        why = SDL_GetError();
        return std::nullopt;
    }
    // The loader takes a file named .tga as TGA whatever it holds; any other is told by its first
    // bytes: PNG by these four, JPEG by the first two.
    const bool tga = type != nullptr && sameWord(type, "tga");
    unsigned char magic[4] = {0, 0, 0, 0};
    const int start = SDL_RWtell(source);
    const bool magicRead = !tga && SDL_RWread(source, magic, sizeof magic, 1) == 1;
    const bool png = magicRead && std::memcmp(magic, "\x89PNG", 4) == 0;
    const bool jpeg = magicRead && magic[0] == 0xFF && magic[1] == 0xD8;
    SDL_RWseek(source, start, RW_SEEK_SET);
    const JpegHeader jpegHeader = jpeg ? readJpegHeader(source) : JpegHeader{};
    if ((tga && !tgaDataPresent(source, why)) || (png && !pngChunksWhole(source, why)) ||
        (jpeg && !jpegSizeWithin(jpegHeader, why))) {
        SDL_RWclose(source);
        return std::nullopt;
    }
    const SurfacePtr surface(IMG_LoadTyped_RW(source, 1, const_cast<char *>(type)));
    if (!surface) {
        why = SDL_GetError();
        return std::nullopt;
    }
    if (SDL_LockSurface(surface.get()) != 0) {
        why = SDL_GetError();
        return std::nullopt;
    }
    std::optional<DecodedImage> image = jpegHeader.components == 4
                                            ? rgbFromCmyk(*surface, jpegHeader.adobe, why)
                                            : image_convertSurface(*surface, why);
    SDL_UnlockSurface(surface.get());
    return image;
}

std::optional<DecodedImage> image_convertSurface(const SDL_Surface &surface, std::string &why)
{
    const SDL_PixelFormat *format = surface.format;
    if (format == nullptr || surface.pixels == nullptr) {
        why = "image has no pixels";
        return std::nullopt;
    }
    const int width = surface.w, height = surface.h, bytesPerPixel = format->BytesPerPixel;
    if (width <= 0 || height <= 0 || width > image_maxSide || height > image_maxSide) {
        why = "image size out of range";
        return std::nullopt;
    }
    if (bytesPerPixel < 1 || bytesPerPixel > 4 || surface.pitch < width * bytesPerPixel) {
        why = "unsupported pixel format";
        return std::nullopt;
    }
    const auto *source = static_cast<const unsigned char *>(surface.pixels);
    const auto sourceRow = [&](int y) { return source + static_cast<size_t>(y) * surface.pitch; };
    const bool keyed = (surface.flags & SDL_SRCCOLORKEY) != 0;
#ifdef __EMSCRIPTEN__
    const uint32_t colourKey = 0; // the browser's image loader never sets one
#else
    const uint32_t colourKey = format->colorkey;
#endif

    // Palettised and greyscale images: the loader gives one index byte per pixel and the palette.
    if (bytesPerPixel == 1 && format->palette != nullptr) {
        const SDL_Palette &palette = *format->palette;
        DecodedImage image = emptyImage(width, height, keyed ? 4 : 3, false);
        image.convertedFrom = keyed ? "palettised with a transparent colour" : "palettised";
        for (int y = 0; y < height; ++y) {
            unsigned char *out = &image.pixels[static_cast<size_t>(y) * image.rowBytes];
            for (int x = 0; x < width; ++x, out += image.components) {
                const unsigned index = sourceRow(y)[x];
                // An index past the palette has no colour; it shows black.
                if (palette.colors != nullptr && static_cast<int>(index) < palette.ncolors) {
                    out[0] = palette.colors[index].r;
                    out[1] = palette.colors[index].g;
                    out[2] = palette.colors[index].b;
                }
                if (keyed)
                    out[3] = index == colourKey ? 0 : 255;
            }
        }
        return image;
    }

    // Grey with a transparent grey level: the loader stores a grey byte and an alpha byte per
    // pixel, while the masks it reports are those of three 8-bit colour channels.
    if (bytesPerPixel == 2 && format->Rmask == 0xFF && format->Gmask == 0xFF00 && format->Amask == 0 &&
        (format->Bmask & 0xFFFF0000u) != 0) {
        DecodedImage image = emptyImage(width, height, 4, false);
        image.convertedFrom = "grey with a transparent grey level";
        for (int y = 0; y < height; ++y) {
            unsigned char *out = &image.pixels[static_cast<size_t>(y) * image.rowBytes];
            for (int x = 0; x < width; ++x, out += 4) {
                const unsigned char *in = sourceRow(y) + 2 * x;
                out[0] = out[1] = out[2] = in[0];
                out[3] = in[1];
            }
        }
        return image;
    }

    const uint64_t pixelBits = 8u * static_cast<unsigned>(bytesPerPixel);
    const uint32_t valueMask = pixelBits >= 32 ? 0xFFFFFFFFu : static_cast<uint32_t>((1ull << pixelBits) - 1);
    if (((format->Rmask | format->Gmask | format->Bmask | format->Amask) & ~valueMask) != 0 ||
        (format->Rmask | format->Gmask | format->Bmask) == 0) {
        why = "unsupported pixel format";
        return std::nullopt;
    }

    // 24- and 32-bit images whose channels are whole bytes go up as they are, in their own order.
    if ((bytesPerPixel == 3 || (bytesPerPixel == 4 && format->Amask != 0)) && !keyed) {
        const int r = byteOf(format->Rmask, bytesPerPixel), g = byteOf(format->Gmask, bytesPerPixel),
                  b = byteOf(format->Bmask, bytesPerPixel);
        const int a = bytesPerPixel == 4 ? byteOf(format->Amask, bytesPerPixel) : 3;
        const bool rgb = r == 0 && g == 1 && b == 2 && a == 3, bgr = b == 0 && g == 1 && r == 2 && a == 3;
        if (rgb || bgr) {
            DecodedImage image = emptyImage(width, height, bytesPerPixel, bgr);
            for (int y = 0; y < height; ++y)
                std::memcpy(&image.pixels[static_cast<size_t>(y) * image.rowBytes], sourceRow(y),
                            static_cast<size_t>(width) * bytesPerPixel);
            return image;
        }
    }

    // Everything else (16-bit, padded 32-bit, other channel orders, colour keys) pixel by pixel.
    const bool alpha = keyed || format->Amask != 0;
    DecodedImage image = emptyImage(width, height, alpha ? 4 : 3, false);
    image.convertedFrom = std::to_string(8 * bytesPerPixel) + "-bit" +
                          (keyed                                        ? " with a transparent colour"
                           : bytesPerPixel == 4 && format->Amask == 0  ? " without alpha"
                           : bytesPerPixel >= 3                         ? " in another channel order"
                                                                        : "");
    for (int y = 0; y < height; ++y) {
        unsigned char *out = &image.pixels[static_cast<size_t>(y) * image.rowBytes];
        for (int x = 0; x < width; ++x, out += image.components) {
            const uint32_t pixel = readPixel(sourceRow(y) + static_cast<size_t>(x) * bytesPerPixel, bytesPerPixel);
            out[0] = channel(pixel, format->Rmask, 0);
            out[1] = channel(pixel, format->Gmask, 0);
            out[2] = channel(pixel, format->Bmask, 0);
            if (alpha) {
                out[3] = channel(pixel, format->Amask, 255);
                if (keyed && (pixel & valueMask) == (colourKey & valueMask))
                    out[3] = 0;
            }
        }
    }
    return image;
}

std::optional<DecodedImage> image_readFile(const char *name, std::string &why)
{
#ifdef __EMSCRIPTEN__
    return readImageByName(name, why);
#else
    // As the image loader does for a file name: what follows its last dot tells the formats
    // without a signature (TGA) apart.
    const char *dot = std::strrchr(name, '.');
    return image_read(SDL_RWFromFile(name, "rb"), dot != nullptr ? dot + 1 : nullptr, why);
#endif
}
