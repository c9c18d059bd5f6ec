// test_support.cpp -- shared test helpers.
#include "support/test_support.h"

#include "kernel/main.h"
#include "kernel/settings.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

bool test_startVideo(int width, int height, bool useDisplaylists)
{
    const std::string dir = test_tempDir();
    const std::string config = dir + "/config.ini";
    std::ostringstream text;
    text << "useDisplaylists=" << (useDisplaylists ? "true" : "false") << "\n"
         << "screen_width=" << width << "\nscreen_height=" << height << "\nscreen_bpp=24\nfullscreen=false\n";
    test_writeFile(config, text.str());
    settings_clear();
    settings_parseFile(config.c_str());
    g_useDisplaylists = useDisplaylists;
    fs::remove_all(dir);
    if (SDL_Init(SDL_INIT_TIMER) < 0)
        return false;
    return task_video_start() != 0;
}

void test_stopVideo()
{
    task_video_stop();
    SDL_Quit();
}

void test_pushPadEvent(int type, int pad, int control, int value)
{
    SDL_Event event = {};
    event.type = static_cast<Uint8>(type);
    switch (type) {
    case SDL_JOYAXISMOTION:
        event.jaxis = {event.type, static_cast<Uint8>(pad), static_cast<Uint8>(control), static_cast<Sint16>(value)};
        break;
    case SDL_JOYHATMOTION:
        event.jhat = {event.type, static_cast<Uint8>(pad), static_cast<Uint8>(control), static_cast<Uint8>(value)};
        break;
    default:
        event.jbutton = {event.type, static_cast<Uint8>(pad), static_cast<Uint8>(control),
                         static_cast<Uint8>(type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED)};
        break;
    }
    SDL_PushEvent(&event);
}

std::string test_tempDir()
{
    std::string pattern = (fs::temp_directory_path() / "trelvik-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        return fs::temp_directory_path().string();
    return pattern;
}

bool test_writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string test_readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string test_tgaFile(int w, int h, bool alpha, const std::vector<unsigned char> &rgba)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(w & 0xFF), bytes[13] = static_cast<char>(w >> 8);
    bytes[14] = static_cast<char>(h & 0xFF), bytes[15] = static_cast<char>(h >> 8);
    bytes[16] = alpha ? 32 : 24;
    bytes[17] = static_cast<char>(0x20 | (alpha ? 8 : 0));
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        bytes += static_cast<char>(rgba[i + 2]);
        bytes += static_cast<char>(rgba[i + 1]);
        bytes += static_cast<char>(rgba[i]);
        if (alpha)
            bytes += static_cast<char>(rgba[i + 3]);
    }
    return bytes;
}

std::string test_dataDir()
{
    const char *dir = std::getenv("TRELVIK_TESTDATA");
    if (dir == nullptr)
        dir = TRELVIK_TESTDATA_DEFAULT;
    if (dir == nullptr || !fs::is_directory(dir))
        return "";
    return dir;
}

std::string test_runDir()
{
    const char *dir = std::getenv("TRELVIK_RUN_DIR");
    return dir == nullptr ? TRELVIK_RUN_DIR_DEFAULT : dir;
}

Rgb test_readPixel(int x, int y)
{
    unsigned char pixel[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, task_video_height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    return {pixel[0], pixel[1], pixel[2]};
}

void test_saveScreenshot(const std::string &name)
{
    const int width = task_video_width, height = task_video_height;
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // Rows come bottom first from GL; a binary PPM written top first, converted if possible.
    fs::create_directories("screenshots");
    const std::string ppm = "screenshots/" + name + ".ppm";
    std::ofstream out(ppm, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (int row = height - 1; row >= 0; --row)
        out.write(reinterpret_cast<const char *>(&pixels[static_cast<size_t>(row) * width * 3]), width * 3);
    out.close();
    const std::string command = "convert " + ppm + " screenshots/" + name + ".png 2>/dev/null && rm -f " + ppm;
    if (std::system(command.c_str()) != 0) {
        // Without ImageMagick the PPM stays for people to look at.
    }
}

void test_expectSpriteStateRestored(const std::function<void()> &draw, bool depthWritesBefore)
{
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before ? "switches on before drawing" : "switches off before drawing");
        const auto set = [before](GLenum cap) { before ? glEnable(cap) : glDisable(cap); };
        set(GL_TEXTURE_2D);
        set(GL_SCISSOR_TEST);
        set(GL_LIGHTING);
        glEnable(GL_BLEND);
        glDepthMask(depthWritesBefore ? GL_TRUE : GL_FALSE);
        draw();
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), before);
        EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), before);
        EXPECT_EQ(glIsEnabled(GL_LIGHTING), before);
        EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_EQ(depthWrites, GL_TRUE);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
