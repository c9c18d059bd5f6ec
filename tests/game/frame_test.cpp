// The frame, read back from the window: every HUD line where its coordinates put it, in its
// colour and format; the sky box the same wherever the camera stands; actors outside the view
// skipped by culling; the shields at the ships; and a frame with no game set up.
#include "game_scene.h"

#include "game/actor.h"
#include "game/level.h"
#include "game/scoreboard.h"
#include "game/task_test.h"
#include "graphics/backdrop.h"
#include "graphics/camera.h"
#include "tasks/scene.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace scene;

constexpr int width = window_width, height = window_height;

class Frame : public GameScene {
protected:
    void SetUp() override
    {
        GameScene::SetUp();
        if (HasFatalFailure())
            return;
        if (!ownTexture("data/font2.tga") || !ownTexture("data/Skymap.jpg"))
            GTEST_SKIP() << "the texture cache holds this font from an earlier window of the process; "
                            "run each test in its own process (ctest)";
        g_score = 0;
        g_level = 1;
        g_level_name = "TESTLAND";
        g_lifes = 5;
        g_rocket_count = 0;
        g_invincible = false;
        g_boss_energy = 0;
        gamestate = GAMESTATE_SCROLLING;
    }
    void TearDown() override
    {
        if (task_video_isShowFPS())
            task_video_toggleShowFPS();
        if (task_video_isWireframe())
            task_video_toggleDrawWireframe();
        if (!task_video_isFrustumCulling())
            task_video_toggleFrustumCulling();
        task_video_resume();
        GameScene::TearDown();
    }

