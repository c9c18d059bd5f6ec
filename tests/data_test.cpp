// The generated game data: every file the game reads is there, decodes through the same
// libraries the game uses, and fits the game's units, texture coordinates and rules.
#include "support/test_ms3d.h"
#include "support/test_support.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string dataDir()
{
    const std::string run = test_runDir();
    return run.empty() ? "" : run + "/data";
}

bool haveData() { return !dataDir().empty() && std::filesystem::exists(dataDir() + "/level1.map"); }

#define REQUIRE_DATA()                                                                                   \
    if (!haveData())                                                                                     \
    GTEST_SKIP() << "no generated data under the run directory (build the trelvik-data target first)"

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

Surface load(const std::string &file) { return Surface(IMG_Load((dataDir() + "/" + file).c_str()), SDL_FreeSurface); }

const uint8_t *pixel(const SDL_Surface *s, int x, int y)
{
    return static_cast<const uint8_t *>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
}

// Alpha of a pixel of a 32-bit surface, through its format's mask.
int alphaAt(const SDL_Surface *s, int x, int y)
{
    uint32_t value = 0;
    std::copy_n(pixel(s, x, y), 4, reinterpret_cast<uint8_t *>(&value));
    return static_cast<int>((value & s->format->Amask) >> s->format->Ashift);
}

bool powerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

struct ModelKind {
    const char *file;
    float scale;
};

const ModelKind modelKinds[] = {{"Player.ms3d", 1.2f},     {"HeavyFighter.ms3d", 1.3f}, {"Enemy5.ms3d", 1.5f},
                                {"Enemy4UV.ms3d", 0.45f},  {"Enemy3UV.ms3d", 2.3f},     {"Building1.ms3d", 1.0f},
                                {"Building2UV.ms3d", 1.0f}, {"Shot.ms3d", 3.0f},         {"RocketUV.ms3d", 1.5f},
                                {"EShot.ms3d", 3.0f},      {"EShot2.ms3d", 3.0f},       {"PowerUpFUV.ms3d", 1.4f},
                                {"PowerUpRUV.ms3d", 1.4f}, {"test.ms3d", 1.5f}};

TestMs3d readModel(const std::string &file) { return test_parseMs3d(test_readFile(dataDir() + "/" + file)); }

// Scaled extent (x, y) of a model at its kind's scale.
struct Extent {
    float minX, maxX, minY, maxY;
    float length() const { return maxX - minX; }
    float height() const { return maxY - minY; }
};

Extent extentOf(const std::string &file, float scale)
{
    std::array<float, 3> min, max;
    test_ms3dBounds(readModel(file), min, max);
    return {min[0] * scale, max[0] * scale, min[1] * scale, max[1] * scale};
}

} // namespace

// --- pictures -----------------------------------------------------------------------------

TEST(DataImages, EveryPictureDecodesWithTheSizeAndChannelsMeant)
{
    REQUIRE_DATA();
    struct Expect {
        const char *file;
        int w, h, bytes;
    };
    const Expect images[] = {{"Skymap.jpg", 512, 512, 3},     {"boden.jpg", 512, 512, 3},     {"font2.tga", 256, 256, 4},
                             {"particle3.png", 64, 64, 4},    {"explosion2.png", 128, 128, 4}, {"explosion4.png", 128, 128, 4},
                             {"explosion5.png", 128, 128, 4}, {"shield2.png", 128, 128, 4},   {"hull.png", 256, 256, 3},
                             {"glow.png", 32, 32, 3},         {"enemy4.png", 128, 128, 3},    {"boss.png", 256, 256, 3},
                             {"tower.png", 128, 256, 3},      {"windows.png", 128, 256, 3},   {"rocket.png", 64, 64, 3},
                             {"powerupf.png", 64, 64, 3},     {"powerupr.png", 64, 64, 3},    {"logo.png", 128, 128, 3}};
    for (const Expect &e : images) {
        const Surface s = load(e.file);
        ASSERT_TRUE(s) << e.file << ": " << IMG_GetError();
        EXPECT_EQ(s->w, e.w) << e.file;
        EXPECT_EQ(s->h, e.h) << e.file;
        EXPECT_EQ(s->format->BytesPerPixel, e.bytes) << e.file;
    }
}

