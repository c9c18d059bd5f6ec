// How the effects look: every explosion kind, a shield, a particle burst and a line of text
// drawn into the window from generated images, checked where each must appear and saved as
// screenshots (tests/screenshots/) for people to look at.
#include "graphics/explosion.h"
#include "graphics/font.h"
#include "graphics/frustum.h"
#include "graphics/particle.h"
#include "graphics/shield.h"
#include "support/test_support.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

namespace fs = std::filesystem;

// --- A PNG writer: RGBA rows in stored (uncompressed) deflate blocks. ---

uint32_t crc32(const std::string &bytes, size_t from)
{
    uint32_t crc = 0xffffffffu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= static_cast<uint8_t>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBe32(std::string &out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

void putChunk(std::string &png, const char *type, const std::string &data)
{
    putBe32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png += type;
    png += data;
    putBe32(png, crc32(png, start));
}

using Texel = std::array<uint8_t, 4>;

std::string pngImage(int side, const std::function<Texel(int x, int y)> &texel)
{
    std::string raw;
    for (int y = 0; y < side; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < side; ++x) {
            const Texel t = texel(x, y);
            raw.append(reinterpret_cast<const char *>(t.data()), t.size());
        }
    }
    std::string zlib = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (const char c : raw) {
        a = (a + static_cast<uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + length == raw.size() ? 1 : 0);
        zlib.push_back(static_cast<char>(length & 0xff));
        zlib.push_back(static_cast<char>(length >> 8));
        zlib.push_back(static_cast<char>(~length & 0xff));
        zlib.push_back(static_cast<char>((~length >> 8) & 0xff));
        zlib.append(raw, at, length);
    }
    putBe32(zlib, (b << 16) | a);

    std::string header;
    putBe32(header, static_cast<uint32_t>(side));
    putBe32(header, static_cast<uint32_t>(side));
    header += std::string("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA
    std::string png = "\x89PNG\r\n\x1a\n";
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", "");
    return png;
}

uint8_t byteOf(double value)
{
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

// A white glow: opaque in the middle, fading to nothing at the square's inscribed circle.
Texel glow(int x, int y, int side)
{
    const double r = std::hypot(x + 0.5 - side / 2.0, y + 0.5 - side / 2.0) / (side / 2.0);
    return {255, 255, 255, byteOf(1.2 * (1 - r * r))};
}

// A bubble: faint inside, bright towards its rim.
Texel bubble(int x, int y, int side)
{
    const double r = std::hypot(x + 0.5 - side / 2.0, y + 0.5 - side / 2.0) / (side / 2.0);
    return {255, 255, 255, r > 1 ? uint8_t{0} : byteOf(0.35 + 0.65 * r * r * r * r)};
}

// Glyph cells as blocks with a clear margin, so text reads as a row of boxes; the space is
// empty. Cell row r sits r + 1 cells up from the bottom edge (glyphs address the image bottom up).
Texel blockGlyph(int x, int y)
{
    const int cell = ((255 - y) / 16) * 16 + x / 16;
    const int cx = x % 16, cy = y % 16;
    const bool inside = cell != 0 && cx >= 2 && cx <= 11 && cy >= 2 && cy <= 13;
    return inside ? Texel{255, 255, 255, 255} : Texel{0, 0, 0, 0};
}

struct Pixel {
    int x, y;
};

// Where a world point lands in the window, y from the top.
Pixel project(double x, double y, double z)
{
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
    return {static_cast<int>(wx), task_video_height - 1 - static_cast<int>(wy)};
}

// Checks a pixel against a colour, each channel within a tolerance.
void expectColour(const char *what, Pixel at, std::array<int, 3> expected, int tolerance = 14)
{
    const Rgb got = test_readPixel(at.x, at.y);
    EXPECT_NEAR(got.r, expected[0], tolerance) << what << " at " << at.x << "," << at.y;
    EXPECT_NEAR(got.g, expected[1], tolerance) << what << " at " << at.x << "," << at.y;
    EXPECT_NEAR(got.b, expected[2], tolerance) << what << " at " << at.x << "," << at.y;
}

void expectDark(const char *what, Pixel at)
{
    expectColour(what, at, {0, 0, 0}, 0);
}

class EffectsLookTest : public ::testing::Test {
protected:
    fs::path home = fs::current_path();
    std::string dir = test_tempDir();
    Font *font = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(test_startVideo(640, 480));
        // The effects read their images from data/ under the working directory.
        fs::create_directories(dir + "/data");
        fs::current_path(dir);
        const auto glowImage = pngImage(64, [](int x, int y) { return glow(x, y, 64); });
        for (const char *name : {"particle3", "explosion2", "explosion4", "explosion5"})
            ASSERT_TRUE(test_writeFile(std::string("data/") + name + ".png", glowImage));
        ASSERT_TRUE(test_writeFile("data/shield2.png", pngImage(64, [](int x, int y) { return bubble(x, y, 64); })));
        ASSERT_TRUE(test_writeFile("data/font.png", pngImage(256, blockGlyph)));
        testing::internal::CaptureStderr();
        particle_init();
        explosion_init();
        font = font_new("data/font.png");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "every image loads";

        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        frustum_reset(); // no view computed yet: every particle counts as in view
    }
    void TearDown() override
    {
        fs::current_path(home);
        for (ParticleSystem *system : particle_systems())
            particle_freeSys(system);
        for (Explosion *explosion : explosion_list())
            explosion_free(explosion);
        font_free(font);
        test_stopVideo();
        fs::remove_all(dir);
    }

    // Screenshots go to the build's screenshots folder, not the data folder.
    void saveScreenshot(const std::string &name)
    {
        fs::current_path(home);
        test_saveScreenshot(name);
        fs::current_path(dir);
    }
};

TEST_F(EffectsLookTest, EveryEffectAppearsWhereAndHowItShould)
{
    constexpr float depth = -150;
    struct Placed {
        int kind;
        float x;
        std::array<int, 3> colour; // the kind's colour at full opacity, lightly fogged
    };
    const Placed kinds[] = {{0, -58, {252, 103, 3}}, {1, -25, {179, 252, 3}}, {2, -2, {54, 103, 252}}, {3, 14, {28, 128, 231}}};
    for (const Placed &placed : kinds)
        explosion_new(placed.x, 25, depth, placed.kind);
    testing::internal::CaptureStderr();
    ShieldPtr shield = shield_new(0.2f, 0.4f, 1.0f, 14);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ParticleSystem *burst = particle_newSys(6, -6, -60, 50, false);

    // The burst spreads for a few frames before the picture is taken; the rest stand still.
    g_frameInterval = 0.03f;
    for (int frame = 0; frame < 4; ++frame)
        particle_drawAll();
    g_frameInterval = 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The square around every live spark, in window pixels.
    int left = task_video_width, right = 0, top = task_video_height, bottom = 0;
    for (const Particle &p : burst->particles) {
        if (!p.active)
            continue;
        for (const float corner : {-1.3f, 1.3f}) {
            const Pixel at = project(p.x + corner, p.y - corner, p.z);
            left = std::min(left, at.x);
            right = std::max(right, at.x);
            top = std::min(top, at.y);
            bottom = std::max(bottom, at.y);
        }
    }

    explosion_drawAll();
    shield_draw(*shield, -45, -30, depth);
    particle_drawAll();
    glColor3f(1, 1, 1);
    font_print(font, 20, 20, 0, "KINDS 0 1 2 3");
    saveScreenshot("effects_scene");

    glLoadIdentity(); // the font leaves the pen in the modelview matrix
    for (const Placed &placed : kinds) {
        const float size = kinds[0].kind == placed.kind ? 15.0f : placed.kind == 1 ? 10.0f : 5.0f;
        expectColour("explosion centre", project(placed.x, 25, depth), placed.colour);
        expectDark("beyond the explosion's square", project(placed.x, 25 + size * 1.1f, depth));
        // Half way out the glow is fainter but still the kind's hue.
        const Rgb half = test_readPixel(project(placed.x + size / 2, 25, depth).x, project(placed.x, 25, depth).y);
        EXPECT_GT(half.r + half.g + half.b, 60) << "kind " << placed.kind;
        EXPECT_LT(half.r + half.g + half.b, placed.colour[0] + placed.colour[1] + placed.colour[2]);
    }

    const Pixel shieldCentre = project(-45, -30, depth);
    const Rgb inside = test_readPixel(shieldCentre.x, shieldCentre.y);
    const Rgb rim = test_readPixel(project(-45 + 12.5, -30, depth).x, shieldCentre.y);
    EXPECT_GT(inside.b, inside.r) << "the shield is blue";
    EXPECT_GT(rim.b, inside.b + 60) << "and brighter at its rim";
    expectDark("beyond the shield", project(-45 + 15, -30, depth));

    // The sparks: yellow, and only where live sparks are.
    ASSERT_LT(left, right);
    int yellow = 0;
    for (int y = top - 8; y <= bottom + 8; ++y) {
        for (int x = left - 8; x <= right + 8; ++x) {
            const Rgb got = test_readPixel(x, y);
            if (got.r + got.g + got.b == 0)
                continue;
            const bool within = x >= left - 1 && x <= right + 1 && y >= top - 1 && y <= bottom + 1;
            EXPECT_TRUE(within) << "colour outside the sparks at " << x << "," << y;
            EXPECT_LE(got.b, got.g / 4 + 3) << "a spark that is not yellow at " << x << "," << y;
            EXPECT_NEAR(got.r, got.g, 6) << "a spark that is not yellow at " << x << "," << y;
            yellow += got.r > 40;
        }
    }
    EXPECT_GT(yellow, 100) << "the burst is plainly visible";

    // The text: boxes at 12-pixel steps from (20, 20); "KINDS" fills the first five places.
    for (int glyph = 0; glyph < 5; ++glyph)
        expectColour("a glyph", {20 + 12 * glyph + 6, 28}, {255, 255, 255}, 0);
    expectDark("the space after KINDS", {20 + 12 * 5 + 6, 28});
    expectDark("above the text", {26, 19});
}

// Particles outside the view are moved but not drawn; those inside still are, whatever lies
// beyond the view.
TEST_F(EffectsLookTest, ParticlesOutOfViewStillMoveAndRetire)
{
    frustum_calculate();
    ParticleSystem *seen = particle_newSys(0, 0, -60, 1, false);
    ParticleSystem *unseen = particle_newSys(5000, 0, -60, 1, false);
    const float seenSpeed = seen->particles.front().yi, unseenSpeed = unseen->particles.front().yi;
    g_frameInterval = 0.05f;
    particle_drawAll();
    saveScreenshot("burst_in_and_out_of_view");
    expectColour("the spark in view", project(0, 0, -60), {253, 253, 1}, 6);
    EXPECT_LT(seen->particles.front().life, 1.0f);
    EXPECT_LT(unseen->particles.front().life, 1.0f) << "out of view, still fading";
    EXPECT_FLOAT_EQ(seen->particles.front().yi, seenSpeed - 0.05f);
    EXPECT_FLOAT_EQ(unseen->particles.front().yi, unseenSpeed - 0.05f) << "out of view, still falling";
    g_frameInterval = 10; // past every particle's life
    particle_drawAll();
    particle_drawAll();
    EXPECT_TRUE(particle_systems().empty()) << "both bursts retired";

    // With culling switched off (F8) a spark is drawn even where the view last computed does
    // not reach: here a view far to the side, while the spark stands before the real one.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(5000, 0, 0);
    frustum_calculate();
    glPopMatrix();
    particle_newSys(0, 0, -60, 1, false);
    g_frameInterval = 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    particle_drawAll();
    expectDark("culled by the stale view", project(0, 0, -60));
    task_video_toggleFrustumCulling();
    particle_drawAll();
    task_video_toggleFrustumCulling();
    expectColour("drawn with culling off", project(0, 0, -60), {253, 253, 1}, 6);
}

TEST_F(EffectsLookTest, FreshBurstIsOneYellowSparkAtItsOrigin)
{
    // All particles start at the origin; the first one drawn wins the depth test there.
    particle_newSys(0, 0, -60, 50, false);
    g_frameInterval = 0;
    particle_drawAll();
    saveScreenshot("burst_start");
    const Pixel origin = project(0, 0, -60);
    expectColour("the spark", origin, {253, 253, 1}, 6);
    expectDark("beyond the spark", project(1.6, 0, -60));
    expectDark("beyond the spark", project(0, -1.6, -60));
}

TEST_F(EffectsLookTest, FadingKindsDimWhileTheGrowingKindSpreads)
{
    constexpr float depth = -150;
    explosion_new(-30, 0, depth, 0);
    explosion_new(30, 0, depth, 3);
    g_frameInterval = 0;
    explosion_drawAll();
    saveScreenshot("explosions_start");
    expectColour("kind 0 at first", project(-30, 0, depth), {252, 103, 3});
    expectDark("kind 3 not yet this wide", project(30 + 12, 0, depth));

    // Half a second on: kind 0 is at alpha 0.6, kind 3 has grown from 5 to 17.5.
    g_frameInterval = 0.5f;
    explosion_drawAll();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g_frameInterval = 0;
    explosion_drawAll();
    saveScreenshot("explosions_half_second");
    expectColour("kind 0 dimmed", project(-30, 0, depth), {151, 62, 2});
    expectColour("kind 3 at full strength", project(30, 0, depth), {28, 128, 231});
    const Rgb spread = test_readPixel(project(30 + 8, 0, depth).x, project(30, 0, depth).y);
    EXPECT_GT(spread.b, 80) << "kind 3 reaches further";
}

} // namespace
