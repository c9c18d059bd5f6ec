// The input task with events pushed into SDL's queue: quitting, command keys, resizes, the key
// snapshot, and gamepads pressing their players' keys.
#include "tasks/task_input.h"

#include "kernel/kernel.h"
#include "kernel/main.h"
#include "kernel/task.h"
#include "support/test_support.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

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
        // Windows of other tests on the same display take the focus at will: the X server's
        // focus changes are kept out, while the events a test pushes still arrive.
        SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
        task_input_start();
        stops = 0;
        watcher = Task{true, startOk, countStop, nothing, startOk, nothing};
        kernel_addTask(&watcher, 100);
    }
    void TearDown() override
    {
        kernel_removeAllTasks();
        task_input_stop();
        SDL_EventState(SDL_ACTIVEEVENT, SDL_ENABLE);
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

// The window takes keys from the moment it opens, while the game still loads: the input task's
// start must not throw them away.
TEST_F(InputTest, AnEscapePressedBeforeTheInputTaskStartsEndsTheProgramAtTheFirstPass)
{
    task_input_stop();
    pushKey(SDLK_ESCAPE);
    task_input_start();
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

// Pause and Backspace flip the game's pause; leaving the window (focus or minimised) pauses it,
// and coming back leaves the pause to the player. A window manager's focus moved away and straight
// back, both in one pass, is no leaving.
TEST_F(InputTest, PauseKeysToggleThePauseAndLosingTheWindowPausesWithoutResumingOnReturn)
{
    const auto focus = [](Uint8 gain, Uint8 state) {
        SDL_Event event = {};
        event.type = SDL_ACTIVEEVENT;
        event.active.gain = gain;
        event.active.state = state;
        SDL_PushEvent(&event);
        task_input_tick();
    };
    pushKey(SDLK_PAUSE);
    task_input_tick();
    EXPECT_TRUE(kernel_isPaused());
    pushKey(SDLK_BACKSPACE);
    task_input_tick();
    EXPECT_FALSE(kernel_isPaused());
    focus(0, SDL_APPMOUSEFOCUS);
    EXPECT_FALSE(kernel_isPaused()) << "the mouse leaving the window is no reason to stop";
    SDL_Event away = {};
    away.type = SDL_ACTIVEEVENT;
    away.active.state = SDL_APPINPUTFOCUS;
    SDL_PushEvent(&away);
    focus(1, SDL_APPINPUTFOCUS);
    EXPECT_FALSE(kernel_isPaused()) << "the focus taken away and given back at once";
    for (const Uint8 state : {SDL_APPINPUTFOCUS, SDL_APPACTIVE}) {
        focus(0, state);
        EXPECT_TRUE(kernel_isPaused()) << int(state);
        focus(0, state);
        EXPECT_TRUE(kernel_isPaused()) << "a second loss keeps the pause";
        focus(1, state);
        EXPECT_TRUE(kernel_isPaused());
        pushKey(SDLK_PAUSE);
        task_input_tick();
        EXPECT_FALSE(kernel_isPaused());
    }
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

// No pad is plugged in here, so the pushed events stand for pads in SDL's first two slots: the
// first drives the first ship (arrows, P, O), the second the second ship (D, G, R, F, A, X).
uint32_t padClock = 0;
uint32_t readPadClock() { return padClock; }

// The pads' device directory is one of our own, so a test decides when devices change.
class PadInput : public InputTest {
protected:
    void SetUp() override
    {
        padClock = 0;
        task_timer_setClock(readPadClock);
        devices = test_tempDir();
        setenv("TRELVIK_INPUT_DIR", devices.c_str(), 1);
        InputTest::SetUp();
    }
    void TearDown() override
    {
        Uint8 *held = SDL_GetKeyState(nullptr);
        held[SDLK_LEFT] = 0;
        task_timer_setClock(nullptr);
        InputTest::TearDown();
        unsetenv("TRELVIK_INPUT_DIR");
        std::filesystem::remove_all(devices);
    }
    static void pad(int type, int which, int control, int value = 0)
    {
        test_pushPadEvent(type, which, control, value);
        task_input_tick();
    }

    std::string devices;
};

TEST_F(PadInput, EachPadPressesItsOwnPlayersKeysAndTheKeyboardStillCounts)
{
    pad(SDL_JOYAXISMOTION, 0, 0, -32768);
    pad(SDL_JOYBUTTONDOWN, 1, 0);
    pad(SDL_JOYBUTTONDOWN, 1, 1);
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_LEFT));
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_a)) << "the second pad's first button fires its bullets";
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_x)) << "and its second its rockets";
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_d)) << "the first pad moves only the first ship";
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_p)) << "the second pad fires only for the second ship";

    // Held on the keyboard and the pad, let go on one: still held.
    Uint8 *held = SDL_GetKeyState(nullptr);
    held[SDLK_LEFT] = 1;
    pad(SDL_JOYAXISMOTION, 0, 0, 0);
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_LEFT));
    pad(SDL_JOYAXISMOTION, 0, 0, -32768);
    held[SDLK_LEFT] = 0;
    task_input_tick();
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_LEFT));
    pad(SDL_JOYAXISMOTION, 0, 0, 0);
    pad(SDL_JOYBUTTONUP, 1, 0);
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_LEFT));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_a));
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_x));
}

