// The texture cache: one entry per name, failures cached and reported once, three filter
// variants per image, and every kind of image the loader returns uploaded in its true colours.
#include "graphics/texture.h"

#include "support/test_support.h"

#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Level 0 of a texture read back as RGBA.
std::vector<unsigned char> readTexture(GLuint texture, int &w, int &h)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLint levelParameter(GLuint texture, int level, GLenum parameter)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

GLint textureParameter(GLuint texture, GLenum parameter)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

// ---- The cache, under a real window ----

class TextureCache : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(test_startVideo(64, 64)); }
    static void TearDownTestSuite() { test_stopVideo(); }
    void SetUp() override { dir = test_tempDir(); }
    void TearDown() override { fs::remove_all(dir); }
    // A 2 x 2 image in its own file: red, green / blue, half-transparent white.
    std::string writeImage(const std::string &file, bool alpha)
    {
        const std::string path = dir + "/" + file;
        test_writeFile(path, test_tgaFile(2, 2, alpha, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128}));
        return path;
    }
    std::string dir;
};

TEST_F(TextureCache, SameNameTwiceGivesOneHandleAndOneDecode)
{
    const std::string path = writeImage("once.tga", false);
    const int decodes = texture_decodeCount();
    const int handle = texture_get(path.c_str());
    EXPECT_GT(handle, 0);
    EXPECT_EQ(texture_get(path.c_str()), handle);
    EXPECT_EQ(texture_decodeCount(), decodes + 1);
}

TEST_F(TextureCache, DifferentSpellingsOfOnePathAreDifferentEntries)
{
    const std::string path = writeImage("spelt.tga", false);
    const int decodes = texture_decodeCount();
    const int plain = texture_get(path.c_str());
    const int dotted = texture_get((dir + "/./spelt.tga").c_str());
    EXPECT_GT(plain, 0);
    EXPECT_GT(dotted, 0);
    EXPECT_NE(plain, dotted);
    EXPECT_EQ(texture_decodeCount(), decodes + 2);
}

TEST_F(TextureCache, FailedLoadIsReportedOnceAndCachedAsMinusOne)
{
    const std::string path = dir + "/missing.png";
    testing::internal::CaptureStderr();
    EXPECT_EQ(texture_get(path.c_str()), -1);
    EXPECT_EQ(texture_get(path.c_str()), -1);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string expected = "Error: Texture loading. Failed to load File \"" + path + "\": ";
    EXPECT_EQ(err.rfind(expected, 0), 0u) << err;
    EXPECT_EQ(err.find(expected, 1), std::string::npos) << "reported only once: " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);

    // A file that is there but is no image goes the same way.
    const std::string junk = dir + "/junk.png";
    test_writeFile(junk, "not an image at all");
    testing::internal::CaptureStderr();
    EXPECT_EQ(texture_get(junk.c_str()), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Failed to load File \"" + junk + "\": "), std::string::npos);
}

