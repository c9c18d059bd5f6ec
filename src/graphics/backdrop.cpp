// backdrop.cpp -- the sky: its box drawn around the eye, and its picture in a texture, copied to
// the screen each frame.
#include "graphics/backdrop.h"

#include "graphics/texture.h"
#include "math/vector.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <cstring>

namespace {

// One face of the sky box per slot: the file, then its four corners in drawing order, each as
// texture coordinate (s, t) and a corner of the box (0: low end, 1: high end of x, y, z).
struct SkyCorner {
    float s, t;
    int x, y, z;
};
struct SkyFace {
    const char *file;
    std::array<SkyCorner, 4> corners;
};
// Every face is wound counter-clockwise as seen from inside, so back-face culling keeps all six.
const std::array<SkyFace, 6> sky_faces = {{
    {"data/Skymap.jpg", {{{1, 0, 1, 0, 0}, {1, 1, 1, 1, 0}, {0, 1, 0, 1, 0}, {0, 0, 0, 0, 0}}}}, // far (z0)
    {"data/Skymap.jpg", {{{1, 0, 0, 0, 1}, {1, 1, 0, 1, 1}, {0, 1, 1, 1, 1}, {0, 0, 1, 0, 1}}}}, // near (z1)
    {"data/boden.jpg", {{{0, 0, 0, 0, 0}, {1, 0, 0, 0, 1}, {1, 1, 1, 0, 1}, {0, 1, 1, 0, 0}}}},  // ground (y0)
    {"data/Skymap.jpg", {{{1, 0, 0, 1, 1}, {1, 1, 0, 1, 0}, {0, 1, 1, 1, 0}, {0, 0, 1, 1, 1}}}}, // top (y1)
    {"data/Skymap.jpg", {{{1, 0, 0, 0, 0}, {1, 1, 0, 1, 0}, {0, 1, 0, 1, 1}, {0, 0, 0, 0, 1}}}}, // left (x0)
    {"data/Skymap.jpg", {{{1, 0, 1, 0, 1}, {1, 1, 1, 1, 1}, {0, 1, 1, 1, 0}, {0, 0, 1, 0, 0}}}}, // right (x1)
}};

constexpr float box_width = 3000, box_height = 600, box_length = 3000;

// The framebuffer-object calls the fast copy needs. OpenGL 1.1 has none of them: they come from
// the driver, when it offers both extensions.
struct BlitCalls {
    PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
    PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers;
    PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebufferTexture2D;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus;
    PFNGLBLITFRAMEBUFFEREXTPROC blitFramebuffer;
};
BlitCalls blitCalls{};
bool framebuffersAllowed = true;

// Whether the current context can copy between framebuffers; fills blitCalls when it can.
bool loadBlitCalls()
{
#ifdef __EMSCRIPTEN__
    return false; // WebGL 1 copies between framebuffers only through textured quads
#else
    const auto hasExtension = [](const char *name) {
        const char *all = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
        const size_t length = std::strlen(name);
        for (const char *at = all; at != nullptr && (at = std::strstr(at, name)) != nullptr; at += length)
            if ((at == all || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
                return true;
        return false;
    };
    if (!framebuffersAllowed || !hasExtension("GL_EXT_framebuffer_object") || !hasExtension("GL_EXT_framebuffer_blit"))
        return false;
    BlitCalls calls{};
    calls.genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSEXTPROC>(SDL_GL_GetProcAddress("glGenFramebuffersEXT"));
    calls.deleteFramebuffers = reinterpret_cast<PFNGLDELETEFRAMEBUFFERSEXTPROC>(SDL_GL_GetProcAddress("glDeleteFramebuffersEXT"));
    calls.bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFEREXTPROC>(SDL_GL_GetProcAddress("glBindFramebufferEXT"));
    calls.framebufferTexture2D = reinterpret_cast<PFNGLFRAMEBUFFERTEXTURE2DEXTPROC>(SDL_GL_GetProcAddress("glFramebufferTexture2DEXT"));
    calls.checkFramebufferStatus = reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC>(SDL_GL_GetProcAddress("glCheckFramebufferStatusEXT"));
    calls.blitFramebuffer = reinterpret_cast<PFNGLBLITFRAMEBUFFEREXTPROC>(SDL_GL_GetProcAddress("glBlitFramebufferEXT"));
    if (calls.genFramebuffers == nullptr || calls.deleteFramebuffers == nullptr || calls.bindFramebuffer == nullptr ||
        calls.framebufferTexture2D == nullptr || calls.checkFramebufferStatus == nullptr || calls.blitFramebuffer == nullptr)
        return false;
    blitCalls = calls;
    return true;
#endif
}

// Copies the whole picture between the window and the backdrop's framebuffer, upside down. The
// window's rows lie in memory top row first, a texture's bottom row first: turned over once on
// the way in and once on the way out, the picture comes back the right way up, and each copy is a
// plain copy of memory for a renderer that keeps its pixels as the window does.
void blitTurned(unsigned from, unsigned to, int width, int height)
{
    blitCalls.bindFramebuffer(GL_READ_FRAMEBUFFER_EXT, from);
    blitCalls.bindFramebuffer(GL_DRAW_FRAMEBUFFER_EXT, to);
    blitCalls.blitFramebuffer(0, 0, width, height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    blitCalls.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
}

// The picture in a texture of the window's size attached to a framebuffer object, in the layout
// a window of 8-bit colours has. False, with nothing left made, when the driver refuses any of it.
bool takeIntoFramebuffer(Backdrop &backdrop, const BackdropView &view)
{
    if (backdrop.framebuffer == 0 && backdrop.texture != 0)
        return false; // a texture for the quad is already made: keep to it
    if (backdrop.framebuffer == 0 && !loadBlitCalls())
        return false;
    if (backdrop.framebuffer == 0 || view.width != backdrop.textureWidth || view.height != backdrop.textureHeight) {
        if (backdrop.framebuffer == 0) {
            GLuint names[2] = {0, 0};
            glGenTextures(1, &names[0]);
            blitCalls.genFramebuffers(1, &names[1]);
            backdrop.texture = names[0];
            backdrop.framebuffer = names[1];
        }
        glBindTexture(GL_TEXTURE_2D, backdrop.texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, view.width, view.height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
        blitCalls.bindFramebuffer(GL_FRAMEBUFFER_EXT, backdrop.framebuffer);
        blitCalls.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, backdrop.texture, 0);
        const bool complete = blitCalls.checkFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
        blitCalls.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
        if (glGetError() != GL_NO_ERROR || !complete) {
            backdrop_forget(backdrop);
            return false;
        }
        backdrop.textureWidth = view.width;
        backdrop.textureHeight = view.height;
    }
    blitTurned(0, backdrop.framebuffer, view.width, view.height);
    if (glGetError() != GL_NO_ERROR) {
        // Refused (a window of several samples a pixel cannot be copied so): the quad from now on.
        backdrop_forget(backdrop);
        framebuffersAllowed = false;
        return false;
    }
    return true;
}

int powerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

} // namespace

BackdropBox backdrop_loadBox()
{
    BackdropBox box{};
    for (size_t slot = 0; slot < sky_faces.size(); ++slot)
        box.textures[slot] = texture_get(sky_faces[slot].file);
    return box;
}

// The box gives all of its material: with what the last model left, its tint would change with
// the order of drawing, and the picture with it.
void backdrop_drawBox(const BackdropBox &box, const vector3d &eye)
{
    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1}, diffuse[] = {0.8f, 0.8f, 0.8f, 1}, none[] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0);
    glNormal3f(0, 0, 1);
    glDisable(GL_DEPTH_TEST);
    const float x0 = eye.x - box_width / 2, y0 = eye.y - box_height / 2, z0 = eye.z - box_length / 2;
    const std::array<float, 2> xs = {x0, x0 + box_width}, ys = {y0, y0 + box_height}, zs = {z0, z0 + box_length};
    for (size_t slot = 0; slot < sky_faces.size(); ++slot) {
        // The handle as the cache gave it: the nearest-filtered variant, whatever the texture mode.
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(box.textures[slot]));
        glBegin(GL_QUADS);
        for (const SkyCorner &c : sky_faces[slot].corners) {
            glTexCoord2f(c.s, c.t);
            glVertex3f(xs[c.x], ys[c.y], zs[c.z]);
        }
        glEnd();
    }
    glEnable(GL_DEPTH_TEST);
}

