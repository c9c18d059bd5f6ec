// The game task: a new game, the ships' controls and the playing field's edges, firing and its
// intervals, the shared rocket stock, scrolling into the boss phase, and the command keys that
// act on the game, each in the game of two ships and in the game of one. Keys are held in SDL's
// key array and the clock is the test's own.
#include "game_scene.h"

#include "game/actor.h"
#include "game/scoreboard.h"
#include "game/task_test.h"
#include "graphics/camera.h"
#include "kernel/kernel.h"
#include "kernel/task.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <utility>

#include <algorithm>
#include <filesystem>

namespace {

using namespace scene;

// What differs between the games for the first ship: its fire keys, where a new game places it,
// and a new game's lives.
struct FirstShip {
    SDLKey bulletKey, rocketKey;
    float startY;
    int startLifes;
};
constexpr FirstShip two_players = {SDLK_p, SDLK_o, 30, 5};
constexpr FirstShip one_player = {SDLK_x, SDLK_a, 10, 3};

constexpr float frame = 0.1f;             // seconds per pass in these tests
constexpr float step = frame * 150.0f;    // a ship's move in one pass
constexpr float scroll = frame * 50.0f;   // the camera's move in one pass
constexpr float player_z = -100.0f;

int startOk() { return 1; }
void nothing() {}

// The game task in the game of ships() ships.
class GameTaskBase : public GameScene {
protected:
    const FirstShip &first() const { return ships() == 1 ? one_player : two_players; }
    // A started game in the boss phase: controls and firing work, nothing scrolls.
    void play(int state = GAMESTATE_BOSS)
    {
        ASSERT_EQ(task_test_start(), 1);
        gamestate = state;
        g_frameInterval = frame;
        now = 10000;
    }
    static float x(const actor *a) { return a->position->x; }
    static float y(const actor *a) { return a->position->y; }
    static float bank(const actor *a) { return a->rotation->x; }
};

// The rules both games share, played in each: two ships as in trelvik, one as in trelvik-solo.
class GameTask : public GameTaskBase, public ::testing::WithParamInterface<int> {
protected:
    int ships() const override { return GetParam(); }
};

std::string gameName(const ::testing::TestParamInfo<int> &info)
{
    return info.param == 1 ? "OnePlayer" : "TwoPlayers";
}

INSTANTIATE_TEST_SUITE_P(Games, GameTask, ::testing::Values(2, 1), gameName);

// The second ship's own rules.
class TwoPlayerGame : public GameTaskBase {};

// The lone ship's own rules.
class OnePlayerGame : public GameTaskBase {
protected:
    int ships() const override { return 1; }
};

TEST_P(GameTask, StartBeginsANewGameWithTheShipsInPlaceAndTheLevelRead)
{
    lastBullet = 77;
    ASSERT_EQ(task_test_start(), 1);
    EXPECT_EQ(gamestate, GAMESTATE_READY);
    EXPECT_EQ(g_lifes, first().startLifes);
    EXPECT_EQ(g_score, 0);
    EXPECT_EQ(g_level, 1);
    EXPECT_EQ(g_level_name, "TESTLAND");
    EXPECT_FLOAT_EQ(camera_max, 300);
    EXPECT_EQ(bulletInterval, 350);
    EXPECT_EQ(lastBullet, 77u) << "a new game leaves the fire clocks alone";
    ASSERT_NE(g_camera, nullptr);
    EXPECT_FLOAT_EQ(g_camera->position->z, 100);
    EXPECT_FLOAT_EQ(g_camera->view->x, 0);

    ASSERT_NE(g_player, nullptr);
    EXPECT_EQ(g_player->kind, ACTOR_PLAYER);
    EXPECT_FLOAT_EQ(x(g_player), 0);
    EXPECT_FLOAT_EQ(y(g_player), first().startY);
    EXPECT_FLOAT_EQ(g_player->position->z, -100);
    ASSERT_TRUE(g_player_shield);
    EXPECT_FALSE(g_player_shield->active);
    // The shield reaches the ship's right end. (Measured on the ship's model: run in one process
    // with other tests, the model cache may hold another test's ship under the same name.)
    ASSERT_NE(g_player->model, nullptr);
    EXPECT_FLOAT_EQ(g_player_shield->size, g_player->model->max.x * 1.2f);
    if (ships() == 1) {
        EXPECT_EQ(g_player2, nullptr);
        EXPECT_FALSE(g_player2_shield) << "no second ship, no second shield";
        EXPECT_EQ(actor_count(), 1);
        return;
    }
    ASSERT_NE(g_player2, nullptr);
    EXPECT_EQ(g_player2->kind, ACTOR_PLAYER2);
    EXPECT_FLOAT_EQ(x(g_player2), 0);
    EXPECT_FLOAT_EQ(y(g_player2), -10);
    ASSERT_TRUE(g_player2_shield);
    EXPECT_FALSE(g_player2_shield->active);
    ASSERT_NE(g_player2->model, nullptr);
    EXPECT_FLOAT_EQ(g_player2_shield->size, g_player2->model->max.x * 1.3f);
    EXPECT_EQ(actor_count(), 2) << "the sizing ships are gone; the level has no actors";
}

TEST_P(GameTask, NothingMovesOrFiresWhileReadyOrGameOver)
{
    for (const int state : {GAMESTATE_READY, GAMESTATE_GAMEOVER}) {
        play(state);
        hold({SDLK_LEFT, SDLK_UP, first().bulletKey, SDLK_d, SDLK_r, SDLK_a, SDLK_x});
        g_rocket_count = 3;
        for (int i = 0; i < 5; ++i) {
            now += 1000;
            task_test_tick();
        }
        EXPECT_FLOAT_EQ(x(g_player), 0);
        EXPECT_FLOAT_EQ(y(g_player), first().startY);
        EXPECT_FLOAT_EQ(g_camera->position->x, 0);
        EXPECT_TRUE(actorsOfKind(ACTOR_SHOT).empty());
        EXPECT_EQ(g_rocket_count, 3);
        EXPECT_EQ(gamestate, state);
        releaseAll();
    }
}

TEST_P(GameTask, ArrowKeysMoveTheFirstShipAndBankItWhileClimbingOrDiving)
{
    play();
    const float x0 = x(g_player), y0 = y(g_player);
    hold({SDLK_RIGHT});
    task_test_tick();
    EXPECT_FLOAT_EQ(x(g_player), x0 + step);
    EXPECT_FLOAT_EQ(bank(g_player), 0);
    releaseAll();
    hold({SDLK_LEFT});
    task_test_tick();
    EXPECT_FLOAT_EQ(x(g_player), x0);
    releaseAll();

    hold({SDLK_UP});
    task_test_tick();
    EXPECT_FLOAT_EQ(y(g_player), y0 + step);
    EXPECT_FLOAT_EQ(bank(g_player), -20);
    releaseAll();
    hold({SDLK_DOWN});
    task_test_tick();
    EXPECT_FLOAT_EQ(y(g_player), y0);
    EXPECT_FLOAT_EQ(bank(g_player), 20);
    releaseAll();
    task_test_tick();
    EXPECT_FLOAT_EQ(bank(g_player), 0) << "a level ship has no bank";
}

TEST_P(GameTask, OppositeKeysCancelAndTheLastBankTestedWins)
{
    play();
    const float x0 = x(g_player), y0 = y(g_player);
    hold({SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN});
    task_test_tick();
    EXPECT_FLOAT_EQ(x(g_player), x0);
    EXPECT_FLOAT_EQ(y(g_player), y0);
    if (ships() == 1) {
        EXPECT_FLOAT_EQ(bank(g_player), -20) << "the one-player ship tests up last";
    } else {
        EXPECT_FLOAT_EQ(bank(g_player), 20) << "down is tested last";
    }
}

TEST_F(TwoPlayerGame, TheSecondShipFliesWithDGRAndF)
{
    play();
    const float x0 = x(g_player2), y0 = y(g_player2);
    hold({SDLK_g, SDLK_r});
    task_test_tick();
    EXPECT_FLOAT_EQ(x(g_player2), x0 + step);
    EXPECT_FLOAT_EQ(y(g_player2), y0 + step);
    EXPECT_FLOAT_EQ(bank(g_player2), -20);
    EXPECT_FLOAT_EQ(x(g_player), 0) << "the first ship stays where it is";
    releaseAll();
    hold({SDLK_d, SDLK_f});
    task_test_tick();
    EXPECT_FLOAT_EQ(x(g_player2), x0);
    EXPECT_FLOAT_EQ(y(g_player2), y0);
    EXPECT_FLOAT_EQ(bank(g_player2), 20);
    hold({SDLK_r});
    task_test_tick();
    EXPECT_FLOAT_EQ(y(g_player2), y0) << "up and down together cancel";
    EXPECT_FLOAT_EQ(bank(g_player2), 20);
}
TEST_F(OnePlayerGame, TheOnePlayerShipIgnoresTheSecondPlayersKeys)
{
    play();
    hold({SDLK_d, SDLK_g, SDLK_r, SDLK_f});
    task_test_tick();
    EXPECT_FLOAT_EQ(x(g_player), 0);
    EXPECT_FLOAT_EQ(y(g_player), first().startY);
    EXPECT_EQ(actor_count(), 1);
}

TEST_P(GameTask, ShipsAreKeptOnThePlayingFieldAtEachEdge)
{
    play();
    // The field follows the camera: shift it to show the edges are relative.
    camera_setPosition(g_camera, 40, 7, 100, 40, 7, 0, 0, 1, 0);
    for (int n = 0; n < ships(); ++n) {
        actor *ship = task_test_ship(n);
        actor_setPosition(ship, -500, 0, -100);
        task_test_tick();
        EXPECT_NEAR(actor_leftEdge(ship), 40 - 110, 1e-3) << "left edge";
        actor_setPosition(ship, 500, 0, -100);
        task_test_tick();
        EXPECT_NEAR(actor_rightEdge(ship), 40 + 110, 1e-3) << "right edge";
        actor_setPosition(ship, 0, 500, -100);
        task_test_tick();
        EXPECT_NEAR(actor_topEdge(ship), 7 + 80, 1e-3) << "top edge";
        actor_setPosition(ship, 0, -500, -100);
        task_test_tick();
        EXPECT_NEAR(actor_bottomEdge(ship), 7 - 80, 1e-3) << "bottom edge";

        // A corner: both axes are set back in the same pass, and a ship inside stays put.
        actor_setPosition(ship, 900, -900, -100);
        task_test_tick();
        EXPECT_NEAR(actor_rightEdge(ship), 150, 1e-3);
        EXPECT_NEAR(actor_bottomEdge(ship), -73, 1e-3);
        actor_setPosition(ship, 41, 6, -100);
        task_test_tick();
        EXPECT_FLOAT_EQ(x(ship), 41);
        EXPECT_FLOAT_EQ(y(ship), 6);
    }
}

TEST_P(GameTask, AShipFlyingIntoTheEdgeStopsThereAndFiresFromInside)
{
    play();
    hold({SDLK_RIGHT, SDLK_UP, first().bulletKey});
    for (int i = 0; i < 40; ++i) {
        now += 1000;
        task_test_tick();
    }
    EXPECT_NEAR(actor_rightEdge(g_player), 110, 1e-3);
    EXPECT_NEAR(actor_topEdge(g_player), 80, 1e-3);
    // The newest shot was fired after the ship was set back onto the field.
    const std::vector<actor *> shots = actorsOfKind(ACTOR_SHOT);
    ASSERT_FALSE(shots.empty());
    EXPECT_NEAR(x(shots.front()), 110, 1e-3);
}

TEST_P(GameTask, AHeldFireKeyFiresWhenStrictlyMoreThanTheIntervalHasPassed)
{
    play();
    g_frameInterval = 0; // shots stay where they were fired, so they can be counted
    lastBullet = 0;
    now = 1000;
    hold({first().bulletKey});
    task_test_tick();
    std::vector<actor *> shots = actorsOfKind(ACTOR_SHOT);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(lastBullet, 1000u);
    // From the ship's right edge, at its height and depth.
    EXPECT_FLOAT_EQ(x(shots[0]), actor_rightEdge(g_player));
    EXPECT_FLOAT_EQ(y(shots[0]), y(g_player));
    EXPECT_FLOAT_EQ(shots[0]->position->z, -100);

    now = 1350; // exactly the interval: not yet
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 1u);
    now = 1351;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 2u);
    EXPECT_EQ(lastBullet, 1351u);

    bulletInterval = 150; // after the fire power-ups
    now = 1501;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 2u);
    now = 1502;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 3u);

    releaseAll();
    now = 9000;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 3u) << "nothing fires without the key";
}

