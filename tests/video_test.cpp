// The video task under a real window: the fixed GL state, resizing, the render switches.
#include "tasks/task_video.h"

#include "kernel/main.h"
#include "support/test_support.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

class VideoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test_startVideo(640, 480)) << "no window under this display"; }
    void TearDown() override { test_stopVideo(); }
};

void expectFloats(GLenum light, GLenum what, std::initializer_list<float> expected)
{
    GLfloat value[4] = {};
    glGetLightfv(light, what, value);
    int i = 0;
    for (float e : expected) {
        EXPECT_FLOAT_EQ(value[i], e) << "light parameter 0x" << std::hex << what << " component " << i;
        ++i;
    }
}

TEST_F(VideoTest, TheWindowHasTheConfiguredSizeCaptionAndADepthBuffer)
{
    SDL_Surface *window = task_video_window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->w, 640);
    EXPECT_EQ(window->h, 480);
    EXPECT_EQ(task_video_width, 640);
    EXPECT_EQ(task_video_height, 480);
    char *title = nullptr, *icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, g_progname_long);
    EXPECT_STREQ(icon, "Trelvik");
    GLint depthBits = 0, doubleBuffer = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
    EXPECT_GE(depthBits, 24);
    EXPECT_EQ(doubleBuffer, 1);
    EXPECT_EQ(task_video_videoFlags & 0x20000017u, 0x20000017u);
}

TEST_F(VideoTest, TheSceneIsLitByTwoLightsFoggedAndDepthTested)
{
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
    expectFloats(GL_LIGHT1, GL_AMBIENT, {1, 1, 1, 1});
    expectFloats(GL_LIGHT1, GL_DIFFUSE, {1, 0.5f, 0, 1});
    expectFloats(GL_LIGHT1, GL_POSITION, {2050, 10, -60, 0}); // given under an identity model-view
    expectFloats(GL_LIGHT2, GL_AMBIENT, {0.5f, 0.5f, 0.5f, 1});
    expectFloats(GL_LIGHT2, GL_DIFFUSE, {1, 1, 0, 1});
    expectFloats(GL_LIGHT2, GL_POSITION, {30, 44440, -30, 0});

    GLint mode = 0, depthFunc = 0, shade = 0, cullFace = 0;
    GLfloat density = 0, start = 0, end = 0, fogColor[4] = {};
    glGetIntegerv(GL_FOG_MODE, &mode);
    glGetFloatv(GL_FOG_DENSITY, &density);
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    glGetFloatv(GL_FOG_COLOR, fogColor);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_EQ(mode, GL_EXP2);
    EXPECT_FLOAT_EQ(density, 0.001f);
    EXPECT_FLOAT_EQ(start, 1.0f);
    EXPECT_FLOAT_EQ(end, 500.0f);
    EXPECT_FLOAT_EQ(fogColor[3], 0.4f);

    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    glGetIntegerv(GL_CULL_FACE_MODE, &cullFace);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(depthFunc, GL_LESS);
    EXPECT_EQ(shade, GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(cullFace, GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

// The projection of a 45-degree perspective: element [5] is cot(22.5°), [0] that over the aspect.
void expectPerspective(double aspect)
{
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    const double f = 1.0 / std::tan(45.0 * M_PI / 360.0);
    const double zNear = 0.1f, zFar = 2000.0;
    EXPECT_NEAR(p[0], f / aspect, 1e-5);
    EXPECT_NEAR(p[5], f, 1e-5);
    EXPECT_NEAR(p[10], (zFar + zNear) / (zNear - zFar), 1e-5);
    EXPECT_NEAR(p[14], 2 * zFar * zNear / (zNear - zFar), 1e-5);
    EXPECT_FLOAT_EQ(p[11], -1.0f);
}

TEST_F(VideoTest, StartSetsViewportAndA45DegreePerspective)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    expectPerspective(640.0 / 480.0);
}

TEST_F(VideoTest, AResizeResetsViewportAndProjectionButNotTheFixedState)
{
    glFogf(GL_FOG_DENSITY, 0.5f); // a change that a resize must not undo
    task_video_resize(320, 400);
    ASSERT_NE(task_video_window(), nullptr);
    EXPECT_EQ(task_video_window()->w, 320);
    EXPECT_EQ(task_video_width, 320);
    EXPECT_EQ(task_video_height, 400);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 400);
    expectPerspective(320.0 / 400.0);
    GLfloat density = 0;
    glGetFloatv(GL_FOG_DENSITY, &density);
    EXPECT_FLOAT_EQ(density, 0.5f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(VideoTest, ASizeOfZeroIsLaidOutByTheWindowSDLMakes)
{
    task_video_resize(0, 0);
    ASSERT_NE(task_video_window(), nullptr);
    EXPECT_GT(task_video_width, 0);
    EXPECT_EQ(task_video_width, task_video_window()->w);
    EXPECT_EQ(task_video_height, task_video_window()->h);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], task_video_width);
    EXPECT_EQ(viewport[3], task_video_height);
    expectPerspective(static_cast<double>(task_video_width) / task_video_height);
}

TEST_F(VideoTest, ASizeSDLRefusesIsReportedAndThePreviousModeIsRestored)
{
    testing::internal::CaptureStderr();
    task_video_resize(70000, 70000);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.rfind("Error: Failed to create SDL_Surface. ", 0), 0u) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    ASSERT_NE(task_video_window(), nullptr);
    EXPECT_EQ(task_video_window()->w, 640);
    EXPECT_EQ(task_video_window()->h, 480);
    EXPECT_EQ(task_video_width, 640);
    EXPECT_EQ(task_video_height, 480);
    expectPerspective(640.0 / 480.0);
    // The picture goes on: what is drawn reaches the window.
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    EXPECT_EQ(test_readPixel(320, 240).r, 255);
}

