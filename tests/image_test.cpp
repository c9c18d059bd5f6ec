// Image files to pixel rows, without GL: every kind of surface the loader returns read in its
// true colours, and files that claim more than they hold refused before they are decoded.
#include "graphics/image.h"

#include "support/test_support.h"

#include <SDL.h>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface *surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

SurfacePtr makeSurface(int w, int h, int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    return SurfacePtr(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bits, r, g, b, a));
}

unsigned char *pixelAt(SDL_Surface &surface, int x, int y)
{
    return static_cast<unsigned char *>(surface.pixels) + y * surface.pitch + x * surface.format->BytesPerPixel;
}

const unsigned char *texelAt(const DecodedImage &image, int x, int y)
{
    return &image.pixels[static_cast<size_t>(y) * image.rowBytes + static_cast<size_t>(x) * image.components];
}

TEST(ImageConvert, WholeByteChannelsKeepTheirOrderAndRowsArePaddedToFour)
{
    std::string why;
    for (const bool bgr : {false, true}) {
        const SurfacePtr surface = bgr ? makeSurface(3, 2, 24, 0xFF0000, 0xFF00, 0xFF, 0)
                                       : makeSurface(3, 2, 24, 0xFF, 0xFF00, 0xFF0000, 0);
        ASSERT_TRUE(surface);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                unsigned char *p = pixelAt(*surface, x, y);
                p[0] = static_cast<unsigned char>(10 * x), p[1] = static_cast<unsigned char>(100 + y), p[2] = 7;
            }
        const auto image = image_convertSurface(*surface, why);
        ASSERT_TRUE(image) << why;
        EXPECT_EQ(image->components, 3);
        EXPECT_EQ(image->bgr, bgr);
        EXPECT_EQ(image->rowBytes, 12);
        ASSERT_EQ(image->pixels.size(), 24u);
        EXPECT_EQ(texelAt(*image, 2, 1)[0], 20);
        EXPECT_EQ(texelAt(*image, 2, 1)[1], 101);
        EXPECT_EQ(texelAt(*image, 2, 1)[2], 7);
    }
}

TEST(ImageConvert, PalettedImageGetsAlphaOnlyAtItsColourKey)
{
    const SurfacePtr surface = makeSurface(4, 1, 8, 0, 0, 0, 0);
    ASSERT_TRUE(surface);
    SDL_Color colours[3] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
    SDL_SetColors(surface.get(), colours, 0, 3);
    surface->format->palette->ncolors = 3;
    const unsigned char indices[4] = {0, 1, 2, 200};
    std::memcpy(surface->pixels, indices, 4);
    std::string why;

    auto image = image_convertSurface(*surface, why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->components, 3);
    EXPECT_EQ(texelAt(*image, 2, 0)[2], 255);
    EXPECT_EQ(texelAt(*image, 3, 0)[0] + texelAt(*image, 3, 0)[1] + texelAt(*image, 3, 0)[2], 0)
        << "an index past the palette shows black";

    SDL_SetColorKey(surface.get(), SDL_SRCCOLORKEY, 1);
    image = image_convertSurface(*surface, why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->components, 4);
    EXPECT_FALSE(image->bgr);
    const int alphas[4] = {texelAt(*image, 0, 0)[3], texelAt(*image, 1, 0)[3], texelAt(*image, 2, 0)[3],
                           texelAt(*image, 3, 0)[3]};
    EXPECT_EQ(alphas[0], 255);
    EXPECT_EQ(alphas[1], 0);
    EXPECT_EQ(alphas[2], 255);
    EXPECT_EQ(texelAt(*image, 0, 0)[0], 255);
}

TEST(ImageConvert, GreyWithTransparencyReadsAGreyAndAnAlphaByte)
{
    // The loader's layout for grey PNGs with a transparent level: two bytes, colour masks of 24 bits.
    const SurfacePtr surface = makeSurface(2, 1, 16, 0xFF, 0xFF00, 0xFF0000, 0);
    ASSERT_TRUE(surface);
    const unsigned char bytes[4] = {0x40, 0xFF, 0xEE, 0x00};
    std::memcpy(surface->pixels, bytes, 4);
    std::string why;
    const auto image = image_convertSurface(*surface, why);
    ASSERT_TRUE(image) << why;
    ASSERT_EQ(image->components, 4);
    EXPECT_EQ(std::vector<unsigned char>(image->pixels.begin(), image->pixels.begin() + 8),
              (std::vector<unsigned char>{0x40, 0x40, 0x40, 0xFF, 0xEE, 0xEE, 0xEE, 0x00}));
}