TEST_P(GameTask, TheFireIntervalHoldsAcrossTheClocksWrap)
{
    // The millisecond clock wraps after 49.7 days; the interval is the time passed since the
    // last shot, on either side of the wrap.
    play();
    g_frameInterval = 0;
    lastBullet = 0xFFFFFF00u;
    hold({first().bulletKey});
    now = 0xFFFFFF10u;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 0u) << "16 ms after a shot is too soon";
    now = 0x5Eu; // 350 ms after the shot
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 0u);
    now = 0x5Fu;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 1u);
}

TEST_F(TwoPlayerGame, EachShipHasItsOwnBulletClock)
{
    play();
    lastBullet = 0;
    lastBullet2 = 0;
    now = 1000;
    hold({SDLK_p});
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 1u);
    hold({SDLK_a});
    now = 1001;
    task_test_tick();
    const std::vector<actor *> shots = actorsOfKind(ACTOR_SHOT);
    ASSERT_EQ(shots.size(), 2u) << "the second ship fires although the first just did";
    EXPECT_EQ(lastBullet2, 1001u);
    EXPECT_EQ(lastBullet, 1000u);
    EXPECT_FLOAT_EQ(x(shots.front()), actor_rightEdge(g_player2));
    EXPECT_FLOAT_EQ(y(shots.front()), y(g_player2));
}

