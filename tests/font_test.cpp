// The bitmap font: which glyph cell a byte draws in each character set, where the text lands
// on screen, the bound on the formatted text, and the GL state a print leaves behind.
#include "graphics/font.h"
#include "support/test_support.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>
#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr int image_side = 256;
constexpr int cell_side = 16;

// A 32-bit TGA font image, rows stored top first, with cell 33 solid red, cell 161 solid
// green and every other cell transparent. Cell row r lies r + 1 cells up from the image's
// bottom edge, since the glyphs address the image bottom up.
std::string fontImage()
{
    std::string tga(18, '\0');
    tga[2] = 2; // uncompressed true colour
    tga[12] = static_cast<char>(image_side & 0xff);
    tga[13] = static_cast<char>(image_side >> 8);
    tga[14] = static_cast<char>(image_side & 0xff);
    tga[15] = static_cast<char>(image_side >> 8);
    tga[16] = 32;
    tga[17] = 0x28; // 8 alpha bits, top row first
    for (int y = 0; y < image_side; ++y) {
        const int cellRow = (image_side - 1 - y) / cell_side;
        for (int x = 0; x < image_side; ++x) {
            const int cell = cellRow * 16 + x / cell_side;
            const std::array<char, 4> bgra = cell == 33    ? std::array<char, 4>{0, 0, '\xff', '\xff'}
                                             : cell == 161 ? std::array<char, 4>{0, '\xff', 0, '\xff'}
                                                           : std::array<char, 4>{0, 0, 0, 0};
            tga.append(bgra.data(), bgra.size());
        }
    }
    return tga;
}

std::array<float, 16> matrix(GLenum which)
{
    std::array<float, 16> m{};
    glGetFloatv(which, m.data());
    return m;
}

class FontTest : public ::testing::Test {
protected:
    std::string dir = test_tempDir();
    Font *font = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(test_startVideo(320, 240));
        const std::string image = dir + "/font2.tga";
        ASSERT_TRUE(test_writeFile(image, fontImage()));
        font = font_new(image.c_str());
        ASSERT_GT(font->texture, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
    }
    void TearDown() override
    {
        font_free(font);
        test_stopVideo();
        std::filesystem::remove_all(dir);
    }

    static bool lit(int x, int y)
    {
        const Rgb pixel = test_readPixel(x, y);
        return pixel.r + pixel.g + pixel.b > 0;
    }
};

TEST_F(FontTest, LetterADrawsCell33InTheFirstSetAndCell161InTheSecond)
{
    font_print(font, 40, 30, 0, "A");
    font_print(font, 40, 80, 1, "A");
    font_print(font, 40, 130, 7, "A"); // any set but 0 is the second
    const Rgb first = test_readPixel(48, 38);
    EXPECT_EQ((std::array{first.r, first.g, first.b}), (std::array{255, 0, 0}));
    const Rgb second = test_readPixel(48, 88);
    EXPECT_EQ((std::array{second.r, second.g, second.b}), (std::array{0, 255, 0}));
    const Rgb third = test_readPixel(48, 138);
    EXPECT_EQ((std::array{third.r, third.g, third.b}), (std::array{0, 255, 0}));
}

TEST_F(FontTest, TextStartsAtItsTopLeftCornerAndSpansTwelvePerCharacterPlusSixteen)
{
    font_print(font, 100, 50, 0, "%s", "AAAA");
    // Four glyphs: 12 * 3 + 16 = 52 pixels wide, 16 high.
    EXPECT_TRUE(lit(100, 50));
    EXPECT_TRUE(lit(151, 65));
    EXPECT_FALSE(lit(99, 58));
    EXPECT_FALSE(lit(152, 58));
    EXPECT_FALSE(lit(120, 49));
    EXPECT_FALSE(lit(120, 66));

    font_print(font, 100, 100, 0, "%c%c", 'A', 'B'); // B's cell is empty
    EXPECT_TRUE(lit(111, 108));
    EXPECT_FALSE(lit(116, 108));
    EXPECT_FALSE(lit(127, 108));
}

