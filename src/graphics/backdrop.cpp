// backdrop.cpp -- the sky's picture in a texture, copied to the screen each frame.
#include "graphics/backdrop.h"

#include <GL/gl.h>

namespace {

int powerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

} // namespace

bool backdrop_shows(const Backdrop &backdrop, const BackdropView &view)
{
    return backdrop.taken && backdrop.view == view;
}

void backdrop_take(Backdrop &backdrop, const BackdropView &view)
{
    if (view.width <= 0 || view.height <= 0)
        return;
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
    if (backdrop.texture != 0) {
        const GLuint name = backdrop.texture;
        glDeleteTextures(1, &name);
    }
    backdrop = Backdrop{};
}