TEST_P(GameTask, RocketsFireInPairsFromTheShipsEdgesAndUseTheStock)
{
    play();
    lastRocket = 0;
    now = 1000;
    hold({first().rocketKey});
    task_test_tick();
    EXPECT_TRUE(actorsOfKind(ACTOR_ROCKET_UP).empty()) << "no rockets in stock";
    EXPECT_EQ(lastRocket, 0u);

    g_rocket_count = 2;
    task_test_tick();
    std::vector<actor *> up = actorsOfKind(ACTOR_ROCKET_UP), down = actorsOfKind(ACTOR_ROCKET_DOWN);
    ASSERT_EQ(up.size(), 1u);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(g_rocket_count, 1);
    EXPECT_FLOAT_EQ(x(up[0]), x(g_player));
    EXPECT_FLOAT_EQ(y(up[0]), actor_topEdge(g_player));
    EXPECT_FLOAT_EQ(x(down[0]), x(g_player));
    EXPECT_FLOAT_EQ(y(down[0]), actor_bottomEdge(g_player));
    EXPECT_TRUE(actorsOfKind(ACTOR_SHOT).empty()) << "the rocket key fires no bullet";

    now = 1500;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_ROCKET_UP).size(), 1u) << "500 ms is not more than the interval";
    now = 1501;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_ROCKET_UP).size(), 2u);
    EXPECT_EQ(g_rocket_count, 0);
    now = 5000;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_ROCKET_UP).size(), 2u) << "the stock is empty";
}

