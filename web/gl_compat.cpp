// gl_compat.cpp -- the few OpenGL 1.1 and GLU calls the game makes that the browser's
// fixed-function layer (Emscripten's GL emulation over WebGL) lacks. Linked into the browser
// build only.
#include <GL/gl.h>
#include <GL/glu.h>
#include <array>
#include <vector>

namespace {

// What glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT) keeps, for the switches the game turns.
constexpr std::array<GLenum, 7> kept_switches = {GL_DEPTH_TEST, GL_LIGHTING, GL_FOG,  GL_CULL_FACE,
                                                 GL_TEXTURE_2D, GL_BLEND,    GL_SCISSOR_TEST};
struct KeptAttributes {
    std::array<GLboolean, kept_switches.size()> enabled{};
    GLint texture = 0;
    GLint textureEnvMode = GL_MODULATE;
};
std::vector<KeptAttributes> attributeStack;

} // namespace

extern "C" {

void glGenerateMipmap(GLenum target); // WebGL's own

// No display lists: 0 tells the models and the font to draw each time instead.
GLuint glGenLists(GLsizei)
{
    return 0;
}
void glNewList(GLuint, GLenum) {}
void glEndList() {}
void glCallList(GLuint) {}
void glCallLists(GLsizei, GLenum, const GLvoid *) {}
void glListBase(GLuint) {}
void glDeleteLists(GLuint, GLsizei) {}

void glVertex2d(GLdouble x, GLdouble y)
{
    glVertex2f(static_cast<GLfloat>(x), static_cast<GLfloat>(y));
}

void glMaterialf(GLenum face, GLenum name, GLfloat value)
{
    glMaterialfv(face, name, &value);
}

void glPushAttrib(GLbitfield)
{
    KeptAttributes kept;
    for (size_t i = 0; i < kept_switches.size(); ++i)
        kept.enabled[i] = glIsEnabled(kept_switches[i]);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &kept.texture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &kept.textureEnvMode);
    attributeStack.push_back(kept);
}

void glPopAttrib()
{
    if (attributeStack.empty())
        return;
    const KeptAttributes kept = attributeStack.back();
    attributeStack.pop_back();
    for (size_t i = 0; i < kept_switches.size(); ++i) {
        if (kept.enabled[i])
            glEnable(kept_switches[i]);
        else
            glDisable(kept_switches[i]);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(kept.texture));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, kept.textureEnvMode);
}

// WebGL builds the smaller levels itself; every image the game loads has sides that are powers
// of two, which WebGL 1 needs for them. The internal format must equal the format there.
GLint gluBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        const void *pixels)
{
    glTexImage2D(target, 0, static_cast<GLint>(format), width, height, 0, format, type, pixels);
    glGenerateMipmap(target);
    return 0;
}

} // extern "C"
