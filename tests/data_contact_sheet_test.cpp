// The generated data as the game shows it: a contact sheet drawn through the video task's
// window and GL state (its lights, fog and projection), with the models, sky box, sprites and
// font drawn the way the game's drawing code does. It is written to
// screenshots/data_contact_sheet.png for people to look at, and each model is checked to
// come out lit: neither flat black nor blown out.
#include "graphics/particle.h"
#include "support/test_ms3d.h"
#include "support/test_support.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

constexpr int sheetWidth = 1280, sheetHeight = 1024;
constexpr GLenum bgr = 0x80E0, bgra = 0x80E1; // GL_BGR_EXT, GL_BGRA_EXT

std::string runDir;

// One image in the two variants the game draws with: nearest-filtered with its alpha
// (sprites, font, sky) and mipmapped without alpha (model skins).
struct Texture {
    GLuint nearest = 0, mipmapped = 0;
};

std::map<std::string, Texture> textureCache;

const Texture &texture_load(const std::string &name)
{
    const auto found = textureCache.find(name);
    if (found != textureCache.end())
        return found->second;
    Texture tex;
    SDL_Surface *surface = IMG_Load((runDir + "/" + name).c_str());
    if (surface != nullptr) {
        // As the game uploads: the decoded bytes as they lie, read as B, G, R (and A).
        const int bpp = surface->format->BytesPerPixel;
        const GLenum format = bpp == 4 ? bgra : bgr;
        glGenTextures(1, &tex.nearest);
        glBindTexture(GL_TEXTURE_2D, tex.nearest);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, bpp, surface->w, surface->h, 0, format, GL_UNSIGNED_BYTE, surface->pixels);
        glGenTextures(1, &tex.mipmapped);
        glBindTexture(GL_TEXTURE_2D, tex.mipmapped);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, surface->w, surface->h, format, GL_UNSIGNED_BYTE, surface->pixels);
        SDL_FreeSurface(surface);
    }
    return textureCache.emplace(name, tex).first->second;
}

struct Model {
    TestMs3d data;
    std::array<float, 3> min{}, max{};
};

std::map<std::string, Model> modelCache;

const Model &model_load(const std::string &file)
{
    const auto found = modelCache.find(file);
    if (found != modelCache.end())
        return found->second;
    Model m;
    m.data = test_parseMs3d(test_readFile(runDir + "/data/" + file));
    test_ms3dBounds(m.data, m.min, m.max);
    return modelCache.emplace(file, m).first->second;
}

// As the game's immediate drawing: per group the material, the texture (mipmapped variant)
// and the triangles with a normal and texture coordinate per corner.
void model_draw(const Model &m)
{
    for (const TestMs3dGroup &g : m.data.groups) {
        if (g.materialIndex < static_cast<int>(m.data.materials.size())) {
            const TestMs3dMaterial &mat = m.data.materials[static_cast<size_t>(g.materialIndex)];
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, mat.ambient.data());
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, mat.diffuse.data());
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, mat.specular.data());
            glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, mat.emissive.data());
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0);
            if (!mat.texture.empty())
                glBindTexture(GL_TEXTURE_2D, texture_load(mat.texture).mipmapped);
        }
        glBegin(GL_TRIANGLES);
        for (uint16_t index : g.triangles) {
            const TestMs3dTriangle &t = m.data.triangles[index];
            for (int k = 0; k < 3; ++k) {
                glNormal3fv(t.n[k].data());
                glTexCoord2f(t.s[k], t.t[k]);
                glVertex3fv(m.data.vertices[t.v[k]].data());
            }
        }
        glEnd();
    }
}

struct Actor {
    std::string model;
    float x, y, z, scale, bank;
};

void actor_draw(const Actor &a)
{
    glPushMatrix();
    glColor3f(1, 1, 1);
    glTranslatef(a.x, a.y, a.z);
    glRotatef(a.bank, 1, 0, 0);
    glScalef(a.scale, a.scale, a.scale);
    model_draw(model_load(a.model));
    glPopMatrix();
}