TEST_F(TwoPlayerGame, BothShipsShareTheRocketStockAndTheRocketClock)
{
    play();
    lastRocket = 0;
    now = 1000;
    g_rocket_count = 1;
    hold({SDLK_o, SDLK_x});
    task_test_tick();
    ASSERT_EQ(actorsOfKind(ACTOR_ROCKET_UP).size(), 1u) << "one pair for the one rocket";
    EXPECT_FLOAT_EQ(x(actorsOfKind(ACTOR_ROCKET_UP)[0]), x(g_player)) << "the first ship comes first";
    EXPECT_EQ(g_rocket_count, 0);

    g_rocket_count = 5;
    releaseAll();
    hold({SDLK_x});
    now = 1500;
    task_test_tick();
    EXPECT_EQ(actorsOfKind(ACTOR_ROCKET_UP).size(), 1u) << "the second ship waits for the first's clock";
    now = 1501;
    task_test_tick();
    const std::vector<actor *> up = actorsOfKind(ACTOR_ROCKET_UP);
    ASSERT_EQ(up.size(), 2u);
    EXPECT_FLOAT_EQ(y(up.front()), actor_topEdge(g_player2));
    EXPECT_EQ(g_rocket_count, 4);
}

TEST_P(GameTask, ScrollingCarriesTheShipsUntilTheCameraStopThenTheBossPhaseBegins)
{
    play(GAMESTATE_SCROLLING);
    const float y0 = y(g_player);
    task_test_tick();
    EXPECT_FLOAT_EQ(g_camera->position->x, scroll);
    EXPECT_FLOAT_EQ(g_camera->view->x, scroll);
    EXPECT_FLOAT_EQ(x(g_player), scroll);
    EXPECT_FLOAT_EQ(y(g_player), y0);
    if (ships() == 2) {
        EXPECT_FLOAT_EQ(x(g_player2), scroll);
    }
    camera_max = 12; // stop within the next few passes, not on a step
    int passes = 1;
    while (gamestate == GAMESTATE_SCROLLING && passes < 100) {
        task_test_tick();
        ++passes;
    }
    EXPECT_EQ(gamestate, GAMESTATE_BOSS);
    EXPECT_EQ(passes, 4) << "5, 10, 15, then the stop";
    EXPECT_EQ(g_camera->position->x, 12.0f) << "the camera stands exactly on the stop";
    EXPECT_FLOAT_EQ(g_camera->view->x, 15) << "the view point keeps the last step";
    const float shipX = x(g_player);
    for (int i = 0; i < 5; ++i)
        task_test_tick();
    EXPECT_EQ(g_camera->position->x, 12.0f);
    EXPECT_FLOAT_EQ(x(g_player), shipX) << "ships are no longer carried";
}

TEST_P(GameTask, ACameraStopBehindTheStartBeginsTheBossPhaseAtOnce)
{
    play(GAMESTATE_SCROLLING);
    camera_max = -20;
    task_test_tick();
    EXPECT_EQ(gamestate, GAMESTATE_BOSS);
    EXPECT_EQ(g_camera->position->x, -20.0f);
    EXPECT_FLOAT_EQ(x(g_player), 0);
}

TEST_P(GameTask, ANewGameResetsTheGameAndReadsTheLevelAgain)
{
    play(GAMESTATE_SCROLLING);
    for (int i = 0; i < 10; ++i)
        task_test_tick();
    g_score = 1234;
    g_lifes = 1;
    g_rocket_count = 3;
    g_invincible = true;
    bulletInterval = 150;
    g_boss_energy = 99;
    lastRocket = 4321;
    g_player_shield->active = true;
    hold({first().bulletKey});
    now += 1000;
    task_test_tick();
    ASSERT_FALSE(actorsOfKind(ACTOR_SHOT).empty());
    test_writeFile(dir + "/data/level1.map", "LEVEL: 7 SECOND\nCAMERASTOP: 900\nENEMY1 200 0 -100\n");

    task_test_restart();
    EXPECT_EQ(gamestate, GAMESTATE_READY);
    EXPECT_EQ(g_score, 0);
    EXPECT_EQ(g_lifes, first().startLifes);
    EXPECT_EQ(g_rocket_count, 0);
    EXPECT_FALSE(g_invincible);
    EXPECT_EQ(bulletInterval, 350);
    EXPECT_EQ(g_boss_energy, 99) << "only a boss sets the boss energy";
    EXPECT_EQ(lastRocket, 4321u);
    EXPECT_EQ(g_level, 7);
    EXPECT_EQ(g_level_name, "SECOND");
    EXPECT_FLOAT_EQ(camera_max, 900);
    EXPECT_FLOAT_EQ(g_camera->position->x, 0);
    EXPECT_FLOAT_EQ(g_camera->view->x, 0);
    EXPECT_FLOAT_EQ(x(g_player), 0);
    EXPECT_FLOAT_EQ(y(g_player), first().startY);
    EXPECT_FALSE(g_player_shield->active);
    EXPECT_TRUE(actorsOfKind(ACTOR_SHOT).empty());
    EXPECT_EQ(actorsOfKind(ACTOR_ENEMY1).size(), 1u);
    if (ships() == 2) {
        EXPECT_FLOAT_EQ(y(g_player2), -10);
        EXPECT_EQ(actor_count(), 3);
    } else {
        EXPECT_EQ(actor_count(), 2);
    }
}