    static int brightest(const Rgb &p) { return std::max({p.r, p.g, p.b}); }
    // The largest difference of any colour between two pixels, and of any pixel between two frames.
    static int pixelDifference(const Rgb &a, const Rgb &b)
    {
        return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
    static int worstDifference(const std::vector<Rgb> &a, const std::vector<Rgb> &b)
    {
        int worst = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            worst = std::max(worst, pixelDifference(a[i], b[i]));
        return worst;
    }
    // The summed difference of the three colours between two pixels.
    static int distance(const Rgb &a, const Rgb &b)
    {
        return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    }

    // The character whose glyph covers the pixel, or '\0' where nothing is drawn. A glyph's own
    // pixels (not overlapped by its neighbours) are 4 to 11 from its pen position.
    static char glyphAt(int x, int y)
    {
        const int value = brightest(test_readPixel(x, y));
        if (value < glyph_alpha_base / 2)
            return '\0';
        const int cell = static_cast<int>(std::lround((value - glyph_alpha_base) / 2.0));
        return static_cast<char>(cell + 32);
    }

    // Reads n characters of a line whose first glyph has its top-left corner at (x, y).
    static std::string textAt(int x, int y, size_t n)
    {
        std::string text;
        for (size_t i = 0; i < n; ++i) {
            const char c = glyphAt(x + 12 * static_cast<int>(i) + 8, y + 8);
            text += c == '\0' ? '_' : c;
        }
        return text;
    }

    // The line is there with exactly this text and nothing drawn just before or after it, and
    // its colour is (r, g, b) as a proportion of its brightest channel.
    static void expectLine(const char *what, int x, int y, const std::string &text, float r, float g, float b)
    {
        SCOPED_TRACE(what);
        EXPECT_EQ(textAt(x, y, text.size()), text) << "at (" << x << ", " << y << ")";
        EXPECT_EQ(glyphAt(x - 1, y + 8), '\0') << "nothing left of the line";
        EXPECT_EQ(glyphAt(x + 12 * static_cast<int>(text.size() - 1) + 16, y + 8), '\0') << "nothing right of it";
        EXPECT_EQ(glyphAt(x + 8, y - 1), '\0') << "nothing above it";
        EXPECT_NE(glyphAt(x, y), '\0') << "its top-left pixel is drawn";
        const Rgb p = test_readPixel(x + 8, y + 8);
        const float top = static_cast<float>(brightest(p));
        EXPECT_NEAR(p.r / top, r, 0.03f);
        EXPECT_NEAR(p.g / top, g, 0.03f);
        EXPECT_NEAR(p.b / top, b, 0.03f);
    }

    static void expectNoLine(const char *what, int x, int y)
    {
        EXPECT_EQ(glyphAt(x + 8, y + 8), '\0') << what;
    }

    static std::string format(const char *fmt, int value)
    {
        char text[64];
        std::snprintf(text, sizeof text, fmt, value);
        return text;
    }

    // Where a world point at depth z appears from the game camera at (cx, 0, 100) looking along -z.
    static std::pair<int, int> project(float x, float y, float z, float cx = 0)
    {
        const double perUnit = (height / 2.0) / ((100.0 - z) * std::tan(22.5 * M_PI / 180.0));
        return {static_cast<int>(std::lround(width / 2.0 + (x - cx) * perUnit)),
                static_cast<int>(std::lround(height / 2.0 - y * perUnit))};
    }

    // The culling tests look along -z from (0, 0, 100) at (70, 0, -100), inside the view's right
    // half: where that point is drawn, and its colour in a frame with no actor.
    struct CullSample {
        std::pair<int, int> at;
        Rgb empty;
        Rgb now() const { return test_readPixel(at.first, at.second); }
    };
    static CullSample emptyCullSample()
    {
        g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
        const auto at = project(70, 0, -100);
        task_video_drawFrame();
        return {at, test_readPixel(at.first, at.second)};
    }

    static std::vector<Rgb> readFrame()
    {
        std::vector<Rgb> pixels;
        for (int y = 0; y < height; y += 2)
            for (int x = 0; x < width; x += 2)
                pixels.push_back(test_readPixel(x, y));
        return pixels;
    }
};

TEST_F(Frame, EveryHudLineStandsWhereItsCoordinatesSay)
{
    g_score = 1234567;
    g_level = 3;
    g_level_name = "METROPOLIS"; // ten characters: 320 - 60
    g_lifes = 4;
    g_rocket_count = 7;
    g_invincible = true;
    g_boss_energy = 2470;
    gamestate = GAMESTATE_BOSS;
    g_framesPerSecond = 87;
    task_video_toggleShowFPS();
    task_video_drawFrame();
    saveScreenshot("frame-hud-boss");

    expectLine("score", 448, 10, format("SCORE: %8d", g_score), 0.5f, 1, 0.5f);
    expectLine("level", 266, 10, "LEVEL:  3", 0.5f, 1, 0.5f);
    expectLine("level name", 260, 32, "METROPOLIS", 0.5f, 1, 0.5f);
    expectLine("lives", 12, 10, "LIFES:  4", 0.5f, 1, 0.5f);
    expectLine("rockets", 12, 32, "Rockets:  7", 1, 0, 0);
    expectLine("frame rate", 12, height - 32, "FPS: 87", 1, 1, 0.5f);
    expectLine("invincibility", width - 264, height - 32, "I'M AN ATOMIC MUTANT!", 1, 0, 0);
    expectLine("boss energy", width - 132, 32, "BOSS: 2470", 1, 0, 0);
    expectNoLine("no pause line", width / 2 - 66, height / 2);
    expectNoLine("no won line", width / 2 - 102, height / 2);
    expectNoLine("no game-over line", width / 2 - 54, height / 2 - 32);
}

TEST_F(Frame, ConditionalLinesShowOnlyInTheirStates)
{
    task_video_drawFrame();
    expectLine("score", 448, 10, "SCORE:        0", 0.5f, 1, 0.5f);
    expectLine("lives", 12, 10, "LIFES:  5", 0.5f, 1, 0.5f);
    expectLine("level name", 320 - 6 * 8, 32, "TESTLAND", 0.5f, 1, 0.5f);
    expectNoLine("no rockets line at 0", 12, 32);
    expectNoLine("no frame rate line", 12, height - 32);
    expectNoLine("no invincibility line", width - 264, height - 32);
    expectNoLine("no boss line while scrolling", width - 132, 32);
    expectNoLine("no won line while scrolling", width / 2 - 102, height / 2);
    expectNoLine("no game-over line while scrolling", width / 2 - 54, height / 2 - 32);

    gamestate = GAMESTATE_WON;
    task_video_drawFrame();
    saveScreenshot("frame-hud-won");
    expectLine("won", 218, 240, "A WINNER IS YOU!!", 1, 0.5f, 0.5f);
    expectNoLine("no boss line once won", width - 132, 32);
    expectNoLine("no extra life after the last level", 260, 304);
    g_campaign_levels = 2;
    task_video_drawFrame();
    expectLine("extra life", 260, 304, "EXTRA LIFE", 1, 0.5f, 0.5f);

    gamestate = GAMESTATE_GAMEOVER;
    task_video_drawFrame();
    saveScreenshot("frame-hud-gameover");
    expectLine("game over", 266, 208, "GAME OVER", 1, 0.5f, 0.5f);
    expectLine("restart hint", 170, 272, "Press <SPACE> to restart.", 1, 0.5f, 0.5f);
    expectNoLine("no won line after a game over", width / 2 - 102, height / 2);
    expectNoLine("nothing to continue in level 1", 92, 304);
    g_campaign_level = 2;
    g_level = 2;
    task_video_drawFrame();
    expectLine("continue hint", 92, 304, "Press <RETURN> to continue at level 2.", 1, 0.5f, 0.5f);
    g_campaign_level = 1;
    g_campaign_levels = 1;

    gamestate = GAMESTATE_READY;
    task_video_suspend();
    task_video_toggleDrawWireframe(); // the HUD is drawn filled all the same
    task_video_drawFrame();
    saveScreenshot("frame-hud-paused");
    expectLine("pause", 254, 240, "GAME PAUSED", 1, 0.5f, 0.5f);
    expectNoLine("no game-over line when ready", width / 2 - 54, height / 2 - 32);
    task_video_resume();
    task_video_drawFrame();
    expectNoLine("no pause line after resuming", 254, 240);
}

// Once a run is over the table of best runs stands between the level's name and "GAME OVER", the
// run just ended marked in yellow, with the entry of its initials under the screen's hints; while
// playing, only the best score shows, under the score.
TEST_F(Frame, TheTableOfBestRunsShowsOnceTheRunIsOverWithTheLastRunMarked)
{
    const std::string share = dir + "/share";
    setenv("XDG_DATA_HOME", share.c_str(), 1);
    ScoresTable earlier = scores_load("table");
    ScoresRun best = scores_newRun(5000, 3, "NIGHTFALL");
    best.initials = "ZED";
    ASSERT_TRUE(scores_save(earlier, best));
    scoreboard_start("table");
    ASSERT_EQ(scoreboard_table().runs.size(), 1u);
    g_level = 2;
    g_level_name = "SUNSET";
    task_video_drawFrame();
    expectLine("best", width - 192, 54, "BEST:      5000", 0.5f, 1, 0.5f);
    expectNoLine("no table while playing", width / 2 - 264, 48);

    g_score = 700;
    scoreboard_runEnded(g_score, g_level, g_level_name);
    gamestate = GAMESTATE_GAMEOVER;
    scoreboard_control(SCOREBOARD_UP);
    task_video_drawFrame();
    saveScreenshot("frame-hud-table");
    EXPECT_EQ(textAt(width / 2 - 264, 48, 30), " 1  ZED      5000   3 NIGHTFAL");
    EXPECT_EQ(textAt(width / 2 - 264, 64, 30), " 2            700   2 SUNSET  ");
    expectLine("entry", width / 2 - 162, height / 2 + 96, "NEW BEST RUN! INITIALS: B__", 1, 1, 0.5f);
    expectNoLine("no best line once the run is over", width - 60, 54); // right of the table
    expectNoLine("no third line", width / 2 - 264, 80);
    const Rgb marked = test_readPixel(width / 2 - 264 + 12 * 14 + 8, 64 + 8); // a digit of the score
    const Rgb other = test_readPixel(width / 2 - 264 + 12 * 14 + 8, 48 + 8);
    EXPECT_TRUE(marked.r == marked.g && marked.b * 3 < marked.r * 2) << "the marked line is yellow";
    EXPECT_TRUE(other.b == other.r && other.r * 3 < other.g * 2) << "the others green";

    scoreboard_stop();
    unsetenv("XDG_DATA_HOME");
}

TEST_F(Frame, AFrameBeforeAnyGameIsSetUpDrawsTheHudAndNoWorld)
{
    ASSERT_EQ(g_camera, nullptr);
    ASSERT_EQ(g_player, nullptr);
    task_video_tick(); // presents, as the game's own loop does
    task_video_drawFrame();
    EXPECT_EQ(brightest(test_readPixel(width / 2, height / 2)), 0) << "no sky without a camera";
    expectLine("score", 448, 10, "SCORE:        0", 0.5f, 1, 0.5f);

    // A camera but no ships yet: the sky, and no shields.
    g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
    g_player_shield = shield_new(1, 1, 1, 10);
    task_video_drawFrame();
    EXPECT_GT(brightest(test_readPixel(width / 2, height / 2)), 0);
}

TEST_F(Frame, TheSkyBoxLooksTheSameWhereverTheCameraStands)
{
    g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
    task_video_drawFrame();
    saveScreenshot("frame-sky");
    const std::vector<Rgb> before = readFrame();
    // The far face meets the ground 300 below the eye and 1500 ahead: 116 pixels below the centre.
    const Rgb sky = test_readPixel(width / 2, 350), ground = test_readPixel(width / 2, 362);
    EXPECT_GT(distance(sky, ground), 8) << "the horizon between sky and ground";

    camera_setPosition(g_camera, 1375, 0, -590, 1375, 0, -690, 0, 1, 0);
    task_video_drawFrame();
    const std::vector<Rgb> after = readFrame();
    int differing = 0;
    for (size_t i = 0; i < before.size(); ++i)
        differing += pixelDifference(before[i], after[i]) > 6;
    EXPECT_LT(differing, static_cast<int>(before.size() / 200)) << "pixels changed by moving the camera";

    // Turning the camera does change the picture: the comparison is not blind.
    camera_setPosition(g_camera, 0, 0, 100, 100, 0, 100, 0, 1, 0);
    task_video_drawFrame();
    const std::vector<Rgb> turned = readFrame();
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i)
        changed += std::abs(before[i].r - turned[i].r) + std::abs(before[i].g - turned[i].g) > 12;
    EXPECT_GT(changed, static_cast<int>(before.size() / 20));
}