// The sky box centred on the eye, with the faces' texture coordinates of the game's frame.
void skybox_draw(float cx, float cy, float cz)
{
    const float w = 3000, h = 600, l = 3000;
    const float x0 = cx - w / 2, x1 = x0 + w, y0 = cy - h / 2, y1 = y0 + h, z0 = cz - l / 2, z1 = z0 + l;
    const GLuint sky = texture_load("data/Skymap.jpg").nearest, ground = texture_load("data/boden.jpg").nearest;
    struct Face {
        GLuint tex;
        float c[4][5];
    };
    const Face faces[6] = {
        {sky, {{1, 0, x1, y0, z0}, {1, 1, x1, y1, z0}, {0, 1, x0, y1, z0}, {0, 0, x0, y0, z0}}},
        {sky, {{1, 0, x0, y0, z1}, {1, 1, x0, y1, z1}, {0, 1, x1, y1, z1}, {0, 0, x1, y0, z1}}},
        {ground, {{0, 0, x0, y0, z0}, {1, 0, x0, y0, z1}, {1, 1, x1, y0, z1}, {0, 1, x1, y0, z0}}},
        {sky, {{1, 0, x0, y1, z1}, {1, 1, x0, y1, z0}, {0, 1, x1, y1, z0}, {0, 0, x1, y1, z1}}},
        {sky, {{1, 0, x0, y0, z0}, {1, 1, x0, y1, z0}, {0, 1, x0, y1, z1}, {0, 0, x0, y0, z1}}},
        {sky, {{1, 0, x1, y0, z1}, {1, 1, x1, y1, z1}, {0, 1, x1, y1, z0}, {0, 0, x1, y0, z0}}},
    };
    for (const Face &f : faces) {
        glBindTexture(GL_TEXTURE_2D, f.tex);
        glBegin(GL_QUADS);
        for (const auto &c : f.c) {
            glTexCoord2f(c[0], c[1]);
            glVertex3f(c[2], c[3], c[4]);
        }
        glEnd();
    }
}

// A sprite as the effects draw it: a square in the plane z, (0, 0) of the picture at its
// lower left corner, lighting off, depth writes off.
void sprite_draw(const std::string &image, float x, float y, float z, float s, float r, float g, float b, float a,
                 bool additive)
{
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(r, g, b, a);
    glBindTexture(GL_TEXTURE_2D, texture_load(image).nearest);
    particle_drawSquare(x, y, z, s);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glDepthMask(GL_TRUE);
}

// Text as the game's font prints it: 16-pixel glyph quads from the 16 x 16 cell sheet, the
// pen advancing 12 pixels, additive, in a y-down pixel projection of the current viewport.
void text_print(int x, int y, float r, float g, float b, const std::string &text, int set = 0)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], viewport[3], 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(r, g, b);
    glBindTexture(GL_TEXTURE_2D, texture_load("data/font2.tga").nearest);
    double pen = x;
    for (unsigned char ch : text) {
        const int cell = set == 0 ? ch - 32 : ch + 96;
        if (cell < 0 || cell > 255)
            continue;
        const float col = static_cast<float>(cell % 16), row = static_cast<float>(cell / 16);
        const float sl = col / 16, sr = col / 16 + 0.0625f;
        const float tt = 1 - row / 16 - 0.001f, tb = 1 - row / 16 - 0.0625f;
        glBegin(GL_QUADS);
        glTexCoord2f(sl, tb);
        glVertex2d(pen, y + 16);
        glTexCoord2f(sr, tb);
        glVertex2d(pen + 16, y + 16);
        glTexCoord2f(sr, tt);
        glVertex2d(pen + 16, y);
        glTexCoord2f(sl, tt);
        glVertex2d(pen, y);
        glEnd();
        pen += 12;
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}

// A panel of the sheet: viewport and perspective as the game sets them, given from the top left.
void panel_begin(int x, int y, int w, int h, float r, float g, float b)
{
    const int vy = sheetHeight - y - h;
    glViewport(x, vy, w, h);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, vy, w, h);
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(w) / h, 0.1f, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

struct LevelFile {
    float stop = 0;
    std::vector<Actor> actors;
};

LevelFile level_read()
{
    LevelFile level;
    std::istringstream in(test_readFile(runDir + "/data/level1.map"));
    std::string word, name;
    int number = 0;
    in >> word >> number >> name >> word >> level.stop;
    std::string keyword;
    float x, y, z;
    const std::map<std::string, std::pair<std::string, float>> kinds = {
        {"ENEMY1", {"Enemy5.ms3d", 1.5f}},       {"ENEMY2", {"Enemy4UV.ms3d", 0.45f}},
        {"BOSS1", {"Enemy3UV.ms3d", 2.3f}},      {"BUILDING1", {"Building1.ms3d", 1.0f}},
        {"BUILDING2", {"Building2UV.ms3d", 1.0f}}};
    while (in >> keyword >> x >> y >> z) {
        const auto kind = kinds.find(keyword);
        if (kind != kinds.end())
            level.actors.push_back({kind->second.first, x, y, z, kind->second.second, 0});
    }
    return level;
}