TEST_P(GameTask, SpaceStartsANewGameOnlyAfterAGameOver)
{
    play();
    for (const int state : {GAMESTATE_READY, GAMESTATE_SCROLLING, GAMESTATE_BOSS, GAMESTATE_WON}) {
        gamestate = state;
        g_score = 500;
        press(SDLK_SPACE);
        EXPECT_EQ(gamestate, state);
        EXPECT_EQ(g_score, 500) << "state " << state;
    }
    gamestate = GAMESTATE_GAMEOVER;
    g_lifes = 0;
    press(SDLK_SPACE);
    EXPECT_EQ(gamestate, GAMESTATE_READY);
    EXPECT_EQ(g_score, 0);
    EXPECT_EQ(g_lifes, first().startLifes);
}

// The campaign: a won level leads on to the next after a few seconds (or at once on Space) with
// score, lives and rockets carried and the first fire rate; the last level's win is final.
TEST_P(GameTask, AWonLevelLeadsToTheNextCarryingScoreLivesAndRockets)
{
    test_writeFile(dir + "/data/level2.map",
                   "LEVEL: 2 SECOND\nCAMERASTOP: 900\nBOSS1 950 0 -100\nLOOK 0.1 0.2 0.3\nBOSSENERGY 4000 0 0\n");
    g_boss_energy = 0; // only a boss sets it, and an earlier game's may still stand
    play();
    EXPECT_EQ(g_boss_energy, 0) << "the first level has no boss";
    EXPECT_EQ(g_level_look, level_defaultLook);
    g_score = 1234;
    g_lifes = 2;
    g_rocket_count = 3;
    bulletInterval = 150;
    gamestate = GAMESTATE_WON;
    task_test_tick();
    now += next_level_delay - 1;
    task_test_tick();
    EXPECT_EQ(gamestate, GAMESTATE_WON) << "the win shows for a while";
    now += 1;
    task_test_tick();
    EXPECT_EQ(gamestate, GAMESTATE_READY);
    EXPECT_EQ(g_level, 2);
    EXPECT_EQ(g_level_name, "SECOND");
    EXPECT_FLOAT_EQ(camera_max, 900);
    EXPECT_EQ(g_score, 1234);
    EXPECT_EQ(g_lifes, 3) << "a life for the level won";
    EXPECT_EQ(g_rocket_count, 3);
    EXPECT_EQ(bulletInterval, 350);
    EXPECT_EQ(g_boss_energy, 4000) << "the level's energy, though its boss comes before the line";
    EXPECT_EQ(g_level_look, (LevelLook{0.1f, 0.2f, 0.3f}));
    EXPECT_FLOAT_EQ(g_camera->position->x, 0);
    EXPECT_FLOAT_EQ(x(g_player), 0);
    EXPECT_EQ(actorsOfKind(ACTOR_BOSS1).size(), 1u);

    gamestate = GAMESTATE_WON;
    task_test_tick();
    press(SDLK_SPACE);
    now += 10 * next_level_delay;
    task_test_tick();
    EXPECT_EQ(gamestate, GAMESTATE_WON) << "the last level's win is final";
    EXPECT_EQ(g_level, 2);
    EXPECT_EQ(g_lifes, 3) << "and brings no life";

    gamestate = GAMESTATE_GAMEOVER;
    press(SDLK_SPACE);
    EXPECT_EQ(g_level, 1) << "a new game begins at the first level";
    EXPECT_EQ(g_level_look, level_defaultLook);
}

// A next level that has gone or cannot be read ends the campaign with one line on standard
// error; the game goes on, won.
TEST_P(GameTask, SpaceOrStartBeginsTheNextLevelAtOnceAndAMissingOrBrokenOneEndsTheCampaign)
{
    const std::string next = dir + "/data/level2.map";
    test_writeFile(next, "LEVEL: 2 SECOND\nCAMERASTOP: 900\n");
    play();
    gamestate = GAMESTATE_WON;
    press(SDLK_SPACE);
    EXPECT_EQ(g_level, 2) << "Space does not wait";
    task_test_restart();
    gamestate = GAMESTATE_WON;
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 2); // the start button of a pad of no known layout
    task_input_tick();
    EXPECT_EQ(g_level, 2) << "the pad's start button goes on at once, rather than pausing";
    EXPECT_FALSE(kernel_isPaused());

    for (const bool missing : {true, false}) {
        test_writeFile(next, missing ? "LEVEL: 2 SECOND\nCAMERASTOP: 900\n" : "LEVEL: two SECOND\nCAMERASTOP: 900\n");
        task_test_restart();
        if (missing)
            std::filesystem::remove(next); // found at the new game, gone when its turn comes
        g_score = 700;
        gamestate = GAMESTATE_WON;
        ::testing::internal::CaptureStderr();
        press(SDLK_SPACE);
        now += 10 * next_level_delay;
        task_test_tick();
        const std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(gamestate, GAMESTATE_WON);
        EXPECT_EQ(g_level, 1);
        EXPECT_EQ(g_score, 700);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("data/level2.map"), std::string::npos) << errors;
        EXPECT_NE(errors.find("the campaign ends at level 1"), std::string::npos) << errors;
    }
}