// The game hands the decoded bytes to OpenGL as B, G, R; pictures whose red equals their
// blue look the same whichever way the channels are read.
TEST(DataImages, ColouredPicturesKeepRedEqualToBlue)
{
    REQUIRE_DATA();
    for (const char *file : {"hull.png", "glow.png", "enemy4.png", "boss.png", "tower.png", "windows.png", "rocket.png",
                             "powerupf.png", "powerupr.png", "logo.png", "Skymap.jpg", "boden.jpg"}) {
        const Surface s = load(file);
        ASSERT_TRUE(s) << file;
        const bool jpeg = std::string(file).ends_with(".jpg");
        long sum = 0;
        int worst = 0;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x) {
                const uint8_t *p = pixel(s.get(), x, y);
                const int d = std::abs(p[0] - p[2]);
                sum += d;
                worst = std::max(worst, d);
            }
        const double mean = static_cast<double>(sum) / (s->w * s->h);
        if (jpeg) {
            EXPECT_LT(mean, 2.0) << file;
            EXPECT_LT(worst, 40) << file;
        } else {
            EXPECT_EQ(worst, 0) << file;
        }
    }
}

// The side faces of the sky box put texture row 0 at their foot: the file's top rows are the
// bright horizon, its bottom rows the dark zenith, and its left and right edges meet.
TEST(DataImages, SkyIsStoredAsTheSkyBoxReadsIt)
{
    REQUIRE_DATA();
    const Surface sky = load("Skymap.jpg");
    ASSERT_TRUE(sky);
    auto rowMean = [&](int y) {
        double sum = 0;
        for (int x = 0; x < sky->w; ++x)
            sum += pixel(sky.get(), x, y)[1];
        return sum / sky->w;
    };
    EXPECT_GT(rowMean(4), rowMean(sky->h - 5) + 80);
    double seam = 0;
    for (int y = 0; y < sky->h; ++y)
        seam += std::abs(pixel(sky.get(), 0, y)[1] - pixel(sky.get(), sky->w - 1, y)[1]);
    EXPECT_LT(seam / sky->h, 6.0);
}

TEST(DataImages, SpritesAreRadialShapesOnBlack)
{
    REQUIRE_DATA();
    for (const char *file : {"particle3.png", "explosion2.png", "explosion4.png", "explosion5.png", "shield2.png"}) {
        const Surface s = load(file);
        ASSERT_TRUE(s) << file;
        ASSERT_EQ(s->format->BytesPerPixel, 4);
        for (auto [x, y] : {std::pair{0, 0}, {s->w - 1, 0}, {0, s->h - 1}, {s->w - 1, s->h - 1}}) {
            EXPECT_EQ(alphaAt(s.get(), x, y), 0) << file;
            const uint8_t *p = pixel(s.get(), x, y);
            EXPECT_EQ(p[0] + p[1] + p[2], 0) << file << " is not on black";
        }
        int strongest = 0, left = 0, right = 0;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x) {
                const int a = alphaAt(s.get(), x, y);
                strongest = std::max(strongest, a);
                (x < s->w / 2 ? left : right) += a;
            }
        EXPECT_GT(strongest, 128) << file;
        EXPECT_NEAR(static_cast<double>(left) / right, 1.0, 0.25) << file << " is lopsided";
    }
}

// The desktop icon: a round badge, clear in the corners and opaque across its middle.
TEST(DataImages, IconIsARoundBadgeOnClear)
{
    REQUIRE_DATA();
    const Surface s = load("trelvik.png");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->w, 64);
    ASSERT_EQ(s->h, 64);
    ASSERT_EQ(s->format->BytesPerPixel, 4);
    for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}})
        EXPECT_EQ(alphaAt(s.get(), x, y), 0);
    for (int i = 8; i < 56; ++i) {
        EXPECT_EQ(alphaAt(s.get(), i, 32), 255) << "across, x " << i;
        EXPECT_EQ(alphaAt(s.get(), 32, i), 255) << "down, y " << i;
    }
}