TEST_F(VideoTest, AResizeKeepsTheContextItsTexturesAndDisplayLists)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char red[4 * 4 * 3] = {255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0,
                                          255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0,
                                          255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, red);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(-1, -1);
    glTexCoord2f(1, 0); glVertex2f(1, -1);
    glTexCoord2f(1, 1); glVertex2f(1, 1);
    glTexCoord2f(0, 1); glVertex2f(-1, 1);
    glEnd();
    glEndList();

    task_video_resize(800, 600);
    task_video_resize(400, 300);
    ASSERT_NE(task_video_window(), nullptr);
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_TRUE(glIsList(list));

    // Draw the list full screen with the texture: the window turns red.
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor3f(1, 1, 1);
    glCallList(list);
    const Rgb centre = test_readPixel(200, 150);
    EXPECT_EQ(centre.r, 255);
    EXPECT_EQ(centre.g, 0);
    EXPECT_EQ(centre.b, 0);
}

TEST_F(VideoTest, SwitchesStartWithCullingOnAndTheRestOffAndTwoTogglesRestoreThem)
{
    EXPECT_FALSE(task_video_isWireframe());
    EXPECT_TRUE(task_video_isFrustumCulling());
    EXPECT_FALSE(task_video_isShowFPS());
    const bool lists = g_useDisplaylists;
    for (int i = 0; i < 2; ++i) {
        task_video_toggleDrawWireframe();
        task_video_toggleFrustumCulling();
        task_video_toggleShowFPS();
        task_video_switchDisplaylists();
        EXPECT_EQ(task_video_isWireframe(), i == 0);
        EXPECT_EQ(task_video_isFrustumCulling(), i != 0);
        EXPECT_EQ(task_video_isShowFPS(), i == 0);
        EXPECT_EQ(g_useDisplaylists, i == 0 ? !lists : lists);
    }
}

TEST_F(VideoTest, TheTextureModeCyclesZeroOneTwo)
{
    task_video_texturemode = 2;
    task_video_switchTextureRendering();
    EXPECT_EQ(task_video_texturemode, 0);
    task_video_switchTextureRendering();
    EXPECT_EQ(task_video_texturemode, 1);
    task_video_switchTextureRendering();
    EXPECT_EQ(task_video_texturemode, 2);
}

TEST_F(VideoTest, SuspendOnlyMarksThePauseAndResumeClearsIt)
{
    task_video_suspend();
    EXPECT_TRUE(task_video_isPaused());
    EXPECT_EQ(task_video_resume(), 1);
    EXPECT_FALSE(task_video_isPaused());
}

TEST(VideoStart, WithoutADisplayTheStartFailsWithOneLineNamingSDLsError)
{
    const char *display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    setenv("DISPLAY", ":9999", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    testing::internal::CaptureStderr();
    const bool started = test_startVideo(640, 480);
    const std::string errors = testing::internal::GetCapturedStderr();
    test_stopVideo();
    unsetenv("SDL_VIDEODRIVER");
    if (!saved.empty())
        setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_FALSE(started);
    EXPECT_EQ(errors.rfind("Error: Failed to initialise SDL_INIT_VIDEO. ", 0), 0u) << errors;
}

} // namespace
