// check_model.cpp -- models through model_parseMS3D, then what the parser keeps as stored and
// drawing has to cope with: indices, coordinates, materials.
#include "check_model.h"

#include "check_file.h"

#include "graphics/model_parse.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Beyond this a model dwarfs the playing field (220 units wide) many times over.
constexpr float check_largestRadius = 10000.0f;

bool finite(const float *values, int count)
{
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

// "the first" problem with a count of the rest, so a broken model gives one line per kind of fault.
std::string andMore(const std::string &first, int count)
{
    return count > 1 ? first + " (and " + std::to_string(count - 1) + " more like it)" : first;
}

std::string groupName(const model_group &group, size_t index)
{
    return group.name.empty() ? "group " + std::to_string(index) : "group \"" + group.name + "\"";
}

} // namespace

void check_modelContent(CheckReport &report, const std::string &path, const model &m)
{
    const size_t numVertices = m.vertices.size(), numTriangles = m.triangles.size(), numMaterials = m.materials.size();

    int badVertices = 0;
    std::string firstBadVertex;
    for (size_t i = 0; i < numVertices; ++i)
        if (!finite(m.vertices[i].position, 3) && badVertices++ == 0)
            firstBadVertex = "vertex " + std::to_string(i) + " has a coordinate that is not a finite number";
    if (badVertices > 0)
        check_error(report, path, andMore(firstBadVertex, badVertices) + "; the model's box and radius are wrong");

    int badCorners = 0, badSurface = 0;
    std::string firstBadCorner, firstBadSurface;
    for (size_t i = 0; i < numTriangles; ++i) {
        const model_triangle &t = m.triangles[i];
        for (const uint16_t v : t.vertexIndices) {
            if (v >= numVertices) {
                if (badCorners++ == 0)
                    firstBadCorner = "triangle " + std::to_string(i) + " names vertex " + std::to_string(v) + " of " +
                                     std::to_string(numVertices);
                break;
            }
        }
        if ((!finite(&t.normals[0][0], 9) || !finite(t.s, 3) || !finite(t.t, 3)) && badSurface++ == 0)
            firstBadSurface = "triangle " + std::to_string(i) + " has a normal or texture coordinate that is not a number";
    }
    if (badCorners > 0)
        check_error(report, path, andMore(firstBadCorner, badCorners) + "; the game leaves such triangles out");
    if (badSurface > 0)
        check_warning(report, path, andMore(firstBadSurface, badSurface) + "; its lighting or texture will look wrong");

    int badMembers = 0, badMaterials = 0, noMaterial = 0;
    std::string firstBadMember, firstBadMaterial, firstNoMaterial;
    for (size_t g = 0; g < m.groups.size(); ++g) {
        const model_group &group = m.groups[g];
        for (const uint16_t t : group.triangleIndices) {
            if (t >= numTriangles) {
                if (badMembers++ == 0)
                    firstBadMember = groupName(group, g) + " names triangle " + std::to_string(t) + " of " +
                                     std::to_string(numTriangles);
                break;
            }
        }
        if (group.materialIndex == 255) {
            if (noMaterial++ == 0)
                firstNoMaterial = groupName(group, g) + " has no material";
        } else if (group.materialIndex >= numMaterials && badMaterials++ == 0) {
            firstBadMaterial = groupName(group, g) + " names material " + std::to_string(group.materialIndex) +
                               " of " + std::to_string(numMaterials);
        }
    }
    if (badMembers > 0)
        check_error(report, path, andMore(firstBadMember, badMembers) + "; the game leaves such triangles out");
    if (badMaterials > 0)
        check_error(report, path,
                    andMore(firstBadMaterial, badMaterials) + "; the game draws it with whatever material came before");
    if (noMaterial > 0)
        check_warning(report, path,
                      andMore(firstNoMaterial, noMaterial) + "; the game draws it with whatever material came before");

    if (numVertices == 0)
        check_warning(report, path, "has no vertices; the game draws nothing and its box is a point");
    else if (m.groups.empty() && numTriangles > 0)
        check_warning(report, path, "has triangles but no groups; the game draws only groups, so nothing of it");
    if (m.radius > check_largestRadius)
        check_warning(report, path,
                      "reaches " + std::to_string(static_cast<long long>(m.radius)) +
                          " units from its origin; the playing field is 220 units wide");
}

std::unique_ptr<model> check_model(CheckReport &report, const std::string &path, const std::string &users,
                                   std::vector<CheckImage> &images)
{
    const std::optional<std::string> bytes =
        check_readFile(report, path, "the game reports it and draws nothing for " + users);
    if (!bytes)
        return nullptr;
    std::string why;
    std::unique_ptr<model> m =
        model_parseMS3D(reinterpret_cast<const unsigned char *>(bytes->data()), bytes->size(), &why);
    if (!m) {
        check_error(report, path, "is not a model the game reads: " + why + "; the game reports it and draws nothing for " + users);
        return nullptr;
    }
    check_modelContent(report, path, *m);
    for (const model_material &mat : m->materials)
        for (const std::string *name : {&mat.textureName, &mat.alphamapName})
            if (!name->empty() && std::none_of(images.begin(), images.end(),
                                               [&](const CheckImage &image) { return image.path == *name; }))
                images.push_back({*name, "the model " + path});
    return m;
}