// Glyph cell g sits at column g mod 16, row g div 16 counted from the image's foot, read
// bottom up: a glyph's top on screen is the lowest pixel row of its cell in the file.
TEST(DataFont, GlyphsSitWhereTheFontsTextureCoordinatesReadThem)
{
    REQUIRE_DATA();
    const Surface font = load("font2.tga");
    ASSERT_TRUE(font) << IMG_GetError();
    ASSERT_EQ(font->format->BytesPerPixel, 4);
    ASSERT_NE(font->format->Amask, 0u);
    // Centroid of the alpha of a cell, in pixel rows from the cell's top in the file.
    auto centroid = [&](int cell, double &mass) {
        const int x0 = (cell % 16) * 16, y0 = 256 - 16 * (cell / 16 + 1);
        double weighted = 0;
        mass = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int a = alphaAt(font.get(), x0 + x, y0 + y);
                mass += a;
                weighted += static_cast<double>(a) * y;
            }
        return mass > 0 ? weighted / mass : -1;
    };
    double mass;
    EXPECT_LT(centroid('_' - 32, mass), 5.0) << "an underscore is at the foot of its glyph on screen";
    EXPECT_GT(mass, 0);
    EXPECT_GT(centroid('"' - 32, mass), 9.0) << "quotes are at the top of their glyph on screen";
    EXPECT_GT(mass, 0);
    centroid(' ' - 32, mass);
    EXPECT_EQ(mass, 0) << "a blank is empty";
    centroid('A' + 96, mass);
    EXPECT_GT(mass, 0) << "the second set has its own glyphs";
    // Glyphs are white; coverage lives in the alpha channel alone.
    const uint8_t *p = pixel(font.get(), 16 + 8, 256 - 48 + 8);
    EXPECT_GE(std::min({p[0], p[1], p[2]}), 150);
}

// --- sounds -------------------------------------------------------------------------------

namespace {

struct Wav {
    bool ok = false;
    SDL_AudioSpec audioFormat{};
    std::vector<int16_t> samples; // interleaved left, right
};

Wav readWav(const std::string &file)
{
    Wav w;
    Uint8 *buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV((dataDir() + "/" + file).c_str(), &w.audioFormat, &buffer, &length) == nullptr)
        return w;
    w.samples.resize(length / 2);
    std::copy_n(buffer, length - length % 2, reinterpret_cast<Uint8 *>(w.samples.data()));
    SDL_FreeWAV(buffer);
    w.ok = true;
    return w;
}

class DataSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveData())
            GTEST_SKIP() << "no generated data under the run directory";
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    }
    void TearDown() override { SDL_Quit(); }
};

} // namespace

TEST_F(DataSound, EverySoundIsSixteenBitStereoAt22050AndLoadsThroughTheMixer)
{
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
    struct Expect {
        const char *file;
        double minSeconds, maxSeconds;
    };
    for (const Expect &e : {Expect{"shot.wav", 0.1, 0.5}, Expect{"explos.wav", 0.7, 1.6}, Expect{"cash.wav", 0.3, 1.2}}) {
        const Wav w = readWav(e.file);
        ASSERT_TRUE(w.ok) << e.file << ": " << SDL_GetError();
        EXPECT_EQ(w.audioFormat.freq, 22050) << e.file;
        EXPECT_EQ(w.audioFormat.format, AUDIO_S16LSB) << e.file;
        EXPECT_EQ(w.audioFormat.channels, 2) << e.file;
        Mix_Chunk *chunk = Mix_LoadWAV((dataDir() + "/" + e.file).c_str());
        ASSERT_NE(chunk, nullptr) << e.file << ": " << Mix_GetError();
        const double seconds = chunk->alen / (22050.0 * 4);
        EXPECT_GE(seconds, e.minSeconds) << e.file;
        EXPECT_LE(seconds, e.maxSeconds) << e.file;
        Mix_FreeChunk(chunk);
    }
    Mix_Music *music = Mix_LoadMUS((dataDir() + "/phenomenon.wav").c_str());
    EXPECT_NE(music, nullptr) << Mix_GetError();
    if (music != nullptr)
        Mix_FreeMusic(music);
    Mix_CloseAudio();
}

