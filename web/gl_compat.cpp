// gl_compat.cpp -- the few OpenGL 1.1 and GLU calls the game makes that the browser's
// fixed-function layer (Emscripten's GL emulation over WebGL) lacks. Linked into the browser
// build only.
#include <GL/gl.h>
#include <GL/glu.h>
#include <emscripten.h>
#include <array>
#include <cmath>
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

// The browser's lighting has ambient, diffuse and specular material colours and a shininess, but
// no emission (its own version stops the program at one). A glowing part is given the light it
// emits through its ambient colour instead: every ambient light, the scene's included, lights it,
// so the emission is shared out by their sum.
EM_JS(void, setMaterial, (GLenum name, const GLfloat *values), {
    var E = GLEmulation;
    E.trelvikAmbient = E.trelvikAmbient || [0.2, 0.2, 0.2, 1];
    E.trelvikEmission = E.trelvikEmission || [0, 0, 0, 1];
    var count = name == 0x1601 ? 1 : 4;
    var target = name == 0x1200 ? E.trelvikAmbient
               : name == 0x1600 ? E.trelvikEmission
               : name == 0x1201 ? E.materialDiffuse
               : name == 0x1202 ? E.materialSpecular
               : name == 0x1601 ? E.materialShininess : null;
    if (!target)
        return;
    for (var i = 0; i < count; ++i)
        target[i] = HEAPF32[(values >> 2) + i];
    if (name != 0x1200 && name != 0x1600)
        return;
    for (var c = 0; c < 3; ++c) {
        var lit = E.lightModelAmbient[c];
        for (var l = 0; l < E.lightAmbient.length; ++l)
            if (E.lightEnabled[l])
                lit += E.lightAmbient[l][c];
        E.materialAmbient[c] = E.trelvikAmbient[c] + (lit > 0 ? E.trelvikEmission[c] / lit : 0);
    }
    E.materialAmbient[3] = E.trelvikAmbient[3];
});

// The layer keeps each light's colours and position but has no call to read them back.
EM_JS(void, getLight, (GLenum light, GLenum name, GLfloat *values), {
    var E = GLEmulation;
    var l = light - 0x4000;
    var source = name == 0x1200 ? E.lightAmbient[l]
               : name == 0x1201 ? E.lightDiffuse[l]
               : name == 0x1202 ? E.lightSpecular[l]
               : name == 0x1203 ? E.lightPosition[l] : null;
    for (var i = 0; i < 4; ++i)
        HEAPF32[(values >> 2) + i] = source ? source[i] : 0;
});

// The layer turns texturing on and off but always reports it off.
bool texturing = false;

// The layer keeps no current normal: a normal counts only inside glBegin/glEnd, for the vertex
// that follows, and every vertex there must carry the same kinds of values. So the normal given
// last is kept here, and a vertex that came without one of its own gets it.
struct {
    std::array<GLfloat, 3> current{0, 0, 1};
    bool inside = false;    // between glBegin and glEnd
    bool ownNormal = false; // the coming vertex was given its normal
} normals;

} // namespace

extern "C" {

void glGenerateMipmap(GLenum target); // WebGL's own
// The layer's own versions of the calls wrapped below.
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
GLboolean emscripten_glIsEnabled(GLenum cap);
void emscripten_glBegin(GLenum mode);
void emscripten_glEnd();
void emscripten_glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void emscripten_glVertex2f(GLfloat x, GLfloat y);
void emscripten_glVertex3f(GLfloat x, GLfloat y, GLfloat z);

void glEnable(GLenum cap)
{
    if (cap == GL_TEXTURE_2D)
        texturing = true;
    emscripten_glEnable(cap);
}

void glDisable(GLenum cap)
{
    if (cap == GL_TEXTURE_2D)
        texturing = false;
    emscripten_glDisable(cap);
}

GLboolean glIsEnabled(GLenum cap)
{
    return cap == GL_TEXTURE_2D ? texturing : emscripten_glIsEnabled(cap);
}

void glBegin(GLenum mode)
{
    normals.inside = true;
    normals.ownNormal = false;
    emscripten_glBegin(mode);
}

void glEnd()
{
    normals.inside = false;
    emscripten_glEnd();
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    normals.current = {x, y, z};
    if (!normals.inside)
        return;
    normals.ownNormal = true;
    emscripten_glNormal3f(x, y, z);
}

void glNormal3fv(const GLfloat *v)
{
    glNormal3f(v[0], v[1], v[2]);
}

namespace {
void normalForVertex()
{
    if (!normals.ownNormal)
        emscripten_glNormal3f(normals.current[0], normals.current[1], normals.current[2]);
    normals.ownNormal = false;
}
} // namespace

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    normalForVertex();
    emscripten_glVertex3f(x, y, z);
}

void glVertex3fv(const GLfloat *v)
{
    glVertex3f(v[0], v[1], v[2]);
}

void glVertex2f(GLfloat x, GLfloat y)
{
    normalForVertex();
    emscripten_glVertex2f(x, y);
}

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

// Hints are advice; WebGL knows none of the ones the game gives and reports each as an error.
void glHint(GLenum, GLenum) {}

void glVertex2d(GLdouble x, GLdouble y)
{
    glVertex2f(static_cast<GLfloat>(x), static_cast<GLfloat>(y));
}

void glGetLightfv(GLenum light, GLenum name, GLfloat *values)
{
    getLight(light, name, values);
}

void glMaterialfv(GLenum, GLenum name, const GLfloat *values)
{
    setMaterial(name, values);
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

// The layer's own gluLookAt hands its arguments to the matrix library in the wrong order and
// leaves the matrix as it was: this is GLU's.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    const auto normalised = [](std::array<double, 3> v) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length > 0)
            for (double &c : v)
                c /= length;
        return v;
    };
    const auto cross = [](const std::array<double, 3> &a, const std::array<double, 3> &b) {
        return std::array<double, 3>{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    const std::array<double, 3> forward = normalised({centreX - eyeX, centreY - eyeY, centreZ - eyeZ});
    const std::array<double, 3> side = normalised(cross(forward, {upX, upY, upZ}));
    const std::array<double, 3> up = cross(side, forward);
    // Column by column: the rows are the side, up and backward axes.
    const GLdouble m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                            side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
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