TEST_F(Frame, TheSkyFromItsPictureIsTheSkyTheBoxDraws)
{
    g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
    std::vector<Rgb> box;
    for (const bool framebuffers : {true, false}) {
        SCOPED_TRACE(framebuffers ? "copied between framebuffers" : "drawn as a textured quad");
        backdrop_useFramebuffers(framebuffers);
        task_video_resize(width, height); // a new mode forgets the picture
        camera_setPosition(g_camera, 0, 0, 100, 0, 0, 0, 0, 1, 0);
        task_video_drawFrame(); // the box: the view is new
        box = readFrame();
        task_video_drawFrame(); // the box again, and its picture taken
        camera_strafe(g_camera, 1, 250);
        task_video_drawFrame(); // the picture, wherever the camera has flown
        EXPECT_LE(worstDifference(box, readFrame()), 1) << "pixel for pixel";
    }
    backdrop_useFramebuffers(true);

    // A window of another size gets a picture of its own size, not the old one stretched.
    task_video_resize(320, 240);
    const auto drawAt = [](int w, int h) {
        task_video_drawFrame();
        std::vector<Rgb> pixels;
        for (int y = 0; y < h; y += 2)
            for (int x = 0; x < w; x += 2)
                pixels.push_back(test_readPixel(x, y));
        return pixels;
    };
    const std::vector<Rgb> smallBox = drawAt(320, 240);
    drawAt(320, 240);
    EXPECT_LE(worstDifference(smallBox, drawAt(320, 240)), 1) << "at 320 x 240";
    task_video_resize(width, height);

    // Turning the camera shows the box's new view, not the old picture.
    task_video_drawFrame();
    task_video_drawFrame();
    camera_setPosition(g_camera, 0, 0, 100, 100, 0, 100, 0, 1, 0);
    task_video_drawFrame();
    EXPECT_GT(worstDifference(box, readFrame()), 12);
}