// Effects play at a quarter of the mixer's volume, so they are loud; they start and end
// at rest, so they neither click in nor out.
TEST_F(DataSound, EffectsAreLoudAndStartAndEndQuietly)
{
    for (const char *file : {"shot.wav", "explos.wav", "cash.wav"}) {
        const Wav w = readWav(file);
        ASSERT_TRUE(w.ok) << file;
        int peak = 0;
        for (int16_t s : w.samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_GT(peak, 26000) << file;
        EXPECT_LT(std::abs(w.samples[0]), 1500) << file;
        EXPECT_LT(std::abs(w.samples.back()), 200) << file;
    }
}

// The music loops for ever: it lasts a minute or more and the step from its last sample
// back to its first is no bigger than the steps inside it.
TEST_F(DataSound, MusicLoopsForAMinuteWithoutAClick)
{
    const Wav w = readWav("phenomenon.wav");
    ASSERT_TRUE(w.ok);
    ASSERT_EQ(w.audioFormat.channels, 2);
    const size_t frames = w.samples.size() / 2;
    EXPECT_GE(frames / 22050.0, 60.0);
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<int> steps;
        steps.reserve(frames);
        for (size_t i = 0; i + 1 < frames; ++i)
            steps.push_back(std::abs(w.samples[2 * (i + 1) + channel] - w.samples[2 * i + channel]));
        std::nth_element(steps.begin(), steps.begin() + static_cast<long>(steps.size() * 999 / 1000), steps.end());
        const int usualLargest = steps[steps.size() * 999 / 1000];
        const int seam = std::abs(w.samples[static_cast<size_t>(channel)] - w.samples[2 * (frames - 1) + channel]);
        EXPECT_LE(seam, usualLargest) << "channel " << channel;
        std::printf("music channel %d: seam step %d, 99.9th percentile step %d\n", channel, seam, usualLargest);
    }
    int peak = 0;
    for (int16_t s : w.samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 24000) << "music plays at full volume, under effects at a quarter";
}

// --- models -------------------------------------------------------------------------------

TEST(DataModels, EveryModelWalksAsMs3dVersion4WithTexturedMaterials)
{
    REQUIRE_DATA();
    for (const ModelKind &kind : modelKinds) {
        const TestMs3d m = readModel(kind.file);
        ASSERT_TRUE(m.ok) << kind.file << ": " << m.error;
        EXPECT_EQ(m.version, 4) << kind.file;
        EXPECT_EQ(m.consumed, m.size) << kind.file << " has bytes after its joints";
        EXPECT_EQ(m.joints, 0) << kind.file;
        EXPECT_FALSE(m.groups.empty()) << kind.file;
        size_t grouped = 0;
        for (const TestMs3dGroup &g : m.groups) {
            grouped += g.triangles.size();
            ASSERT_LT(g.materialIndex, static_cast<int>(m.materials.size())) << kind.file << " group " << g.name;
            // Every group binds its own picture: a group without one would draw with
            // whatever texture was bound before it.
            const std::string &texture = m.materials[static_cast<size_t>(g.materialIndex)].texture;
            ASSERT_EQ(texture.rfind("data/", 0), 0u) << kind.file << " group " << g.name;
            const Surface s = load(texture.substr(5));
            ASSERT_TRUE(s) << kind.file << " names " << texture;
            EXPECT_TRUE(powerOfTwo(s->w) && powerOfTwo(s->h)) << texture;
        }
        EXPECT_EQ(grouped, m.triangles.size()) << kind.file;
        for (const TestMs3dMaterial &mat : m.materials) {
            const float lit = mat.ambient[0] + mat.ambient[1] + mat.ambient[2] + mat.emissive[0] + mat.emissive[1] +
                              mat.emissive[2];
            EXPECT_GT(lit, 0.3f) << kind.file << " material " << mat.name << " would look black from the side";
        }
    }
}

