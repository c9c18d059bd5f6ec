// model.cpp -- the model cache and drawing. One entry per file name ever asked for, never
// removed; models, their display lists and textures live until exit.
#include "graphics/model.h"

#include "graphics/model_parse.h"
#include "graphics/texture.h"
#include "kernel/common.h"
#include "kernel/main.h"
#include "kernel/textfile.h"

#include <GL/gl.h>

#include <memory>

namespace {

struct ModelEntry {
    std::string name;
    std::unique_ptr<model> loaded; // null: the file failed to load
};

// Searched newest first; names are unique, so the order only mirrors the list the game keeps.
std::vector<ModelEntry> modellist;

// The group's material (a group without one, -1 stored as 255, or with one past the array keeps
// the material of whatever was drawn before) and its triangles; binds no texture.
void drawGroupImmediate(const model *m, const model_group &group)
{
    if (group.materialIndex < m->materials.size()) {
        const model_material &mat = m->materials[group.materialIndex];
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, mat.ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, mat.diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, mat.specular);
        glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, mat.emissive);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, mat.shininess);
    }
    const size_t numVertices = m->vertices.size(), numTriangles = m->triangles.size();
    glBegin(GL_TRIANGLES);
    for (const uint16_t index : group.triangleIndices) {
        // A triangle that is not in the file, or that names a vertex that is not, is left out.
        if (index >= numTriangles)
            continue;
        const model_triangle &tri = m->triangles[index];
        if (tri.vertexIndices[0] >= numVertices || tri.vertexIndices[1] >= numVertices ||
            tri.vertexIndices[2] >= numVertices)
            continue;
        for (int j = 0; j < 3; ++j) {
            glNormal3fv(tri.normals[j]);
            glTexCoord2f(tri.s[j], tri.t[j]);
            glVertex3fv(m->vertices[tri.vertexIndices[j]].position);
        }
    }
    glEnd();
}

std::unique_ptr<model> model_loadMS3D(const char *name)
{
    // A read error is not told apart: the parser judges the bytes that came before it.
    const TextFile file = textfile_read(name);
    if (!file.opened) {
        error("Model_loading: Failed to open file: %s", name);
        return nullptr;
    }
    // A file cut short anywhere is as unusable as one with a wrong identifier.
    std::unique_ptr<model> m =
        model_parseMS3D(reinterpret_cast<const unsigned char *>(file.text.data()), file.text.size());
    if (!m) {
        error("Model_loading: %s is not a valid ms3d file.", name);
        return nullptr;
    }
    // Names are used as stored, relative to the working directory; a missing image is reported
    // by the texture cache and leaves the handle -1.
    for (model_material &mat : m->materials) {
        mat.texture = mat.textureName.empty() ? 0 : texture_get(mat.textureName.c_str());
        mat.alphamap = mat.alphamapName.empty() ? 0 : texture_get(mat.alphamapName.c_str());
    }
    // Built whatever the display-list setting says, so it can be switched at run time.
    m->displayList = glGenLists(3);
    if (m->displayList != 0) {
        for (int mode = 0; mode < 3; ++mode) {
            glNewList(m->displayList + mode, GL_COMPILE);
            model_drawImmediate(m.get(), mode);
            glEndList();
        }
    }
    // And one list per group, its material and triangles without the texture, for frames that
    // draw the groups of many models sorted by texture.
    if (!m->groups.empty())
        m->groupLists = glGenLists(static_cast<GLsizei>(m->groups.size()));
    if (m->groupLists != 0) {
        for (size_t g = 0; g < m->groups.size(); ++g) {
            glNewList(m->groupLists + static_cast<unsigned>(g), GL_COMPILE);
            drawGroupImmediate(m.get(), m->groups[g]);
            glEndList();
        }
    }
    return m;
}

// Anything but 0, 1 or 2 would reach into another model's display lists.
int validMode(int mode)
{
    return mode < 0 ? 0 : mode > 2 ? 2 : mode;
}

void drawPlaceholder()
{
    glBegin(GL_TRIANGLES);
    glVertex3f(0, 1, 0);
    glVertex3f(-1, -1, 0);
    glVertex3f(1, -1, 0);
    glEnd();
}

} // namespace

const model *model_get(const char *name)
{
    if (name == nullptr)
        error_quit("Model loading. No name given.");
    for (auto entry = modellist.rbegin(); entry != modellist.rend(); ++entry)
        if (entry->name == name)
            return entry->loaded.get();
    modellist.push_back({name, model_loadMS3D(name)});
    return modellist.back().loaded.get();
}

void model_render(const model *m, int mode)
{
    if (g_useDisplaylists)
        model_drawDisplaylist(m, mode);
    else
        model_drawImmediate(m, mode);
}

void model_drawDisplaylist(const model *m, int mode)
{
    if (m == nullptr) {
        drawPlaceholder();
        return;
    }
    // A model whose lists could not be made is drawn immediately rather than through lists
    // 0 to 2, which may belong to another model.
    if (m->displayList == 0) {
        model_drawImmediate(m, mode);
        return;
    }
    glCallList(m->displayList + validMode(mode));
}

void model_drawImmediate(const model *m, int mode)
{
    if (m == nullptr) {
        drawPlaceholder();
        return;
    }
    mode = validMode(mode);
    for (size_t g = 0; g < m->groups.size(); ++g) {
        const int texture = model_groupTexture(m, g, mode);
        if (texture >= 0)
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        drawGroupImmediate(m, m->groups[g]);
    }
}

int model_groupTexture(const model *m, size_t group, int mode)
{
    if (m == nullptr || group >= m->groups.size() || m->groups[group].materialIndex >= m->materials.size())
        return -1;
    const int texture = m->materials[m->groups[group].materialIndex].texture;
    // An image that failed to load binds no texture at all, in every mode, rather than whichever
    // texture happens to own the name -1 + mode.
    return texture > 0 ? texture + validMode(mode) : texture < 0 ? 0 : -1;
}

bool model_groupsSortable(const model *m)
{
    if (m == nullptr || m->groupLists == 0)
        return false;
    for (size_t g = 0; g < m->groups.size(); ++g)
        if (model_groupTexture(m, g, 0) < 0)
            return false;
    return true;
}

void model_drawGroup(const model *m, size_t group)
{
    if (m == nullptr || group >= m->groups.size())
        return;
    if (g_useDisplaylists && m->groupLists != 0)
        glCallList(m->groupLists + static_cast<unsigned>(group));
    else
        drawGroupImmediate(m, m->groups[group]);
}
