// test_support.h -- helpers shared by the tests: a real window under Xvfb, temporary files,
// the shared test data folder, and reading pixels back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Opens the video task's window at the given size (settings written to a temporary
// config file first). Returns false when no window could be made.
bool test_startVideo(int width, int height, bool useDisplaylists = true);
// Stops the video task and SDL.
void test_stopVideo();

// Queues a gamepad event as SDL delivers one: for SDL_JOYAXISMOTION the control is the axis and
// the value its position, for SDL_JOYHATMOTION the hat and its SDL_HAT_* value, for
// SDL_JOYBUTTONDOWN and SDL_JOYBUTTONUP the button.
void test_pushPadEvent(int type, int pad, int control, int value = 0);

// A fresh empty directory under the system's temporary folder; removed by the caller if wanted.
std::string test_tempDir();
// Writes bytes to a file; true on success.
bool test_writeFile(const std::string &path, const std::string &bytes);
std::string test_readFile(const std::string &path);
// An uncompressed true-colour TGA, rows stored top first; rgba holds w * h texels, top row first
// (alpha dropped unless alpha is true).
std::string test_tgaFile(int w, int h, bool alpha, const std::vector<unsigned char> &rgba);

// ../shared/testdata as seen from the build (TRELVIK_TESTDATA), or "" when absent.
std::string test_dataDir();
// The run directory of the build (TRELVIK_RUN_DIR), or "".
std::string test_runDir();

// One RGB pixel of the back buffer, x from the left and y from the top of the window.
struct Rgb {
    int r, g, b;
};
Rgb test_readPixel(int x, int y);
// Writes the back buffer as a PNG file named after the test under the screenshots folder.
void test_saveScreenshot(const std::string &name);

// Runs draw twice, first with texturing, the scissor test and lighting off, then on, each time
// with blending on and depth writes as given, and expects what the effects promise: those three
// switches as they were, blending off, depth writes on, no GL error.
void test_expectSpriteStateRestored(const std::function<void()> &draw, bool depthWritesBefore);