// Back-face culling keeps the triangles wound counter-clockwise towards the viewer: every
// triangle's winding agrees with the normals stored at its corners.
TEST(DataModels, TrianglesAreWoundWithTheirNormals)
{
    REQUIRE_DATA();
    for (const ModelKind &kind : modelKinds) {
        const TestMs3d m = readModel(kind.file);
        ASSERT_TRUE(m.ok) << kind.file;
        int against = 0;
        for (const TestMs3dTriangle &t : m.triangles) {
            const auto &a = m.vertices[t.v[0]], &b = m.vertices[t.v[1]], &c = m.vertices[t.v[2]];
            const float ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
            const float vx = c[0] - a[0], vy = c[1] - a[1], vz = c[2] - a[2];
            const float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
            if (std::sqrt(nx * nx + ny * ny + nz * nz) < 1e-6f)
                continue;
            float dot = 0;
            for (const auto &n : t.n)
                dot += nx * n[0] + ny * n[1] + nz * n[2];
            against += dot <= 0;
        }
        EXPECT_EQ(against, 0) << kind.file;
    }
}

// Sizes after each kind's scale, against the visible field of about 220 x 160 units.
TEST(DataModels, ScaledSizesFitTheField)
{
    REQUIRE_DATA();
    std::map<std::string, Extent> e;
    for (const ModelKind &kind : modelKinds) {
        e[kind.file] = extentOf(kind.file, kind.scale);
        std::printf("%-18s %6.1f x %5.1f\n", kind.file, e[kind.file].length(), e[kind.file].height());
        // The origin is inside the body, near the middle of the box.
        EXPECT_LT(std::fabs(e[kind.file].minX + e[kind.file].maxX), 0.1f * e[kind.file].length()) << kind.file;
        EXPECT_LT(std::fabs(e[kind.file].minY + e[kind.file].maxY), 0.1f * e[kind.file].height()) << kind.file;
    }
    for (const char *ship : {"Player.ms3d", "HeavyFighter.ms3d", "Enemy5.ms3d", "Enemy4UV.ms3d"}) {
        EXPECT_GE(e[ship].length(), 14.0f) << ship;
        EXPECT_LE(e[ship].length(), 21.0f) << ship;
        EXPECT_LE(e[ship].height(), 12.0f) << ship;
    }
    for (const auto &[file, extent] : e) {
        if (file != "Enemy3UV.ms3d" && file.rfind("Building", 0) != 0 && file != "test.ms3d") {
            EXPECT_LT(extent.length() * extent.height(), e["Enemy3UV.ms3d"].length() * e["Enemy3UV.ms3d"].height() / 6)
                << "the boss is clearly bigger than " << file;
        }
    }
    EXPECT_LE(e["Enemy3UV.ms3d"].height() / 2 + 30, 80.0f) << "the bobbing boss stays inside the field";
    EXPECT_GE(e["Shot.ms3d"].length(), 4.0f);
    EXPECT_LE(e["Shot.ms3d"].length(), 10.0f);
    EXPECT_LE(e["Shot.ms3d"].height(), 3.0f);
    EXPECT_GT(e["EShot2.ms3d"].length(), e["EShot.ms3d"].length());
    EXPECT_GE(e["RocketUV.ms3d"].length(), 6.0f);
    EXPECT_LE(e["RocketUV.ms3d"].length(), 14.0f);
    for (const char *p : {"PowerUpFUV.ms3d", "PowerUpRUV.ms3d"}) {
        EXPECT_GE(e[p].length(), 5.0f);
        EXPECT_LE(e[p].length(), 10.0f);
    }
    for (const char *b : {"Building1.ms3d", "Building2UV.ms3d"})
        EXPECT_GE(e[b].height(), 90.0f) << b << " stands from below the picture's edge";
    // The logo, 150 units from the camera, fits the view's width there (about 166 units).
    EXPECT_GE(e["test.ms3d"].length(), 60.0f);
    EXPECT_LE(e["test.ms3d"].length(), 150.0f);
}