// Whatever changes how the sky box looks shows in the very next frame and is taken into a new
// picture, which then shows the sky as the box draws it. A new level or video mode that leaves
// the sky as it was still gets a picture of its own (a new context, or a level's own sky, would
// otherwise show the old one), so for those only the count of pictures tells.
TEST_F(Frame, TheSkysPictureIsTakenAgainAfterEveryChangeToHowTheSkyLooks)
{
    g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
    const auto settle = [] {
        for (int i = 0; i < 3; ++i)
            task_video_drawFrame();
    };
    settle();
    const unsigned steady = scene_skyPictures();
    settle();
    EXPECT_EQ(scene_skyPictures(), steady) << "an unchanged sky is not taken again";

    const auto expectRetaken = [&](const char *cause, const std::function<void()> &change, bool looksNew) {
        SCOPED_TRACE(cause);
        settle();
        const std::vector<Rgb> before = readFrame();
        const unsigned taken = scene_skyPictures();
        change();
        task_video_drawFrame();
        const std::vector<Rgb> box = readFrame();
        if (looksNew) {
            EXPECT_GT(worstDifference(before, box), 12) << "the change shows at once";
        }
        task_video_drawFrame();
        task_video_drawFrame();
        EXPECT_EQ(scene_skyPictures(), taken + 1);
        EXPECT_LE(worstDifference(box, readFrame()), 1) << "the new picture is the sky the box draws";
    };
    expectRetaken("a new level of the same look", [] { level_apply("next.map", LevelRecord{}); }, false);
    // The fog's and the lights' colours come from the look alone: each of its colours counts.
    expectRetaken("the air's red", [] { g_level_look.r = 0.9f; }, true);
    expectRetaken("the air's green", [] { g_level_look.g = 0.2f; }, true);
    expectRetaken("the air's blue", [] { g_level_look.b = 0.1f; }, true);
    expectRetaken("the level's look", [] { g_level_look = {0.1f, 0.1f, 0.4f}; }, true);
    expectRetaken("a new video mode of the same size", [] { task_video_resize(width, height); }, false);
    g_level_look = level_defaultLook;
}