TEST(ImageConvert, SixteenBitAndReorderedChannelsComeOutAsRgb)
{
    std::string why;
    const SurfacePtr rgb565 = makeSurface(2, 1, 16, 0xF800, 0x07E0, 0x001F, 0);
    ASSERT_TRUE(rgb565);
    const uint16_t values[2] = {0xF800, 0x001F | 0x0400};
    std::memcpy(rgb565->pixels, values, 4);
    auto image = image_convertSurface(*rgb565, why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->components, 3);
    EXPECT_EQ(std::vector<int>(texelAt(*image, 0, 0), texelAt(*image, 0, 0) + 3), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(std::vector<int>(texelAt(*image, 1, 0), texelAt(*image, 1, 0) + 3), (std::vector<int>{0, 130, 255}));

    // Alpha in the low byte, red in the high byte: not a layout OpenGL 1.1 takes as it is.
    const SurfacePtr rgba = makeSurface(1, 1, 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF);
    ASSERT_TRUE(rgba);
    const uint32_t value = 0x11223344;
    std::memcpy(rgba->pixels, &value, 4);
    image = image_convertSurface(*rgba, why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->components, 4);
    EXPECT_FALSE(image->bgr);
    EXPECT_EQ(std::vector<int>(texelAt(*image, 0, 0), texelAt(*image, 0, 0) + 4),
              (std::vector<int>{0x11, 0x22, 0x33, 0x44}));

    // 32 bits without an alpha mask: the pad byte is dropped, not taken for alpha.
    const SurfacePtr padded = makeSurface(1, 1, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_TRUE(padded);
    std::memcpy(padded->pixels, &value, 4);
    image = image_convertSurface(*padded, why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->components, 3);
    EXPECT_EQ(std::vector<int>(texelAt(*image, 0, 0), texelAt(*image, 0, 0) + 3), (std::vector<int>{0x22, 0x33, 0x44}));
}

// The checker warns about images that are converted before upload; those that go up as they are
// say nothing.
TEST(ImageConvert, AConvertedImageSaysWhatItWas)
{
    std::string why;
    const struct {
        int bits;
        uint32_t r, g, b, a;
        const char *from;
    } cases[] = {
        {24, 0xFF, 0xFF00, 0xFF0000, 0, ""},
        {24, 0xFF0000, 0xFF00, 0xFF, 0, ""},
        {32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, ""},
        {32, 0xFF0000, 0xFF00, 0xFF, 0, "32-bit without alpha"},
        {32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF, "32-bit in another channel order"},
        {16, 0xF800, 0x07E0, 0x001F, 0, "16-bit"},
        {8, 0, 0, 0, 0, "palettised"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.from);
        const SurfacePtr surface = makeSurface(2, 2, c.bits, c.r, c.g, c.b, c.a);
        ASSERT_TRUE(surface);
        const auto image = image_convertSurface(*surface, why);
        ASSERT_TRUE(image) << why;
        EXPECT_EQ(image->convertedFrom, c.from);
    }
    const SurfacePtr keyed = makeSurface(2, 2, 24, 0xFF, 0xFF00, 0xFF0000, 0);
    SDL_SetColorKey(keyed.get(), SDL_SRCCOLORKEY, 0);
    const auto image = image_convertSurface(*keyed, why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->convertedFrom, "24-bit with a transparent colour");
}

// The loader's TGA reader fills whatever size the header claims, however little data follows.
TEST(ImageRead, ATgaShorterThanItsHeaderPromisesIsRefusedUnread)
{
    const std::vector<unsigned char> texels(4 * 4 * 4, 200);
    const std::string whole = test_tgaFile(4, 4, true, texels);
    std::string why;
    const auto read = [&](const std::string &bytes, const char *type) {
        return image_read(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), type, why);
    };
    const auto image = read(whole, "tga");
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->width, 4);
    EXPECT_TRUE(read(whole, "TGA")) << "the ending is compared without case";

    EXPECT_FALSE(read(whole.substr(0, whole.size() - 1), "tga"));
    EXPECT_EQ(why, "TGA data shorter than its 4x4 header promises");

    // A 30-byte file claiming 8974 x 8192 pixels of run-length data.
    std::string huge = test_tgaFile(1, 1, true, {1, 2, 3, 4});
    huge[2] = 10;
    huge[12] = static_cast<char>(8974 & 0xFF), huge[13] = static_cast<char>(8974 >> 8);
    huge[14] = 0, huge[15] = 32;
    huge += std::string(8, '\x7F');
    EXPECT_FALSE(read(huge, "tga"));
    EXPECT_EQ(why, "TGA data shorter than its 8974x8192 header promises");

    // Only a name ending in .tga makes the loader read TGA; other endings go by the first bytes.
    EXPECT_FALSE(read(whole, "png"));
    EXPECT_FALSE(read(whole, nullptr));
    EXPECT_FALSE(image_read(nullptr, "tga", why));
}