// A player's shield is a square of half-size max.x x scale round the ship's origin.
TEST(DataModels, ShieldsCoverTheShips)
{
    REQUIRE_DATA();
    for (const ModelKind &kind : {ModelKind{"Player.ms3d", 1.2f}, ModelKind{"HeavyFighter.ms3d", 1.3f}}) {
        const Extent e = extentOf(kind.file, kind.scale);
        EXPECT_GE(e.maxX, 0.45f * e.length()) << kind.file;
        EXPECT_GE(e.maxX, 0.45f * e.height() * 2) << kind.file;
    }
}

// The sky box is drawn after the first ship, every frame, with the material and normal that
// ship's last group leaves set: a neutral grey facing the viewer shows the sky as painted.
TEST(DataModels, FirstShipLeavesANeutralLightForTheSky)
{
    REQUIRE_DATA();
    const TestMs3d m = readModel("Player.ms3d");
    ASSERT_TRUE(m.ok);
    const TestMs3dGroup &last = m.groups.back();
    ASSERT_FALSE(last.triangles.empty());
    const TestMs3dMaterial &mat = m.materials[static_cast<size_t>(last.materialIndex)];
    EXPECT_FLOAT_EQ(mat.ambient[0], mat.ambient[1]);
    EXPECT_FLOAT_EQ(mat.ambient[1], mat.ambient[2]);
    EXPECT_GE(mat.ambient[0], 0.45f);
    EXPECT_LE(mat.ambient[0], 0.65f);
    EXPECT_EQ(mat.emissive[0] + mat.emissive[1] + mat.emissive[2], 0.0f);
    const auto &normal = m.triangles[last.triangles.back()].n[2];
    EXPECT_GT(normal[2], 0.99f) << "the last normal faces the viewer, away from both lights";
}

// --- the level ----------------------------------------------------------------------------

namespace {

struct LevelEntry {
    std::string keyword;
    float x, y, z;
};

struct Level {
    bool headerOk = false;
    int number = 0;
    std::string name;
    float stop = 0;
    std::vector<LevelEntry> entries;
    int lines = 0;
};

// Reads the file the way the game's reader does: "LEVEL:" at the first byte, then tokens.
Level readLevel()
{
    Level level;
    const std::string text = test_readFile(dataDir() + "/level1.map");
    level.lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    if (text.rfind("LEVEL:", 0) != 0)
        return level;
    std::istringstream in(text.substr(6));
    std::string stopWord;
    in >> level.number >> level.name >> stopWord >> level.stop;
    level.headerOk = static_cast<bool>(in) && stopWord == "CAMERASTOP:";
    LevelEntry e;
    while (in >> e.keyword >> e.x >> e.y >> e.z)
        level.entries.push_back(e);
    return level;
}

int countOf(const Level &level, const std::string &keyword)
{
    return static_cast<int>(std::count_if(level.entries.begin(), level.entries.end(),
                                          [&](const LevelEntry &e) { return e.keyword == keyword; }));
}

} // namespace

// The first level is the one every version of the game has shipped: the same bytes.
TEST(DataLevel, TheFirstLevelIsUnchanged)
{
    REQUIRE_DATA();
    const std::string text = test_readFile(dataDir() + "/level1.map");
    uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    EXPECT_EQ(text.size(), 12464u);
    EXPECT_EQ(hash, 0x93980eb27cbc125full);
}

TEST(DataLevel, LevelReadsWithItsWavesCityAndBoss)
{
    REQUIRE_DATA();
    const Level level = readLevel();
    ASSERT_TRUE(level.headerOk);
    EXPECT_EQ(level.number, 1);
    EXPECT_FALSE(level.name.empty());
    EXPECT_LE(level.name.size(), 20u) << "the HUD centres the name";
    // Two to three minutes of scrolling at 50 units a second.
    EXPECT_GE(level.stop, 6000.0f);
    EXPECT_LE(level.stop, 9000.0f);
    EXPECT_EQ(level.lines, static_cast<int>(level.entries.size()) + 2) << "one entry per line";
    const int enemy1 = countOf(level, "ENEMY1"), enemy2 = countOf(level, "ENEMY2");
    const int buildings = countOf(level, "BUILDING1") + countOf(level, "BUILDING2");
    std::printf("level %s: stop %.0f, %d ENEMY1, %d ENEMY2, %d buildings\n", level.name.c_str(), level.stop, enemy1,
                enemy2, buildings);
    // How many of each kind is for the difficulty to say (trelvik-check --play); both kinds fly.
    // Mantas are few: one in three carries rockets, and rockets end the boss fight in seconds.
    EXPECT_GE(enemy1 + enemy2, 100);
    EXPECT_GE(enemy2, 1);
    EXPECT_GE(buildings, 100);
    EXPECT_EQ(countOf(level, "BOSS1"), 1);
    EXPECT_EQ(static_cast<size_t>(enemy1 + enemy2 + buildings + 1), level.entries.size()) << "no unknown keywords";
}