// Two quads side by side, each a group of its own with its own material and image.
std::string twoImageModel(const std::string &left, const std::string &right)
{
    model m;
    m.vertices = {ms3d_vertex(-10, 5, 0), ms3d_vertex(-10, -5, 0), ms3d_vertex(0, -5, 0), ms3d_vertex(0, 5, 0),
                  ms3d_vertex(0, 5, 0),   ms3d_vertex(0, -5, 0),   ms3d_vertex(10, -5, 0), ms3d_vertex(10, 5, 0)};
    const float lower[6] = {0, 0, 0, 1, 1, 1}, upper[6] = {0, 0, 1, 1, 1, 0};
    m.triangles = {ms3d_triangle(0, 1, 2, lower), ms3d_triangle(0, 2, 3, upper), ms3d_triangle(4, 5, 6, lower),
                   ms3d_triangle(4, 6, 7, upper)};
    model_group l{}, r{};
    l.name = "left", l.triangleIndices = {0, 1}, l.materialIndex = 0;
    r.name = "right", r.triangleIndices = {2, 3}, r.materialIndex = 1;
    m.groups = {l, r};
    m.materials = {ms3d_material(1, 1, 1, left), ms3d_material(1, 1, 1, right)};
    return ms3d_write(m);
}

TEST_F(Frame, EveryGroupShowsItsOwnImageWhateverOrderTheFrameDrawsThemIn)
{
    g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
    const auto plain = [](uint8_t r, uint8_t g, uint8_t b) {
        return bmpImage(8, 8, [=](int, int) { return std::array<uint8_t, 3>{r, g, b}; });
    };
    test_writeFile(dir + "/data/red.bmp", plain(255, 0, 0));
    test_writeFile(dir + "/data/blue.bmp", plain(0, 0, 255));
    test_writeFile(dir + "/data/redblue.ms3d", twoImageModel("data/red.bmp", "data/blue.bmp"));
    test_writeFile(dir + "/data/bluered.ms3d", twoImageModel("data/blue.bmp", "data/red.bmp"));
    // Interleaved in the list, so drawing by image reorders the groups of both models.
    const std::vector<std::pair<const char *, float>> placed = {
        {"data/redblue.ms3d", -60}, {"data/bluered.ms3d", -20}, {"data/redblue.ms3d", 20}, {"data/bluered.ms3d", 60}};
    for (const auto &[file, x] : placed) {
        actor *a = actor_new(ACTOR_BUILDING1, x, 0, -100);
        actor_setModel(a, file);
        ASSERT_NE(a->model, nullptr);
    }
    task_video_drawFrame();
    saveScreenshot("frame-groups-by-image");
    for (const auto &[file, x] : placed) {
        const bool redLeft = std::string(file) == "data/redblue.ms3d";
        for (const float side : {-5.0f, 5.0f}) {
            const auto at = project(x + side, 0, -100);
            const Rgb p = test_readPixel(at.first, at.second);
            const bool red = (side < 0) == redLeft;
            SCOPED_TRACE(std::string(file) + " at " + std::to_string(x + side));
            EXPECT_GT(red ? p.r : p.b, 3 * (red ? p.b : p.r) + 20) << p.r << " " << p.g << " " << p.b;
        }
    }
}