TEST_F(TextureCache, HandlePlusModeIsNearestLinearAndMipmappedOfOneImage)
{
    for (const bool alpha : {false, true}) {
        const int handle = texture_get(writeImage(alpha ? "rgba.tga" : "rgb.tga", alpha).c_str());
        ASSERT_GT(handle, 0);
        const GLuint nearest = handle, linear = handle + 1, mipmapped = handle + 2;
        EXPECT_EQ(textureParameter(nearest, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
        EXPECT_EQ(textureParameter(nearest, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(textureParameter(linear, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(linear, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(mipmapped, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(mipmapped, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
        EXPECT_EQ(levelParameter(nearest, 1, GL_TEXTURE_WIDTH), 0) << "level 0 only";
        EXPECT_EQ(levelParameter(mipmapped, 1, GL_TEXTURE_WIDTH), 1) << "full chain";
        // A 32-bit image keeps its alpha in the first two variants only.
        EXPECT_EQ(levelParameter(nearest, 0, GL_TEXTURE_ALPHA_SIZE) > 0, alpha);
        EXPECT_EQ(levelParameter(linear, 0, GL_TEXTURE_ALPHA_SIZE) > 0, alpha);
        EXPECT_EQ(levelParameter(mipmapped, 0, GL_TEXTURE_ALPHA_SIZE), 0);

        for (const GLuint texture : {nearest, linear, mipmapped}) {
            int w = 0, h = 0;
            const std::vector<unsigned char> texels = readTexture(texture, w, h);
            ASSERT_EQ(w * h, 4);
            const std::vector<unsigned char> expected = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255,
                                                         static_cast<unsigned char>(alpha && texture != mipmapped ? 128 : 255)};
            EXPECT_EQ(texels, expected) << "variant " << texture - nearest << " alpha " << alpha;
        }
    }
}

// ---- The shared test images ----

struct KnownTexel {
    int x, y, r, g, b, a;
};
struct KnownImage {
    const char *file;
    KnownTexel texels[3];
};

// Texels of every test image as an independent decoder reads them (16-bit channels rounded).
const KnownImage knownImages[] = {
    {"png/basi0g08.png", {{16, 16, 18, 18, 18, 255}, {0, 0, 0, 0, 0, 255}, {31, 31, 3, 3, 3, 255}}},
    {"png/basi3p08.png", {{16, 16, 1, 255, 1, 255}, {0, 15, 254, 0, 0, 255}, {31, 31, 255, 254, 255, 255}}},
    {"png/basn0g01.png", {{16, 16, 0, 0, 0, 255}, {0, 0, 255, 255, 255, 255}, {31, 31, 0, 0, 0, 255}}},
    {"png/basn0g02.png", {{16, 16, 0, 0, 0, 255}, {0, 0, 0, 0, 0, 255}, {31, 31, 170, 170, 170, 255}}},
    {"png/basn0g04.png", {{16, 16, 136, 136, 136, 255}, {0, 0, 0, 0, 0, 255}, {31, 31, 238, 238, 238, 255}}},
    {"png/basn0g08.png", {{16, 16, 18, 18, 18, 255}, {0, 0, 0, 0, 0, 255}, {31, 31, 3, 3, 3, 255}}},
    {"png/basn0g16.png", {{16, 16, 175, 175, 175, 255}, {0, 0, 0, 0, 0, 255}, {31, 31, 0, 0, 0, 255}}},
    {"png/basn2c08.png", {{16, 16, 239, 255, 255, 255}, {31, 7, 255, 255, 0, 255}, {31, 31, 0, 0, 0, 255}}},
    {"png/basn2c16.png", {{16, 16, 123, 123, 8, 255}, {0, 0, 255, 255, 0, 255}, {31, 31, 0, 0, 255, 255}}},
    {"png/basn3p01.png", {{16, 16, 238, 255, 34, 255}, {4, 0, 34, 102, 255, 255}, {31, 31, 238, 255, 34, 255}}},
    {"png/basn3p02.png", {{16, 16, 0, 0, 255, 255}, {0, 0, 0, 0, 255, 255}, {31, 31, 0, 0, 255, 255}}},
    {"png/basn3p04.png", {{16, 16, 0, 255, 255, 255}, {0, 0, 255, 0, 0, 255}, {31, 31, 255, 0, 187, 255}}},
    {"png/basn3p08.png", {{16, 16, 1, 255, 1, 255}, {0, 15, 254, 0, 0, 255}, {31, 31, 255, 254, 255, 255}}},
    {"png/basn4a08.png", {{16, 16, 123, 123, 123, 131}, {0, 0, 255, 255, 255, 0}, {0, 0, 255, 255, 255, 0}}},
    {"png/basn4a16.png", {{16, 16, 0, 0, 0, 247}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}},
    {"png/basn6a08.png", {{16, 16, 4, 255, 0, 131}, {0, 29, 0, 96, 255, 0}, {0, 0, 255, 0, 8, 0}}},
    {"png/basn6a16.png", {{16, 16, 0, 0, 255, 247}, {0, 0, 255, 255, 0, 0}, {0, 0, 255, 255, 0, 0}}},
    {"png/s01n3p01.png", {{0, 0, 0, 0, 255, 255}, {0, 0, 0, 0, 255, 255}, {0, 0, 0, 0, 255, 255}}},
    {"png/s32n3p04.png", {{16, 16, 0, 255, 0, 255}, {12, 0, 255, 0, 0, 255}, {31, 31, 0, 0, 0, 255}}},
    {"png/tbbn0g04.png", {{16, 16, 153, 153, 153, 255}, {0, 0, 255, 255, 255, 0}, {0, 0, 255, 255, 255, 0}}},
    {"png/tbbn3p08.png", {{16, 16, 158, 158, 158, 255}, {21, 14, 0, 0, 255, 255}, {0, 0, 255, 255, 255, 0}}},
    {"png/tp1n3p08.png", {{16, 16, 158, 158, 158, 255}, {21, 14, 0, 0, 255, 255}, {0, 0, 255, 255, 255, 0}}},
    {"jpg/hopper.jpg", {{64, 64, 173, 70, 55, 255}, {42, 74, 210, 112, 15, 255}, {127, 127, 134, 160, 209, 255}}},
    {"jpg/hopper_gray.jpg", {{64, 64, 99, 99, 99, 255}, {0, 0, 26, 26, 26, 255}, {127, 127, 158, 158, 158, 255}}},
    {"jpg/pil_sample_rgb.jpg", {{50, 50, 1, 0, 0, 255}, {75, 30, 233, 32, 22, 255}, {99, 99, 0, 0, 0, 255}}},
    {"jpg/progressive_test.jpg", {{16, 11, 110, 20, 0, 255}, {10, 16, 255, 43, 0, 255}, {31, 22, 255, 255, 255, 255}}},
    {"tga/200x32_l.png", {{100, 16, 227, 227, 227, 255}, {0, 0, 0, 0, 0, 255}, {199, 31, 198, 198, 198, 255}}},
    {"tga/200x32_l_bl_raw.tga", {{100, 16, 227, 227, 227, 255}, {0, 0, 0, 0, 0, 255}, {199, 31, 198, 198, 198, 255}}},
    {"tga/200x32_l_bl_rle.tga", {{100, 16, 227, 227, 227, 255}, {0, 0, 0, 0, 0, 255}, {199, 31, 198, 198, 198, 255}}},
    {"tga/200x32_l_tl_raw.tga", {{100, 16, 227, 227, 227, 255}, {0, 0, 0, 0, 0, 255}, {199, 31, 198, 198, 198, 255}}},
    {"tga/200x32_l_tl_rle.tga", {{100, 16, 227, 227, 227, 255}, {0, 0, 0, 0, 0, 255}, {199, 31, 198, 198, 198, 255}}},
    {"tga/200x32_p.png", {{100, 16, 194, 70, 46, 255}, {79, 0, 245, 65, 29, 255}, {199, 31, 93, 132, 0, 255}}},
    {"tga/200x32_p_bl_raw.tga", {{100, 16, 194, 70, 46, 255}, {79, 0, 245, 65, 29, 255}, {199, 31, 93, 132, 0, 255}}},
    {"tga/200x32_p_bl_rle.tga", {{100, 16, 194, 70, 46, 255}, {79, 0, 245, 65, 29, 255}, {199, 31, 93, 132, 0, 255}}},
    {"tga/200x32_p_tl_raw.tga", {{100, 16, 194, 70, 46, 255}, {79, 0, 245, 65, 29, 255}, {199, 31, 93, 132, 0, 255}}},
    {"tga/200x32_p_tl_rle.tga", {{100, 16, 194, 70, 46, 255}, {79, 0, 245, 65, 29, 255}, {199, 31, 93, 132, 0, 255}}},
    {"tga/200x32_rgb.png", {{100, 16, 193, 71, 46, 255}, {78, 8, 243, 61, 33, 255}, {199, 31, 93, 130, 2, 255}}},
    {"tga/200x32_rgb_bl_raw.tga", {{100, 16, 193, 71, 46, 255}, {78, 8, 243, 61, 33, 255}, {199, 31, 93, 130, 2, 255}}},
    {"tga/200x32_rgb_bl_rle.tga", {{100, 16, 193, 71, 46, 255}, {78, 8, 243, 61, 33, 255}, {199, 31, 93, 130, 2, 255}}},
    {"tga/200x32_rgb_tl_raw.tga", {{100, 16, 193, 71, 46, 255}, {78, 8, 243, 61, 33, 255}, {199, 31, 93, 130, 2, 255}}},
    {"tga/200x32_rgb_tl_rle.tga", {{100, 16, 193, 71, 46, 255}, {78, 8, 243, 61, 33, 255}, {199, 31, 93, 130, 2, 255}}},
    {"tga/200x32_rgba.png", {{100, 16, 193, 71, 46, 51}, {78, 8, 243, 61, 33, 174}, {65, 0, 239, 142, 43, 250}}},
    {"tga/200x32_rgba_bl_raw.tga", {{100, 16, 193, 71, 46, 51}, {78, 8, 243, 61, 33, 174}, {65, 0, 239, 142, 43, 250}}},
    {"tga/200x32_rgba_bl_rle.tga", {{100, 16, 193, 71, 46, 51}, {78, 8, 243, 61, 33, 174}, {65, 0, 239, 142, 43, 250}}},
    {"tga/200x32_rgba_tl_raw.tga", {{100, 16, 193, 71, 46, 51}, {78, 8, 243, 61, 33, 174}, {65, 0, 239, 142, 43, 250}}},
    {"tga/200x32_rgba_tl_rle.tga", {{100, 16, 193, 71, 46, 51}, {78, 8, 243, 61, 33, 174}, {65, 0, 239, 142, 43, 250}}},
    {"tga/bottom_left.tga", {{37, 35, 75, 153, 190, 217}, {18, 17, 93, 193, 218, 100}, {0, 0, 255, 255, 255, 0}}},
    {"tga/cbw8.tga", {{64, 64, 76, 76, 76, 255}, {0, 0, 76, 76, 76, 255}, {127, 127, 254, 254, 254, 255}}},
    {"tga/ccm8.tga", {{64, 64, 255, 0, 0, 255}, {0, 0, 255, 0, 0, 255}, {127, 127, 255, 255, 255, 255}}},
    {"tga/ctc24.tga", {{64, 64, 255, 0, 0, 255}, {0, 0, 255, 0, 0, 255}, {127, 127, 255, 255, 255, 255}}},
    {"tga/top_left.tga", {{37, 35, 75, 154, 191, 255}, {30, 40, 93, 194, 218, 122}, {0, 0, 255, 255, 255, 0}}},
    {"tga/ubw8.tga", {{64, 64, 76, 76, 76, 255}, {0, 0, 76, 76, 76, 255}, {127, 127, 254, 254, 254, 255}}},
    {"tga/ucm8.tga", {{64, 64, 255, 0, 0, 255}, {0, 0, 255, 0, 0, 255}, {127, 127, 255, 255, 255, 255}}},
    {"tga/utc24.tga", {{64, 64, 255, 0, 0, 255}, {0, 0, 255, 0, 0, 255}, {127, 127, 255, 255, 255, 255}}},
    {"tga/utc32.tga", {{64, 64, 255, 0, 0, 0}, {0, 0, 255, 0, 0, 0}, {0, 0, 255, 0, 0, 0}}},
};

class TextureData : public TextureCache {
protected:
    void SetUp() override
    {
        TextureCache::SetUp();
        images = test_dataDir().empty() ? "" : test_dataDir() + "/images";
        if (images.empty())
            GTEST_SKIP() << "shared test data (../shared/testdata) is absent";
    }
    std::string images;
};

TEST_F(TextureData, EveryTestImageLoadsInItsTrueColours)
{
    std::set<std::string> known;
    for (const KnownImage &image : knownImages) {
        known.insert(image.file);
        SCOPED_TRACE(image.file);
        const int handle = texture_get((images + "/" + image.file).c_str());
        ASSERT_GT(handle, 0);
        int imageW = 0, imageH = 0;
        for (int mode = 0; mode < 3; ++mode) {
            int w = 0, h = 0;
            const std::vector<unsigned char> texels = readTexture(handle + mode, w, h);
            if (mode == 0)
                imageW = w, imageH = h;
            // The mipmapped variant of an image whose sides are not powers of two was rescaled.
            const bool sameSize = w == imageW && h == imageH;
            for (const KnownTexel &t : image.texels) {
                if (!sameSize || t.x >= w || t.y >= h)
                    continue;
                const unsigned char *p = &texels[(static_cast<size_t>(t.y) * w + t.x) * 4];
                const int alpha = mode == 2 ? 255 : t.a;
                EXPECT_EQ(p[3], alpha) << "mode " << mode << " at " << t.x << "," << t.y;
                if (t.a == 0)
                    continue; // the colour of a fully transparent texel is nobody's business
                // JPEG decoders round differently; the loader widens 5-bit palette entries of
                // colour-mapped TGAs by shifting (31 becomes 248).
                const std::string file = image.file;
                const int tolerance = file.ends_with(".jpg") ? 3 : file.ends_with("cm8.tga") ? 7 : 2;
                EXPECT_NEAR(p[0], t.r, tolerance) << "mode " << mode << " at " << t.x << "," << t.y;
                EXPECT_NEAR(p[1], t.g, tolerance) << "mode " << mode << " at " << t.x << "," << t.y;
                EXPECT_NEAR(p[2], t.b, tolerance) << "mode " << mode << " at " << t.x << "," << t.y;
            }
        }
    }
    // Every image file in the folder is covered, so a new one cannot slip past unchecked.
    for (const char *kind : {"png", "jpg", "tga"}) {
        for (const auto &file : fs::directory_iterator(images + "/" + kind)) {
            const std::string name = std::string(kind) + "/" + file.path().filename().string();
            if (name.ends_with(".png") || name.ends_with(".jpg") || name.ends_with(".tga")) {
                EXPECT_TRUE(known.contains(name)) << name << " has no known texels";
            }
        }
    }
}

TEST_F(TextureData, TgaFilesMatchTheirReferencePngsTexelForTexel)
{
    for (const char *kind : {"l", "p", "rgb", "rgba"}) {
        int refW = 0, refH = 0;
        const int reference = texture_get((images + "/tga/200x32_" + kind + ".png").c_str());
        ASSERT_GT(reference, 0);
        const std::vector<unsigned char> expected = readTexture(reference, refW, refH);
        for (const char *variant : {"bl_raw", "bl_rle", "tl_raw", "tl_rle"}) {
            const std::string file = std::string("tga/200x32_") + kind + "_" + variant + ".tga";
            const int handle = texture_get((images + "/" + file).c_str());
            ASSERT_GT(handle, 0) << file;
            int w = 0, h = 0;
            EXPECT_EQ(readTexture(handle, w, h), expected) << file;
            EXPECT_EQ(w, refW);
            EXPECT_EQ(h, refH);
        }
    }
}

TEST(TextureCacheDeathTest, NullNameEndsTheProgram)
{
    EXPECT_EXIT(texture_get(nullptr), testing::ExitedWithCode(2),
                "Error: Texture loading\\. No name given\\.\nQuitting!");
}

} // namespace
