// gl_compat.cpp -- the few OpenGL 1.1 and GLU calls the game makes that the browser's
// fixed-function layer (Emscripten's GL emulation over WebGL) lacks. Linked into the browser
// build only.
#define GL_GLEXT_PROTOTYPES // the buffer calls of OpenGL 1.5, which WebGL has
#include <GL/gl.h>
#include <GL/glu.h>
#include <emscripten.h>
#include <array>
#include <cmath>
#include <cstdint>
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

// The layer has no display lists. What a list draws is recorded once into a vertex buffer of its
// own and replayed as one array draw for each run of triangles between changes of state (a
// material, a texture, a move of the pen): the same picture as the calls it was made of.
struct ListVertex {
    std::array<GLfloat, 3> position;
    std::array<GLfloat, 3> normal;
    std::array<GLfloat, 2> texCoord;
};
static_assert(sizeof(ListVertex) == 32, "the buffer's vertices are packed for the array pointers");

enum class ListStep : std::uint8_t { material, texture, translate, draw };
struct ListOp {
    ListStep step = ListStep::draw;
    GLenum name = 0;                 // material: the colour set
    std::array<GLfloat, 4> values{}; // material: its values; translate: x, y and z
    GLuint texture = 0;
    GLint first = 0; // draw: the triangles' vertices in the buffer
    GLsizei count = 0;
};
struct DisplayList {
    std::vector<ListOp> ops;
    std::vector<ListVertex> vertices; // only while it is recorded; then they are in the buffer
    GLuint buffer = 0;
    bool textured = false; // its vertices carry texture coordinates
};
// List n is displayLists[n - 1]; names are handed out once and never reused.
std::vector<DisplayList> displayLists;
constexpr size_t not_recording = SIZE_MAX;
size_t recording = not_recording; // the index of the list being recorded
struct {
    GLenum mode = GL_TRIANGLES;
    size_t start = 0; // its first vertex
} block;              // the glBegin being recorded
std::array<GLfloat, 2> texCoord{0, 0};
GLuint listBase = 0;

DisplayList *recorded()
{
    return recording == not_recording ? nullptr : &displayLists[recording];
}

void recordOp(const ListOp &op)
{
    recorded()->ops.push_back(op);
}

// A glBegin block becomes triangles: quads, fans and polygons are cut from their first corner.
void recordBlockEnd()
{
    DisplayList &list = *recorded();
    std::vector<ListVertex> corners(list.vertices.begin() + static_cast<std::ptrdiff_t>(block.start),
                                    list.vertices.end());
    list.vertices.resize(block.start);
    if (block.mode == GL_TRIANGLES) {
        corners.resize(corners.size() / 3 * 3);
        list.vertices.insert(list.vertices.end(), corners.begin(), corners.end());
    } else if (block.mode == GL_QUADS) {
        for (size_t q = 0; q + 3 < corners.size(); q += 4)
            for (const size_t c : {q, q + 1, q + 2, q, q + 2, q + 3})
                list.vertices.push_back(corners[c]);
    } else if (block.mode == GL_TRIANGLE_FAN || block.mode == GL_POLYGON) {
        for (size_t c = 1; c + 1 < corners.size(); ++c)
            for (const size_t v : {size_t{0}, c, c + 1})
                list.vertices.push_back(corners[v]);
    }
    const auto count = static_cast<GLsizei>(list.vertices.size() - block.start);
    if (count == 0)
        return;
    if (!list.ops.empty() && list.ops.back().step == ListStep::draw &&
        static_cast<size_t>(list.ops.back().first + list.ops.back().count) == block.start) {
        list.ops.back().count += count;
        return;
    }
    ListOp draw;
    draw.first = static_cast<GLint>(block.start);
    draw.count = count;
    recordOp(draw);
}

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
void emscripten_glTexCoord2f(GLfloat s, GLfloat t);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glTranslated(GLdouble x, GLdouble y, GLdouble z);

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
    if (recorded() != nullptr)
        block = {mode, recorded()->vertices.size()};
    else
        emscripten_glBegin(mode);
}

void glEnd()
{
    normals.inside = false;
    if (recorded() != nullptr)
        recordBlockEnd();
    else
        emscripten_glEnd();
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    normals.current = {x, y, z};
    if (!normals.inside || recorded() != nullptr)
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
    if (DisplayList *list = recorded()) {
        list->vertices.push_back({{x, y, z}, normals.current, texCoord});
        return;
    }
    normalForVertex();
    emscripten_glVertex3f(x, y, z);
}

void glVertex3fv(const GLfloat *v)
{
    glVertex3f(v[0], v[1], v[2]);
}