TEST(DataLevel, EnemiesComeOnAfterTheStartAndTheBossWaitsInViewAtTheStop)
{
    REQUIRE_DATA();
    const Level level = readLevel();
    ASSERT_TRUE(level.headerOk);
    const Extent e1 = extentOf("Enemy5.ms3d", 1.5f), e2 = extentOf("Enemy4UV.ms3d", 0.45f);
    const Extent boss = extentOf("Enemy3UV.ms3d", 2.3f);
    for (const LevelEntry &e : level.entries) {
        if (e.keyword == "ENEMY1" || e.keyword == "ENEMY2") {
            const Extent &x = e.keyword == "ENEMY1" ? e1 : e2;
            const float bob = e.keyword == "ENEMY2" ? 15.0f : 0.0f;
            EXPECT_GT(e.x + x.minX, 110.0f + 20) << "an enemy on the opening screen at x " << e.x;
            EXPECT_LE(e.y + x.maxY + bob, 80.0f) << e.keyword << " at x " << e.x;
            EXPECT_GE(e.y + x.minY - bob, -80.0f) << e.keyword << " at x " << e.x;
            EXPECT_FLOAT_EQ(e.z, -100.0f);
        } else if (e.keyword == "BOSS1") {
            EXPECT_GE(e.x + boss.minX, level.stop - 110) << "the boss is in view when the camera stops";
            EXPECT_LE(e.x + boss.maxX, level.stop + 110) << "the boss is in view when the camera stops";
        } else {
            EXPECT_LT(e.z, -120.0f) << "buildings stand behind the flight path";
        }
    }
}

// Hard but fair: wherever enemies stand abreast, a gap is left that the taller ship fits
// through (mantas counted over their whole bob), so no wave forces a hit.
TEST(DataLevel, EveryFormationLeavesAGapATallShipFitsThrough)
{
    REQUIRE_DATA();
    const Level level = readLevel();
    ASSERT_TRUE(level.headerOk);
    const Extent e1 = extentOf("Enemy5.ms3d", 1.5f), e2 = extentOf("Enemy4UV.ms3d", 0.45f);
    const float shipHeight = std::max(extentOf("Player.ms3d", 1.2f).height(), extentOf("HeavyFighter.ms3d", 1.3f).height());
    float narrowest = 1e9f, at = 0;
    for (float x = 0; x < level.stop + 200; x += 4) {
        std::vector<std::pair<float, float>> blocked;
        for (const LevelEntry &e : level.entries) {
            if ((e.keyword != "ENEMY1" && e.keyword != "ENEMY2") || std::fabs(e.x - x) > 12)
                continue;
            const Extent &ex = e.keyword == "ENEMY1" ? e1 : e2;
            const float bob = e.keyword == "ENEMY2" ? 15.0f : 0.0f;
            blocked.push_back({e.y + ex.minY - bob, e.y + ex.maxY + bob});
        }
        if (blocked.empty())
            continue;
        std::sort(blocked.begin(), blocked.end());
        float widest = 0, free = -80;
        for (const auto &[lo, hi] : blocked) {
            widest = std::max(widest, lo - free);
            free = std::max(free, hi);
        }
        widest = std::max(widest, 80 - free);
        if (widest < narrowest) {
            narrowest = widest;
            at = x;
        }
    }
    std::printf("narrowest passage: %.1f units at x %.0f (ships are %.1f tall)\n", narrowest, at, shipHeight);
    EXPECT_GT(narrowest, shipHeight + 1) << "at x " << at;
}