// Counted by the GL: the fragments a print draws. A cell with nothing to add draws none at all,
// though its glyph still takes its place (the letters after it land as before).
TEST_F(FontTest, EmptyCellsDrawNoFragmentsAndStillMoveThePen)
{
    using GenQueries = void (*)(GLsizei, GLuint *);
    using BeginQuery = void (*)(GLenum, GLuint);
    using EndQuery = void (*)(GLenum);
    using GetQueryObject = void (*)(GLuint, GLenum, GLuint *);
    const auto genQueries = reinterpret_cast<GenQueries>(SDL_GL_GetProcAddress("glGenQueriesARB"));
    const auto beginQuery = reinterpret_cast<BeginQuery>(SDL_GL_GetProcAddress("glBeginQueryARB"));
    const auto endQuery = reinterpret_cast<EndQuery>(SDL_GL_GetProcAddress("glEndQueryARB"));
    const auto getQueryObject = reinterpret_cast<GetQueryObject>(SDL_GL_GetProcAddress("glGetQueryObjectuivARB"));
    if (genQueries == nullptr || beginQuery == nullptr || endQuery == nullptr || getQueryObject == nullptr)
        GTEST_SKIP() << "the GL counts no fragments (GL_ARB_occlusion_query)";
    GLuint query = 0;
    genQueries(1, &query);
    const auto fragments = [&](const char *text) {
        glClear(GL_COLOR_BUFFER_BIT);
        beginQuery(GL_SAMPLES_PASSED_ARB, query);
        font_print(font, 40, 30, 0, "%s", text);
        endQuery(GL_SAMPLES_PASSED_ARB);
        GLuint count = 0;
        getQueryObject(query, GL_QUERY_RESULT_ARB, &count);
        return count;
    };
    EXPECT_EQ(fragments("A"), 16u * 16u);
    EXPECT_EQ(fragments("B B"), 0u);
    EXPECT_EQ(fragments(" A"), 16u * 16u);
    EXPECT_TRUE(lit(52, 38)) << "the A after a space lands 12 pixels on";
    EXPECT_FALSE(lit(51, 38));
}

TEST_F(FontTest, PrintRestoresTheStateItTouchedAndLeavesThePenWhereTheTextEnds)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 3, -2, 2, -1, 1);
    const auto projection = matrix(GL_PROJECTION_MATRIX);
    for (const bool before : {false, true}) {
        const auto set = [before](GLenum cap) { before ? glEnable(cap) : glDisable(cap); };
        set(GL_TEXTURE_2D);
        set(GL_DEPTH_TEST);
        set(GL_LIGHTING);
        set(GL_SCISSOR_TEST);
        glEnable(GL_BLEND);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glMatrixMode(before ? GL_PROJECTION : GL_TEXTURE);
        font->scaleX = before ? 2.0f : 1.0f;

        font_print(font, 30, 40, 0, "x=%d", 42);

        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), before);
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), before);
        EXPECT_EQ(glIsEnabled(GL_LIGHTING), before);
        EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), before);
        EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
        GLint value = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
        EXPECT_EQ(value, 0);
        glGetIntegerv(GL_MATRIX_MODE, &value);
        EXPECT_EQ(value, before ? GL_PROJECTION : GL_TEXTURE);
        GLint polygonMode[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        EXPECT_EQ(polygonMode[0], GL_FILL);
        EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
        // The modelview matrix: translated to (30, 40), scaled, and four pen advances of 12.
        const auto modelview = matrix(GL_MODELVIEW_MATRIX);
        EXPECT_EQ(modelview[0], font->scaleX);
        EXPECT_EQ(modelview[12], 30 + font->scaleX * 12 * 4);
        EXPECT_EQ(modelview[13], 40);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FontTest, TextLongerThanTheBufferIsCutAt1023Bytes)
{
    const std::string longText(5000, 'A');
    font_print(font, 0, 0, 0, "%s", longText.c_str());
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX)[12], 12 * (font_maxText - 1));
    EXPECT_TRUE(lit(5, 5));
}

TEST_F(FontTest, NullFormatOrFontPrintsNothingAndTouchesNothing)
{
    // Called through a pointer: the compiler's format check would reject a null format.
    void (*const print)(const Font *, int, int, unsigned char, const char *, ...) = font_print;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    print(font, 40, 30, 0, nullptr);
    font_print(nullptr, 40, 30, 0, "A");
    GLint polygonMode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    EXPECT_EQ(polygonMode[0], GL_LINE);
    EXPECT_FALSE(lit(48, 38));
}

TEST_F(FontTest, FreeReleasesTheGlyphListsAndASecondFreeIsHarmless)
{
    Font *other = font_new(font->name.c_str());
    EXPECT_EQ(other->texture, font->texture) << "the image comes from the texture cache";
    const unsigned int base = other->base;
    for (const unsigned int glyph : {0u, 33u, 255u})
        EXPECT_TRUE(glIsList(base + glyph));
    font_free(other);
    for (const unsigned int glyph : {0u, 33u, 255u})
        EXPECT_FALSE(glIsList(base + glyph));
    font_free(other);
    EXPECT_TRUE(glIsList(font->base + 33)) << "the other font is untouched";
}

TEST_F(FontTest, MissingImageIsReportedAndTextStillPrints)
{
    const std::string missing = dir + "/missing.tga";
    testing::internal::CaptureStderr();
    Font *blind = font_new(missing.c_str());
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("Error: Texture loading. Failed to load File \"" + missing + "\"", 0), 0u) << message;
    EXPECT_EQ(blind->texture, -1);
    font_print(blind, 10, 10, 0, "score %d", 100);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX)[12], 10 + 12 * 9);
    font_free(blind);
}

} // namespace