// The JPEG reader makes up every row the header claims; a few kilobytes can claim 16000 x 16000.
TEST(ImageRead, AJpegOfMorePixelsThanATextureMayHaveIsRefusedUnread)
{
    if (test_runDir().empty())
        GTEST_SKIP() << "no run directory with generated data";
    std::string bytes = test_readFile(test_runDir() + "/data/boden.jpg");
    std::string why;
    const auto read = [&](const std::string &data) {
        return image_read(SDL_RWFromConstMem(data.data(), static_cast<int>(data.size())), "jpg", why);
    };
    ASSERT_TRUE(read(bytes)) << why;
    const size_t frame = bytes.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos) << "a baseline frame header";
    const auto claim = [&](int width, int height) {
        bytes[frame + 5] = static_cast<char>(height >> 8), bytes[frame + 6] = static_cast<char>(height & 0xFF);
        bytes[frame + 7] = static_cast<char>(width >> 8), bytes[frame + 8] = static_cast<char>(width & 0xFF);
    };
    claim(16000, 16000);
    EXPECT_FALSE(read(bytes.substr(0, 3000)));
    EXPECT_EQ(why, "JPEG of 16000x16000 pixels is larger than the 4096x4096 a texture may have");
    claim(image_maxJpegSide * 2, image_maxJpegSide / 2 + 1);
    EXPECT_FALSE(read(bytes)) << "the pixel count counts, not the sides";
    claim(image_maxJpegSide * 2, 64);
    EXPECT_TRUE(read(bytes)) << why;
}

// The image loader hands a four-component JPEG over as its raw, inverted CMYK bytes.
TEST(ImageRead, AnAdobeCmykJpegComesOutInItsTrueColours)
{
    const std::string bytes = test_readFile(TRELVIK_TEST_IMAGES "/cmyk_red_black.jpg");
    ASSERT_FALSE(bytes.empty());
    std::string why;
    const auto image =
        image_read(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), "jpg", why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->components, 3);
    EXPECT_FALSE(image->bgr);
    EXPECT_EQ(image->convertedFrom, "CMYK") << "the checker reports the conversion";
    // Red on the left half, black on the right.
    const auto at = [&](int x, int y) { return &image->pixels[static_cast<size_t>(y) * image->rowBytes + 3 * x]; };
    for (const auto &[x, r] : {std::pair{2, 255}, std::pair{13, 0}}) {
        EXPECT_NEAR(at(x, 8)[0], r, 8) << "x " << x;
        EXPECT_NEAR(at(x, 8)[1], 0, 8) << "x " << x;
        EXPECT_NEAR(at(x, 8)[2], 0, 8) << "x " << x;
    }
}

// The loader gives the PNG reader no sign of a short read, so a chunk past the end is skipped
// through stale bytes for seconds.
TEST(ImageRead, APngWithAChunkCutShortIsRefusedUnread)
{
    if (test_runDir().empty())
        GTEST_SKIP() << "no run directory with generated data";
    const std::string whole = test_readFile(test_runDir() + "/data/particle3.png");
    ASSERT_GT(whole.size(), 60u);
    std::string why;
    const auto read = [&](const std::string &bytes, const char *type) {
        return image_read(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), type, why);
    };
    EXPECT_TRUE(read(whole, "png")) << why;
    EXPECT_TRUE(read(whole, "jpg")) << "any ending but .tga goes by the first bytes";
    EXPECT_TRUE(read(whole + "trailing bytes", "png")) << "what follows IEND is not read";

    EXPECT_FALSE(read(whole.substr(0, whole.size() - 1), "png"));
    EXPECT_EQ(why, "PNG data ends inside a chunk or before its end");
    // The first chunk after IHDR claims two gigabytes.
    std::string huge = whole;
    huge[33] = '\x7F', huge[34] = '\xFF', huge[35] = '\xFF', huge[36] = '\xF0';
    EXPECT_FALSE(read(huge, "png"));
    EXPECT_EQ(why, "PNG data ends inside a chunk or before its end");
}

TEST(ImageConvert, SurfacesThatCannotBeReadAreRefused)
{
    std::string why;
    const SurfacePtr surface = makeSurface(2, 2, 16, 0x7C00, 0x03E0, 0x001F, 0);
    ASSERT_TRUE(surface);
    surface->format->Bmask = 0x10000; // a channel outside the pixel
    surface->format->Gmask = 0x10;
    EXPECT_FALSE(image_convertSurface(*surface, why));
    EXPECT_FALSE(why.empty());
    surface->format->Bmask = 0x1F;
    surface->w = 0;
    EXPECT_FALSE(image_convertSurface(*surface, why));
    surface->w = 3; // wider than a row holds
    EXPECT_FALSE(image_convertSurface(*surface, why));
    surface->w = 2;
    EXPECT_TRUE(image_convertSurface(*surface, why)) << why;
}

} // namespace