// After a game over in level 2 or later, Return (or a pad's fire button, once the screen has shown
// for a second) begins that level afresh as a new game would begin level 1, score 0; Space still
// begins level 1, and in level 1 there is nothing to continue.
TEST_P(GameTask, ReturnContinuesTheLevelWhereTheRunFellAsANewGame)
{
    const std::string second = dir + "/data/level2.map";
    test_writeFile(second, "LEVEL: 2 SECOND\nCAMERASTOP: 900\n");
    play();
    const auto loseInLevel = [&](int level) {
        task_test_restart();
        if (level == 2) {
            gamestate = GAMESTATE_WON;
            ASSERT_TRUE(task_test_nextLevel());
        }
        gamestate = GAMESTATE_BOSS;
        g_score = 4321;
        g_lifes = 1;
        g_rocket_count = 3;
        bulletInterval = 150;
        actor_new(ACTOR_ENEMY1, x(g_player), y(g_player), player_z);
        task_test_tick();
        ASSERT_EQ(gamestate, GAMESTATE_GAMEOVER);
    };

    loseInLevel(1);
    EXPECT_FALSE(task_test_canContinue());
    press(SDLK_RETURN);
    EXPECT_EQ(gamestate, GAMESTATE_GAMEOVER) << "nothing to continue in level 1";

    loseInLevel(2);
    EXPECT_TRUE(task_test_canContinue());
    press(SDLK_RETURN);
    EXPECT_EQ(gamestate, GAMESTATE_READY);
    EXPECT_EQ(g_level, 2);
    EXPECT_EQ(g_level_name, "SECOND");
    EXPECT_EQ(g_score, 0) << "a score belongs to one unbroken run";
    EXPECT_EQ(g_lifes, first().startLifes);
    EXPECT_EQ(g_rocket_count, 0);
    EXPECT_EQ(bulletInterval, 350);
    EXPECT_FLOAT_EQ(g_camera->position->x, 0);

    loseInLevel(2);
    press(SDLK_SPACE);
    EXPECT_EQ(g_level, 1) << "Space still begins a new game at level 1";

    loseInLevel(2);
    now += 999;
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 0);
    test_pushPadEvent(SDL_JOYBUTTONUP, 0, 0);
    task_input_tick();
    EXPECT_EQ(gamestate, GAMESTATE_GAMEOVER) << "fire hammered as the ship went down";
    now += 1;
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 0);
    test_pushPadEvent(SDL_JOYBUTTONUP, 0, 0);
    task_input_tick();
    EXPECT_EQ(gamestate, GAMESTATE_READY);
    EXPECT_EQ(g_level, 2);

    loseInLevel(2);
    std::filesystem::remove(second);
    ::testing::internal::CaptureStderr();
    press(SDLK_RETURN);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(gamestate, GAMESTATE_GAMEOVER);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("data/level2.map: cannot be opened; there is nothing to continue"), std::string::npos)
        << errors;
}

// A run that makes the table is saved the moment it ends, before anything is asked; then its
// initials: a ship's up and down keys choose the letter, its fire or right key takes it, any other
// letter is typed (Q too, which otherwise makes the ships invincible), and Space and Return wait
// for the third. The autopilots and tests, which start no table, never save one.
TEST_P(GameTask, ARunThatMakesTheTableIsSavedAtOnceThenItsInitialsAreEntered)
{
    const std::string share = dir + "/share";
    setenv("XDG_DATA_HOME", share.c_str(), 1);
    const std::string file = share + "/trelvik/scores-entry.txt";
    play();
    const auto lose = [&] {
        task_test_restart();
        gamestate = GAMESTATE_BOSS;
        g_score = 900;
        g_lifes = 1;
        actor_new(ACTOR_ENEMY1, x(g_player), y(g_player), player_z);
        task_test_tick();
        ASSERT_EQ(gamestate, GAMESTATE_GAMEOVER);
    };
    lose();
    EXPECT_FALSE(scoreboard_entering());
    EXPECT_FALSE(std::filesystem::exists(file)) << "no table started, none written";

    scoreboard_start("entry");
    lose();
    ASSERT_TRUE(scoreboard_entering());
    ScoresTable saved = scores_load("entry");
    ASSERT_EQ(saved.runs.size(), 1u) << "saved before the initials";
    EXPECT_EQ(saved.runs[0].score, 900);
    EXPECT_EQ(saved.runs[0].initials, "");

    press(SDLK_UP);
    press(SDLK_UP);
    press(SDLK_DOWN);
    press(first().bulletKey);
    EXPECT_EQ(scoreboard_initials(), "B");
    EXPECT_EQ(scores_load("entry").runs[0].initials, "B") << "each letter is saved as it is taken";
    press(SDLK_q);
    EXPECT_EQ(scoreboard_initials(), "BQ");
    EXPECT_FALSE(g_invincible);
    press(SDLK_SPACE);
    press(SDLK_RETURN);
    EXPECT_EQ(gamestate, GAMESTATE_GAMEOVER) << "the choices wait for the initials";
    now += 2000; // long enough for the pad's fire button to continue, were it not entering
    test_pushPadEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_DOWN); // a pad's d-pad: A back to Z
    test_pushPadEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_CENTERED);
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 0);
    task_input_tick();
    EXPECT_FALSE(scoreboard_entering());
    EXPECT_EQ(gamestate, GAMESTATE_GAMEOVER) << "the fire button that ends the entry does not also continue";
    saved = scores_load("entry");
    ASSERT_EQ(saved.runs.size(), 1u) << "the run replaces itself";
    EXPECT_EQ(saved.runs[0].initials, "BQZ");
    EXPECT_EQ(scoreboard_markedLine(), 0);
    press(SDLK_SPACE);
    EXPECT_EQ(gamestate, GAMESTATE_READY);

    scoreboard_stop();
    unsetenv("XDG_DATA_HOME");
}