bool backdrop_shows(const Backdrop &backdrop, const BackdropView &view)
{
    return backdrop.taken && backdrop.view == view;
}

void backdrop_take(Backdrop &backdrop, const BackdropView &view)
{
    if (view.width <= 0 || view.height <= 0)
        return;
    if (takeIntoFramebuffer(backdrop, view)) { // which has checked the copy for errors
        backdrop.view = view;
        backdrop.taken = true;
        return;
    }
    const int textureWidth = powerOfTwoAtLeast(view.width), textureHeight = powerOfTwoAtLeast(view.height);
    if (backdrop.texture == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        backdrop.texture = name;
        backdrop.textureWidth = 0;
    }
    glBindTexture(GL_TEXTURE_2D, backdrop.texture);
    if (textureWidth != backdrop.textureWidth || textureHeight != backdrop.textureHeight) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
#ifdef __EMSCRIPTEN__
        // WebGL copies only into a texture of the window's own format, which has no alpha.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureWidth, textureHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
#else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureWidth, textureHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
#endif
        backdrop.textureWidth = textureWidth;
        backdrop.textureHeight = textureHeight;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, view.width, view.height);
    backdrop.view = view;
    backdrop.taken = glGetError() == GL_NO_ERROR;
}

void backdrop_draw(const Backdrop &backdrop)
{
    if (!backdrop.taken)
        return;
    if (backdrop.framebuffer != 0) {
        blitTurned(backdrop.framebuffer, 0, backdrop.view.width, backdrop.view.height);
        return;
    }
    const float w = static_cast<float>(backdrop.view.width), h = static_cast<float>(backdrop.view.height);
    const float s = w / static_cast<float>(backdrop.textureWidth), t = h / static_cast<float>(backdrop.textureHeight);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, backdrop.texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, w, 0, h, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(s, 0);
    glVertex2f(w, 0);
    glTexCoord2f(s, t);
    glVertex2f(w, h);
    glTexCoord2f(0, t);
    glVertex2f(0, h);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void backdrop_forget(Backdrop &backdrop)
{
    if (backdrop.framebuffer != 0) {
        const GLuint name = backdrop.framebuffer;
        blitCalls.deleteFramebuffers(1, &name);
    }
    if (backdrop.texture != 0) {
        const GLuint name = backdrop.texture;
        glDeleteTextures(1, &name);
    }
    backdrop = Backdrop{};
}

void backdrop_useFramebuffers(bool use)
{
    framebuffersAllowed = use;
}