TEST_F(PadInput, TheStickMovesOnlyBeyondAQuarterOfItsTravel)
{
    pad(SDL_JOYAXISMOTION, 0, 0, 8000);
    pad(SDL_JOYAXISMOTION, 0, 1, -8000);
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_RIGHT));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_UP));
    pad(SDL_JOYAXISMOTION, 0, 0, 9000);
    pad(SDL_JOYAXISMOTION, 0, 1, -9000);
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_RIGHT));
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_UP)) << "the stick pushed away is up";
    pad(SDL_JOYAXISMOTION, 0, 1, 9000);
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_DOWN));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_UP));
    pad(SDL_JOYAXISMOTION, 0, 2, 32767); // a trigger
    pad(SDL_JOYAXISMOTION, 0, 0, 0);
    pad(SDL_JOYAXISMOTION, 0, 1, 0);
    for (const SDLKey key : {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN})
        EXPECT_FALSE(task_input_isKeyPressed(key)) << key;
}

TEST_F(PadInput, TheHatsDiagonalsHoldBothDirections)
{
    pad(SDL_JOYHATMOTION, 1, 0, SDL_HAT_RIGHTDOWN);
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_g));
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_f));
    pad(SDL_JOYHATMOTION, 1, 0, SDL_HAT_LEFTUP);
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_d));
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_r));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_g));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_f));
    pad(SDL_JOYHATMOTION, 1, 0, SDL_HAT_CENTERED);
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_d));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_r));
}

// SDL 1.2 says nothing when a pad is pulled out: its list is read again when the system's input
// devices change (and never otherwise, since that stalls the frame), and a pad no longer listed
// lets go of whatever it held.
TEST_F(PadInput, ThePadListIsReadAgainOnlyWhenTheInputDevicesChange)
{
    pad(SDL_JOYHATMOTION, 0, 0, SDL_HAT_UP);
    pad(SDL_JOYBUTTONDOWN, 0, 0);
    for (padClock = 0; padClock <= 60000; padClock += 500)
        task_input_tick();
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_UP)) << "a minute without a device change keeps the pad";
    EXPECT_TRUE(task_input_isKeyPressed(SDLK_p));
    ASSERT_TRUE(test_writeFile(devices + "/event7", ""));
    for (padClock = 60100; padClock <= 61000; padClock += 100)
        task_input_tick();
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_UP));
    EXPECT_FALSE(task_input_isKeyPressed(SDLK_p));
    EXPECT_NE(SDL_WasInit(SDL_INIT_JOYSTICK), 0u) << "the joysticks are there for a pad plugged in later";
}

} // namespace