TEST_F(Frame, CullingSkipsActorsWhoseSphereLiesOutsideTheView)
{
    // A box of radius 7.07, drawn twenty times larger: its sphere lies outside the right edge of
    // the view (110.5 units from the centre at this depth) while its drawing reaches far inside.
    test_writeFile(dir + "/data/cullbox.ms3d", boxModel({-5, -5, 5, 5}, 1, 1, 1));
    const CullSample sample = emptyCullSample();
    const Rgb &empty = sample.empty;

    actor *outside = actor_new(ACTOR_NONE, 135, 0, -100);
    actor_setModel(outside, "data/cullbox.ms3d");
    actor_setScale(outside, 20);
    ASSERT_NE(outside->model, nullptr);
    EXPECT_NEAR(outside->model->radius, 7.07f, 0.01f);
    task_video_drawFrame();
    const Rgb culled = sample.now();
    EXPECT_EQ(std::make_tuple(culled.r, culled.g, culled.b), std::make_tuple(empty.r, empty.g, empty.b));

    task_video_toggleFrustumCulling();
    task_video_drawFrame();
    saveScreenshot("frame-culling-off");
    const Rgb drawn = sample.now();
    EXPECT_GT(distance(drawn, empty), 60) << "drawn when culling is off";

    // An actor whose sphere reaches into the view is drawn with culling on.
    task_video_toggleFrustumCulling();
    actor_setPosition(outside, 70, 0, -100);
    actor_setScale(outside, 1);
    task_video_drawFrame();
    const Rgb inside = sample.now();
    EXPECT_GT(distance(inside, empty), 60);
}

// A tall, thin board beside the view: its sphere (radius 100) reaches 60 units into the view at
// this depth, its walls stay 38 outside. Laid on its side it reaches in, and must be drawn.
TEST_F(Frame, CullingTriesTheBoxAsDrawnOnceTheSphereLetsAnActorThrough)
{
    test_writeFile(dir + "/data/tallboard.ms3d", boxModel({-2, -100, 2, 100}, 1, 1, 1));
    const CullSample sample = emptyCullSample();

    actor *board = actor_new(ACTOR_NONE, 150, 0, -100);
    actor_setModel(board, "data/tallboard.ms3d");
    ASSERT_NE(board->model, nullptr);
    task_video_drawFrame();
    EXPECT_EQ(scene_actorsDrawn(), 0) << "a box wholly outside the view is not drawn";

    board->rotation->z = 90;
    task_video_drawFrame();
    EXPECT_EQ(scene_actorsDrawn(), 1);
    EXPECT_GT(distance(sample.now(), sample.empty), 60) << "the box is turned as it is drawn";
}

TEST_F(Frame, AnActorLeavesTheMatrixStackAsItFoundIt)
{
    g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
    test_writeFile(dir + "/data/stackbox.ms3d", boxModel({-5, -5, 5, 5}, 1, 1, 1));
    actor *bare = actor_new(ACTOR_NONE, 0, 0, -100);
    actor *boxed = actor_new(ACTOR_NONE, 0, 0, -100);
    actor_setModel(boxed, "data/stackbox.ms3d");
    boxed->rotation->x = 30;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    std::array<float, 16> before{}, after{};
    glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
    for (actor *a : {bare, boxed}) {
        scene_drawActor(a);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
        glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
        EXPECT_EQ(depthAfter, depthBefore);
        EXPECT_EQ(after, before);
    }
}

// In the game of two ships and in the game of one.
TEST_F(Frame, AnActiveShieldShowsAroundItsShip)
{
    for (const int count : {2, 1}) {
        ship_count = count;
        ASSERT_EQ(task_test_start(), 1);
        for (int n = 0; n < count; ++n) {
            const actor *ship = task_test_ship(n);
            Shield *shield = g_ships[n].shield.get();
            // Above the ship's box but inside the shield's square.
            const auto at = project(ship->position->x, ship->position->y + 9, -100);
            task_video_drawFrame();
            const Rgb off = test_readPixel(at.first, at.second);
            shield->active = true;
            task_video_drawFrame();
            saveScreenshot("frame-shield");
            const Rgb on = test_readPixel(at.first, at.second);
            EXPECT_GT(on.r + on.g + on.b, off.r + off.g + off.b + 60) << count << " ships, ship " << n;
            shield->active = false;
        }
    }
}

} // namespace