// One frame of play at camera x, as the game draws it: sky box, actors (newest first, the
// first player last), shields, explosions, particles, HUD. Drawn twice so that the sky box
// sees the state the previous frame left, as it does in the game.
void scene_draw(int px, int py, int w, int h, float cx, const std::vector<Actor> &level,
                const std::vector<Actor> &extras, const std::vector<std::string> &hud, bool bossFight)
{
    for (int pass = 0; pass < 2; ++pass) {
        panel_begin(px, py, w, h, 0, 0, 0);
        glEnable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        gluLookAt(cx, 0, 100, cx, 0, 0, 0, 1, 0);
        skybox_draw(cx, 0, 100);
        for (auto it = extras.rbegin(); it != extras.rend(); ++it)
            actor_draw(*it);
        for (auto it = level.rbegin(); it != level.rend(); ++it)
            if (std::fabs(it->x - cx) < 500)
                actor_draw(*it);
        actor_draw({"HeavyFighter.ms3d", cx - 70, -10, -100, 1.3f, 20});
        actor_draw({"Player.ms3d", cx - 55, 30, -100, 1.2f, 0});
    }
    const Model &heavy = model_load("HeavyFighter.ms3d");
    sprite_draw("data/shield2.png", cx - 70, -10, -100, heavy.max[0] * 1.3f, 0.2f, 0.4f, 1.0f, 0.8f, true);
    if (bossFight) {
        sprite_draw("data/explosion5.png", cx + 20, -40, -100, 34, 0.1f, 0.5f, 0.9f, 1.1f, true);
        sprite_draw("data/explosion2.png", cx + 40, 36, -100, 15, 1.0f, 0.4f, 0.0f, 0.9f, true);
    } else {
        sprite_draw("data/explosion2.png", cx + 35, 22, -100, 15, 1.0f, 0.4f, 0.0f, 1.0f, true);
        sprite_draw("data/explosion4.png", cx + 35, 22, -100, 10, 0.7f, 1.0f, 0.0f, 0.8f, true);
        sprite_draw("data/explosion4.png", cx - 10, -30, -100, 5, 0.2f, 0.4f, 1.0f, 1.0f, true);
    }
    // The first enemies' trails: particles streaming right from behind each enemy.
    uint32_t seed = 12345;
    auto random = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f;
    };
    for (const Actor &a : level) {
        if (a.model != "Enemy5.ms3d" || std::fabs(a.x - cx) > 130)
            continue;
        const float tail = a.x + model_load(a.model).max[0] + 8;
        for (int k = 0; k < 12; ++k) {
            const float life = random();
            sprite_draw("data/particle3.png", tail + (1 - life) * 40 + random() * 3, a.y + (random() - 0.5f) * 6, a.z, 1.3f,
                        0.5f, 0.5f, 1.0f, life, false);
        }
    }
    const int half = w / 2;
    text_print(w - 192, 10, 0.5f, 1, 0.5f, hud[0]);
    text_print(half - 54, 10, 0.5f, 1, 0.5f, hud[1]);
    text_print(half - 6 * static_cast<int>(hud[2].size()), 32, 0.5f, 1, 0.5f, hud[2]);
    text_print(12, 10, 0.5f, 1, 0.5f, hud[3]);
    text_print(12, 32, 1, 0, 0, hud[4]);
    if (hud.size() > 5)
        text_print(w - 132, 32, 1, 0, 0, hud[5]);
}

struct Cell {
    std::string model;
    float scale;
    int x, y, w, h;
};

const std::vector<std::pair<std::string, float>> galleryModels = {
    {"Player.ms3d", 1.2f},     {"HeavyFighter.ms3d", 1.3f},  {"Enemy5.ms3d", 1.5f},  {"Enemy4UV.ms3d", 0.45f},
    {"Enemy3UV.ms3d", 2.3f},   {"Building1.ms3d", 1.0f},     {"Building2UV.ms3d", 1.0f}, {"Shot.ms3d", 3.0f},
    {"RocketUV.ms3d", 1.5f},   {"EShot.ms3d", 3.0f},         {"EShot2.ms3d", 3.0f},  {"PowerUpFUV.ms3d", 1.4f},
    {"PowerUpRUV.ms3d", 1.4f}, {"test.ms3d", 1.5f}};