// The first pad SDL reports drives the first ship in either game (with no pad open here, no pad
// is the lone pad that the two-player game gives to the second ship).
TEST_P(GameTask, AShipFliesFiresLaunchesRocketsAndRestartsWithAPadAlone)
{
    play();
    g_rocket_count = 1;
    lastBullet = lastRocket = 0;
    const float x0 = x(g_player), y0 = y(g_player);
    test_pushPadEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_RIGHTUP);
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 0);
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 1);
    task_input_tick();
    task_test_tick();
    EXPECT_FLOAT_EQ(x(g_player), x0 + step);
    EXPECT_FLOAT_EQ(y(g_player), y0 + step);
    EXPECT_EQ(actorsOfKind(ACTOR_SHOT).size(), 1u);
    EXPECT_EQ(actorsOfKind(ACTOR_ROCKET_UP).size(), 1u);
    EXPECT_EQ(g_rocket_count, 0);

    test_pushPadEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_CENTERED);
    test_pushPadEvent(SDL_JOYBUTTONUP, 0, 0);
    test_pushPadEvent(SDL_JOYBUTTONUP, 0, 1);
    task_input_tick();
    task_test_tick();
    EXPECT_FLOAT_EQ(x(g_player), x0 + step) << "a released pad leaves the ship where it is";

    // No known layout: the button after the fire buttons is the start button. In play it pauses
    // and resumes; on the game-over screen it starts a new game.
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 2);
    task_input_tick();
    EXPECT_TRUE(kernel_isPaused());
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 2);
    task_input_tick();
    EXPECT_FALSE(kernel_isPaused());
    gamestate = GAMESTATE_GAMEOVER;
    g_score = 500;
    test_pushPadEvent(SDL_JOYBUTTONDOWN, 0, 2);
    task_input_tick();
    EXPECT_EQ(gamestate, GAMESTATE_READY);
    EXPECT_EQ(g_score, 0);
    EXPECT_FALSE(kernel_isPaused());
}

// The pause through the kernel, as the program runs it: several seconds paused mid-level leave
// the ships, the enemies, the scroll, the score, the lives and the game's clock where they stood,
// silence the music, and the first frame after it moves by one frame's worth only.
TEST_P(GameTask, APauseStopsTheGameAndItsSoundAndResumingCarriesOnWithoutAJump)
{
    Task timer{true, startOk, nothing, task_timer_suspend, task_timer_resume, task_timer_tick};
    Task input{false, startOk, nothing, task_input_suspend, task_input_resume, task_input_tick};
    Task game{true, startOk, nothing, task_test_suspend, task_test_resume, task_test_tick};
    Task audio{true, startOk, nothing, task_audio_suspend, task_audio_resume, task_audio_tick};
    Task video{false, startOk, nothing, task_video_suspend, task_video_resume, task_video_tick};
    for (auto [task, priority] : {std::pair{&timer, 10u}, {&input, 50u}, {&game, 100u}, {&audio, 750u}, {&video, 1000u}})
        kernel_addTask(task, priority);
    // One pass of the main loop: what the kernel suspended is not ticked.
    const auto pass = [&](uint32_t ms) {
        now += ms;
        for (Task *task : {&timer, &input, &game, &audio, &video})
            if (!kernel_isPaused() || !task->suspendable)
                task->tick();
    };
    play(GAMESTATE_SCROLLING);
    task_timer_tick(); // the passes below are 100 ms each from here
    // Windows of other tests on the same display take the focus at will, which would pause.
    SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
    actor_new(ACTOR_ENEMY1, 150, 0, player_z);
    for (int i = 0; i < 5; ++i)
        pass(100);
    struct Still {
        float ship, camera, enemy;
        int score, lifes;
        uint32_t clock;
        bool operator==(const Still &) const = default;
    };
    const auto still = [] {
        return Still{x(g_player), g_camera->position->x, x(actorsOfKind(ACTOR_ENEMY1).at(0)), g_score, g_lifes,
                     task_timer_getTicks()};
    };
    hold({SDLK_RIGHT});
    press(SDLK_PAUSE);
    const Still before = still();
    for (int i = 0; i < 50; ++i)
        pass(100);
    EXPECT_TRUE(still() == before) << "five seconds paused";
    EXPECT_TRUE(task_video_isPaused());
    EXPECT_FLOAT_EQ(g_frameInterval, 0.0f);
    const bool sound = Mix_QuerySpec(nullptr, nullptr, nullptr) != 0;
    EXPECT_TRUE(!sound || Mix_PausedMusic() == 1) << "the music stops";

    press(SDLK_PAUSE);
    EXPECT_TRUE(still() == before);
    // Another test's window on the display may have made SDL read the real keyboard again while
    // paused, letting go of the key this test holds.
    hold({SDLK_RIGHT});
    pass(100);
    EXPECT_NEAR(g_frameInterval, 0.1f, 1e-4f);
    EXPECT_EQ(task_timer_getTicks(), before.clock + 100);
    EXPECT_NEAR(g_camera->position->x, before.camera + scroll, 1e-3f);
    EXPECT_NEAR(x(g_player), before.ship + scroll + step, 1e-3f);
    EXPECT_TRUE(!sound || Mix_PausedMusic() == 0) << "and goes on";
    kernel_removeAllTasks();
    SDL_EventState(SDL_ACTIVEEVENT, SDL_ENABLE);
}