void glVertex2f(GLfloat x, GLfloat y)
{
    if (recorded() != nullptr) {
        glVertex3f(x, y, 0);
        return;
    }
    normalForVertex();
    emscripten_glVertex2f(x, y);
}

void glTexCoord2f(GLfloat s, GLfloat t)
{
    texCoord = {s, t};
    if (DisplayList *list = recorded())
        list->textured = true;
    else
        emscripten_glTexCoord2f(s, t);
}

void glBindTexture(GLenum target, GLuint texture)
{
    if (recorded() == nullptr) {
        emscripten_glBindTexture(target, texture);
        return;
    }
    ListOp op;
    op.step = ListStep::texture;
    op.texture = texture;
    recordOp(op);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    if (recorded() == nullptr) {
        emscripten_glTranslated(x, y, z);
        return;
    }
    ListOp op;
    op.step = ListStep::translate;
    op.values = {static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z), 0};
    recordOp(op);
}

GLuint glGenLists(GLsizei range)
{
    if (range <= 0)
        return 0;
    const size_t first = displayLists.size() + 1;
    displayLists.resize(displayLists.size() + static_cast<size_t>(range));
    return static_cast<GLuint>(first);
}

// Only GL_COMPILE: the game draws a list after making it, never while.
void glNewList(GLuint list, GLenum)
{
    if (list == 0 || list > displayLists.size() || recorded() != nullptr)
        return;
    recording = list - 1;
    DisplayList &l = displayLists[recording];
    l.ops.clear();
    l.vertices.clear();
    l.textured = false;
}

void glEndList()
{
    DisplayList *list = recorded();
    if (list == nullptr)
        return;
    recording = not_recording;
    if (list->vertices.empty())
        return;
    if (list->buffer == 0)
        glGenBuffers(1, &list->buffer);
    glBindBuffer(GL_ARRAY_BUFFER, list->buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(list->vertices.size() * sizeof(ListVertex)),
                 list->vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    list->vertices = {};
}

void glCallList(GLuint name)
{
    if (name == 0 || name > displayLists.size() || recorded() != nullptr)
        return;
    const DisplayList &list = displayLists[name - 1];
    bool arrays = false;
    for (const ListOp &op : list.ops) {
        switch (op.step) {
        case ListStep::material:
            setMaterial(op.name, op.values.data());
            break;
        case ListStep::texture:
            emscripten_glBindTexture(GL_TEXTURE_2D, op.texture);
            break;
        case ListStep::translate:
            emscripten_glTranslated(op.values[0], op.values[1], op.values[2]);
            break;
        case ListStep::draw:
            if (!arrays) {
                // Offsets into the list's own buffer.
                glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
                glVertexPointer(3, GL_FLOAT, sizeof(ListVertex), reinterpret_cast<const void *>(offsetof(ListVertex, position)));
                glNormalPointer(GL_FLOAT, sizeof(ListVertex), reinterpret_cast<const void *>(offsetof(ListVertex, normal)));
                glEnableClientState(GL_VERTEX_ARRAY);
                glEnableClientState(GL_NORMAL_ARRAY);
                if (list.textured) {
                    glTexCoordPointer(2, GL_FLOAT, sizeof(ListVertex), reinterpret_cast<const void *>(offsetof(ListVertex, texCoord)));
                    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
                }
                arrays = true;
            }
            glDrawArrays(GL_TRIANGLES, op.first, op.count);
            break;
        }
    }
    if (!arrays)
        return;
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (list.textured)
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void glListBase(GLuint base)
{
    listBase = base;
}

// Only the font calls lists by bytes: one list for each character.
void glCallLists(GLsizei n, GLenum type, const GLvoid *lists)
{
    if (type != GL_UNSIGNED_BYTE || lists == nullptr)
        return;
    const auto *bytes = static_cast<const GLubyte *>(lists);
    for (GLsizei i = 0; i < n; ++i)
        glCallList(listBase + bytes[i]);
}

// Lists live until exit: the game frees them only as it ends.
void glDeleteLists(GLuint, GLsizei) {}

// Hints are advice; WebGL knows none of the ones the game gives and reports each as an error.
void glHint(GLenum, GLenum) {}

void glVertex2d(GLdouble x, GLdouble y)
{
    glVertex2f(static_cast<GLfloat>(x), static_cast<GLfloat>(y));
}

void glMaterialfv(GLenum, GLenum name, const GLfloat *values)
{
    if (recorded() == nullptr) {
        setMaterial(name, values);
        return;
    }
    ListOp op;
    op.step = ListStep::material;
    op.name = name;
    for (size_t i = 0; i < (name == GL_SHININESS ? 1u : 4u); ++i)
        op.values[i] = values[i];
    recordOp(op);
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