// Every model in a grid of cells, each seen by the game's camera from as far as fits it.
std::vector<Cell> gallery_draw(int x0, int y0, int w, int h, int columns)
{
    std::vector<Cell> cells;
    for (size_t i = 0; i < galleryModels.size(); ++i) {
        const Cell cell{galleryModels[i].first, galleryModels[i].second,
                        x0 + static_cast<int>(i % static_cast<size_t>(columns)) * (w + 1),
                        y0 + static_cast<int>(i / static_cast<size_t>(columns)) * (h + 2), w, h};
        cells.push_back(cell);
        panel_begin(cell.x, cell.y, w, h, 0.12f, 0.12f, 0.16f);
        const Model &m = model_load(cell.model);
        const float lx = (m.max[0] - m.min[0]) * cell.scale, ly = (m.max[1] - m.min[1]) * cell.scale;
        const float aspect = static_cast<float>(w) / static_cast<float>(h);
        const float distance = std::max(1.3f * lx / (2 * 0.4142f * aspect), 1.35f * ly / (2 * 0.4142f)) + 10;
        glEnable(GL_TEXTURE_2D);
        actor_draw({cell.model, 0, 0, -distance, cell.scale, 0});
        text_print(4, h - 18, 1, 1, 0.6f, cell.model.substr(0, cell.model.size() - 5));
    }
    return cells;
}

// The back buffer, top row first.
std::vector<unsigned char> sheet_read()
{
    std::vector<unsigned char> pixels(static_cast<size_t>(sheetWidth) * sheetHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, sheetWidth, sheetHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<unsigned char> topFirst(pixels.size());
    for (int row = 0; row < sheetHeight; ++row)
        std::copy_n(&pixels[static_cast<size_t>(sheetHeight - 1 - row) * sheetWidth * 3], sheetWidth * 3,
                    &topFirst[static_cast<size_t>(row) * sheetWidth * 3]);
    return topFirst;
}

void sheet_write(const std::vector<unsigned char> &pixels, const std::string &name)
{
    std::filesystem::create_directories("screenshots");
    const std::string path = "screenshots/" + name + ".png";
    EXPECT_NE(stbi_write_png(path.c_str(), sheetWidth, sheetHeight, 3, pixels.data(), sheetWidth * 3), 0);
    std::printf("written: %s\n", std::filesystem::absolute(path).c_str());
}

// Keeps the OpenGL driver loaded when the window closes. Unloaded, the driver's own
// bookkeeping would be reported as leaks from a library that can no longer be named, past
// the suppressions for the system's graphics libraries.
void keepGraphicsDriverLoaded()
{
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *) {
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "_dri.so") != nullptr)
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

float luminance(const unsigned char *p) { return (0.3f * p[0] + 0.59f * p[1] + 0.11f * p[2]) / 255.0f; }

} // namespace

