// The input task with events pushed into SDL's queue: quitting, command keys, resizes, the key
// snapshot.
#include "tasks/task_input.h"

#include "kernel/kernel.h"
#include "kernel/main.h"
#include "kernel/task.h"
#include "support/test_support.h"
#include "tasks/task_video.h"

#include <gtest/gtest.h>

namespace {

int stops = 0;
void countStop() { ++stops; }
int startOk() { return 1; }
void nothing() {}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test_startVideo(640, 480));
        task_input_start();
        stops = 0;
        watcher = Task{true, startOk, countStop, nothing, startOk, nothing};
        kernel_addTask(&watcher, 100);
    }
    void TearDown() override
    {
        kernel_removeAllTasks();
        test_stopVideo();
    }

    static void pushKey(SDLKey key)
    {
        SDL_Event event = {};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
    }
    static void pushType(Uint8 type)
    {
        SDL_Event event = {};
        event.type = type;
        SDL_PushEvent(&event);
    }

    Task watcher{};
};

TEST_F(InputTest, EscapeEndsTheProgramThroughTheKernel)
{
    pushKey(SDLK_ESCAPE);
    task_input_tick();
    EXPECT_EQ(stops, 1);
}

TEST_F(InputTest, ClosingTheWindowBehavesLikeEscape)
{
    pushType(SDL_QUIT);
    task_input_tick();
    EXPECT_EQ(stops, 1);
}

TEST_F(InputTest, EventsAfterAQuitRequestAreNotActedOn)
{
    const bool before = task_video_isShowFPS();
    pushKey(SDLK_ESCAPE);
    pushKey(SDLK_F2);
    task_input_tick();
    EXPECT_EQ(task_video_isShowFPS(), before);
}

TEST_F(InputTest, SeveralEventsInOnePassAreAllHandledInOrder)
{
    const bool fps = task_video_isShowFPS(), wire = task_video_isWireframe(), cull = task_video_isFrustumCulling();
    const bool lists = g_useDisplaylists;
    task_video_texturemode = 2;
    pushKey(SDLK_F2);
    pushKey(SDLK_F3);
    pushKey(SDLK_F4);
    pushKey(SDLK_F4);
    pushKey(SDLK_F7);
    pushKey(SDLK_F8);
    pushKey(SDLK_F8);
    pushKey(SDLK_F1); // unbound
    task_input_tick();
    EXPECT_NE(task_video_isShowFPS(), fps);
    EXPECT_NE(task_video_isWireframe(), wire);
    EXPECT_EQ(task_video_isFrustumCulling(), cull);
    EXPECT_NE(g_useDisplaylists, lists);
    EXPECT_EQ(task_video_texturemode, 1);
    EXPECT_EQ(stops, 0);
    // Back as they were, for the tests after this one in the same process.
    pushKey(SDLK_F2);
    pushKey(SDLK_F3);
    pushKey(SDLK_F7);
    task_input_tick();
    task_video_texturemode = 2;
}

TEST_F(InputTest, AResizeEventPassesItsSizeToTheVideoTask)
{
    SDL_Event event = {};
    event.type = SDL_VIDEORESIZE;
    event.resize.w = 512;
    event.resize.h = 384;
    SDL_PushEvent(&event);
    task_input_tick();
    EXPECT_EQ(task_video_width, 512);
    EXPECT_EQ(task_video_height, 384);
    ASSERT_NE(task_video_window(), nullptr);
    EXPECT_EQ(task_video_window()->w, 512);
}

TEST_F(InputTest, KeyReleasesAndOtherEventsAreIgnored)
{
    SDL_Event event = {};
    event.type = SDL_KEYUP;
    event.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&event);
    pushType(SDL_MOUSEMOTION);
    pushType(SDL_ACTIVEEVENT);
    task_input_tick();
    EXPECT_EQ(stops, 0);
}

TEST_F(InputTest, TheSnapshotAnswersHeldKeysUntilTheNextTick)
{
    task_input_tick();
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_p));
    EXPECT_TRUE(task_input_isKeyUp(SDLK_p));
    // SDL's own key array is what the snapshot reads; hold P in it as the X server would.
    Uint8 *held = SDL_GetKeyState(nullptr);
    held[SDLK_p] = 1;
    task_input_tick();
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_p));
    EXPECT_TRUE(task_input_isKeyDown(SDLK_p));
    EXPECT_FALSE(task_input_isKeyUp(SDLK_p));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_o));
    held[SDLK_p] = 0;
    task_input_tick();
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_p));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_LAST)) << "codes outside the array read as released";
}

TEST_F(InputTest, StartSwitchesKeyRepeatOff)
{
    SDL_EnableKeyRepeat(500, 30);
    EXPECT_EQ(task_input_start(), 1);
    int delay = -1, interval = -1;
    SDL_GetKeyRepeat(&delay, &interval);
    EXPECT_EQ(delay, 0);
}

} // namespace