TEST_P(GameTask, QSwitchesInvincibilityAndASecondQSwitchesItBack)
{
    play();
    EXPECT_FALSE(g_invincible);
    press(SDLK_q);
    EXPECT_TRUE(g_invincible);
    press(SDLK_q);
    EXPECT_FALSE(g_invincible);
    press(SDLK_q);
    task_test_restart();
    EXPECT_FALSE(g_invincible) << "a new game clears it";
}

// Whether a press of the key tried to switch full screen: under a virtual display the switch
// may be refused with its message; when it went through, a second press switches back.
bool switchesFullScreen(SDLKey key)
{
    const Uint32 before = task_video_window()->flags & SDL_FULLSCREEN;
    ::testing::internal::CaptureStderr();
    press(key);
    const bool refused = ::testing::internal::GetCapturedStderr().find("Failed to toggle Fullscreen mode") !=
                         std::string::npos;
    const bool switched = (task_video_window()->flags & SDL_FULLSCREEN) != before;
    if (switched)
        press(key);
    return refused || switched;
}

TEST_P(GameTask, F11SwitchesFullScreenAndFOnlyWhereNoShipFliesWithIt)
{
    play();
    EXPECT_TRUE(switchesFullScreen(SDLK_F11));
    if (ships() == 1) {
        EXPECT_TRUE(switchesFullScreen(SDLK_f)) << "F moves nothing here and stays a full-screen key";
        return;
    }
    // F is the second ship's down key: held, it flies the ship and switches nothing.
    const float y0 = y(g_player2);
    EXPECT_FALSE(switchesFullScreen(SDLK_f));
    hold({SDLK_f});
    task_test_tick();
    EXPECT_FLOAT_EQ(y(g_player2), y0 - step);
}

} // namespace

namespace {

using namespace scene;

// A ship whose model file is missing is a point: it is kept on the field by its position, its
// shield has no size, and its shots start where it stands.
class ShipWithoutModel : public GameScene, public ::testing::WithParamInterface<int> {
protected:
    int ships() const override { return GetParam(); }
    const FirstShip &first() const { return ships() == 1 ? one_player : two_players; }
    void SetUp() override
    {
        GameScene::SetUp();
        if (HasFatalFailure())
            return;
        std::filesystem::remove(dir + "/data/Player.ms3d");
        ::testing::internal::CaptureStderr();
        const model *cached = model_get("data/Player.ms3d");
        ::testing::internal::GetCapturedStderr();
        if (cached != nullptr)
            GTEST_SKIP() << "the model cache holds the ship from an earlier test of the process; run under ctest";
    }
};

TEST_P(ShipWithoutModel, IsKeptOnTheFieldAndFiresFromWhereItStands)
{
    ASSERT_EQ(task_test_start(), 1);
    ASSERT_EQ(g_player->model, nullptr);
    EXPECT_FLOAT_EQ(g_player_shield->size, 0);
    gamestate = GAMESTATE_BOSS;
    g_frameInterval = 0;
    actor_setPosition(g_player, 500, -500, -100);
    now = 10000;
    g_rocket_count = 1;
    hold({first().bulletKey, first().rocketKey});
    task_test_tick();
    EXPECT_FLOAT_EQ(g_player->position->x, 110);
    EXPECT_FLOAT_EQ(g_player->position->y, -80);
    const std::vector<actor *> shots = actorsOfKind(ACTOR_SHOT);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_FLOAT_EQ(shots[0]->position->x, 110);
    ASSERT_EQ(actorsOfKind(ACTOR_ROCKET_UP).size(), 1u);
    EXPECT_FLOAT_EQ(actorsOfKind(ACTOR_ROCKET_UP)[0]->position->y, -80);
}

INSTANTIATE_TEST_SUITE_P(Games, ShipWithoutModel, ::testing::Values(2, 1), gameName);

} // namespace