TEST(DataContactSheet, EveryModelComesOutLitInTheGameLight)
{
    runDir = test_runDir();
    if (runDir.empty() || !std::filesystem::exists(runDir + "/data/level1.map"))
        GTEST_SKIP() << "no generated data in the run directory (build the trelvik-data target first)";
    ASSERT_TRUE(test_startVideo(sheetWidth, sheetHeight));
    keepGraphicsDriverLoaded();
    textureCache.clear();
    modelCache.clear();

    const LevelFile level = level_read();
    const float stop = level.stop;

    // Panel 1: the second wave of mantas and a weaving train, with shots flying.
    const float cxA = 2420, drift = cxA / 50;
    std::vector<Actor> moving;
    for (Actor a : level.actors) {
        if (a.model == "Enemy5.ms3d" || a.model == "Enemy4UV.ms3d")
            a.x -= drift;
        moving.push_back(a);
    }
    const std::vector<Actor> shotsA = {
        {"Shot.ms3d", cxA - 25, 30, -100, 3, 0},         {"Shot.ms3d", cxA + 20, 30, -100, 3, 0},
        {"Shot.ms3d", cxA - 40, -10, -100, 3, 0},        {"RocketUV.ms3d", cxA - 30, 42, -100, 1.5f, 0},
        {"RocketUV.ms3d", cxA - 30, 18, -100, 1.5f, 0},  {"EShot.ms3d", cxA + 10, 52, -100, 3, 0},
        {"EShot.ms3d", cxA - 20, -52, -100, 3, 0},       {"PowerUpFUV.ms3d", cxA - 80, 60, -100, 1.4f, 0},
        {"PowerUpRUV.ms3d", cxA - 20, -60, -100, 1.4f, 0}};
    scene_draw(0, 0, 800, 600, cxA, moving, shotsA,
               {"SCORE:    12500", "LEVEL:  1", "METROPOLIS", "LIFES:  5", "Rockets:  3"}, false);

    // Panel 2: the boss fight at the camera stop.
    std::vector<Actor> arena;
    for (Actor a : level.actors) {
        if (a.model == "Enemy3UV.ms3d")
            a.y = 14;
        arena.push_back(a);
    }
    const std::vector<Actor> shotsB = {{"EShot2.ms3d", stop - 10, 14, -100, 3, 0},
                                       {"EShot2.ms3d", stop - 60, -20, -100, 3, 0},
                                       {"Shot.ms3d", stop - 20, 30, -100, 3, 0},
                                       {"Shot.ms3d", stop + 5, -10, -100, 3, 0}};
    scene_draw(0, 604, 560, 420, stop, arena, shotsB,
               {"SCORE:    98000", "LEVEL:  1", "METROPOLIS", "LIFES:  2", "Rockets:  1", "BOSS: 1840"}, true);

    // The gallery: every model at its game scale, the camera pulled back to fit it.
    gallery_draw(804, 0, 158, 118, 3);

    // The font as the game prints it, both sets, and the effect sprites as they are tinted.
    panel_begin(564, 604, 716, 420, 0, 0, 0);
    for (int set = 0; set < 2; ++set)
        for (int line = 0; line < 4; ++line) {
            std::string text;
            for (int b = 32 + line * 32; b < 64 + line * 32; ++b)
                text += static_cast<char>(b);
            text_print(8, 8 + (set * 4 + line) * 18, 1, 1, 1, text, set);
        }
    text_print(8, 160, 0.5f, 1, 0.5f, "SCORE:    12500   LIFES:  5");
    text_print(8, 180, 1, 0.5f, 0.5f, "A WINNER IS YOU!!  GAME OVER");
    text_print(8, 200, 1, 0, 0, "I'M AN ATOMIC MUTANT!", 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 716, 0, 420, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    struct SpriteShow {
        const char *image;
        float r, g, b;
        bool additive;
    };
    const SpriteShow sprites[] = {{"data/particle3.png", 1, 1, 0, false},     {"data/explosion2.png", 1, 0.4f, 0, true},
                                  {"data/explosion4.png", 0.7f, 1, 0, true},  {"data/explosion4.png", 0.2f, 0.4f, 1, true},
                                  {"data/explosion5.png", 0.1f, 0.5f, 0.9f, true}, {"data/shield2.png", 0.2f, 0.4f, 1, true}};
    for (int i = 0; i < 6; ++i)
        sprite_draw(sprites[i].image, 60 + static_cast<float>(i) * 115, 90, 0, 52, sprites[i].r, sprites[i].g, sprites[i].b,
                    1, sprites[i].additive);
    glEnable(GL_DEPTH_TEST);


    sheet_write(sheet_read(), "data_contact_sheet");

    // The models up close, for a good look at each; the checks below read this sheet.
    glViewport(0, 0, sheetWidth, sheetHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const std::vector<Cell> cells = gallery_draw(0, 0, 319, 252, 4);
    const std::vector<unsigned char> topFirst = sheet_read();
    sheet_write(topFirst, "data_models_closeup");

    // Each gallery cell: the model covers a fair share of it, and its pixels are neither
    // black nor white on average.
    for (const Cell &cell : cells) {
        int covered = 0;
        float sum = 0;
        for (int y = cell.y; y < cell.y + cell.h - 24; ++y)
            for (int x = cell.x; x < cell.x + cell.w; ++x) {
                const unsigned char *p = &topFirst[(static_cast<size_t>(y) * sheetWidth + x) * 3];
                const bool background = std::abs(p[0] - 31) <= 2 && std::abs(p[1] - 31) <= 2 && std::abs(p[2] - 41) <= 2;
                if (!background) {
                    ++covered;
                    sum += luminance(p);
                }
            }
        const float share = static_cast<float>(covered) / static_cast<float>(cell.w * (cell.h - 24));
        const float mean = covered > 0 ? sum / static_cast<float>(covered) : 0;
        std::printf("%-18s covers %4.1f%% of its cell, mean brightness %.2f\n", cell.model.c_str(), share * 100, mean);
        EXPECT_GT(share, 0.015f) << cell.model;
        EXPECT_GT(mean, 0.15f) << cell.model << " comes out dark";
        EXPECT_LT(mean, 0.9f) << cell.model << " comes out blown out";
    }
    test_stopVideo();
}
