// model_parse.cpp -- the MS3D reader. Every read is checked against the bytes that remain;
// a section's records are counted against them before the section is allocated.
#include "graphics/model_parse.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char ms3d_identifier[10] = {'M', 'S', '3', 'D', '0', '0', '0', '0', '0', '0'};
constexpr size_t ms3d_headerBytes = 14;
constexpr size_t ms3d_vertexBytes = 15;
constexpr size_t ms3d_triangleBytes = 70;
constexpr size_t ms3d_groupHeadBytes = 35; // flags, name, triangle count
constexpr size_t ms3d_materialBytes = 361;
constexpr size_t ms3d_animationBytes = 12;
constexpr size_t ms3d_jointHeadBytes = 93;
constexpr size_t ms3d_keyframeBytes = 16;
constexpr size_t ms3d_nameBytes = 32;
constexpr size_t ms3d_fileNameBytes = 128;

// Little-endian field readers; the caller has made sure the bytes are there.
uint16_t readu16(const unsigned char *p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t readu32(const unsigned char *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

float readf32(const unsigned char *p)
{
    return std::bit_cast<float>(readu32(p));
}

void readFloats(const unsigned char *p, float *out, int count)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, p, sizeof(float) * static_cast<size_t>(count));
    } else {
        for (int i = 0; i < count; ++i)
            out[i] = readf32(p + 4 * i);
    }
}

// A fixed-size text field: up to its first NUL, never past its end.
std::string readName(const unsigned char *p, size_t fieldBytes)
{
    const void *nul = std::memchr(p, 0, fieldBytes);
    const size_t length = nul == nullptr ? fieldBytes : static_cast<const unsigned char *>(nul) - p;
    return std::string(reinterpret_cast<const char *>(p), length);
}

// The unread rest of the file. take() hands out the next n bytes, or null (and nothing
// afterwards) when fewer remain.
struct Cursor {
    const unsigned char *next;
    size_t left;

    const unsigned char *take(size_t n)
    {
        if (next == nullptr || n > left) {
            next = nullptr;
            return nullptr;
        }
        const unsigned char *at = next;
        next += n;
        left -= n;
        return at;
    }
    // Room for count records of recordBytes each (count is 16-bit, so this cannot overflow).
    bool has(size_t count, size_t recordBytes) const { return next != nullptr && count * recordBytes <= left; }
};

bool readCount(Cursor &in, size_t &count)
{
    const unsigned char *p = in.take(2);
    if (p == nullptr)
        return false;
    count = readu16(p);
    return true;
}

bool readVertices(Cursor &in, model &m)
{
    size_t count = 0;
    if (!readCount(in, count) || !in.has(count, ms3d_vertexBytes))
        return false;
    m.vertices.resize(count);
    for (model_vertex &v : m.vertices) {
        const unsigned char *p = in.take(ms3d_vertexBytes);
        v.flags = p[0];
        readFloats(p + 1, v.position, 3);
        v.boneId = static_cast<int8_t>(p[13]);
        v.referenceCount = p[14];
    }
    return true;
}

bool readTriangles(Cursor &in, model &m)
{
    size_t count = 0;
    if (!readCount(in, count) || !in.has(count, ms3d_triangleBytes))
        return false;
    m.triangles.resize(count);
    for (model_triangle &t : m.triangles) {
        const unsigned char *p = in.take(ms3d_triangleBytes);
        t.flags = readu16(p);
        for (int j = 0; j < 3; ++j)
            t.vertexIndices[j] = readu16(p + 2 + 2 * j);
        readFloats(p + 8, &t.normals[0][0], 9);
        readFloats(p + 44, t.s, 3);
        readFloats(p + 56, t.t, 3);
        t.smoothingGroup = p[68];
        t.groupIndex = p[69];
    }
    return true;
}

bool readGroups(Cursor &in, model &m)
{
    size_t count = 0;
    if (!readCount(in, count) || !in.has(count, ms3d_groupHeadBytes + 1))
        return false;
    m.groups.resize(count);
    for (model_group &g : m.groups) {
        const unsigned char *p = in.take(ms3d_groupHeadBytes);
        if (p == nullptr)
            return false;
        g.flags = p[0];
        g.name = readName(p + 1, ms3d_nameBytes);
        const size_t triangles = readu16(p + 33);
        const unsigned char *indices = in.take(2 * triangles + 1);
        if (indices == nullptr)
            return false;
        g.triangleIndices.resize(triangles);
        for (size_t i = 0; i < triangles; ++i)
            g.triangleIndices[i] = readu16(indices + 2 * i);
        g.materialIndex = indices[2 * triangles];
    }
    return true;
}

bool readMaterials(Cursor &in, model &m)
{
    size_t count = 0;
    if (!readCount(in, count) || !in.has(count, ms3d_materialBytes))
        return false;
    m.materials.resize(count);
    for (model_material &mat : m.materials) {
        const unsigned char *p = in.take(ms3d_materialBytes);
        mat.name = readName(p, ms3d_nameBytes);
        readFloats(p + 32, mat.ambient, 4);
        readFloats(p + 48, mat.diffuse, 4);
        readFloats(p + 64, mat.specular, 4);
        readFloats(p + 80, mat.emissive, 4);
        mat.shininess = readf32(p + 96);
        mat.transparency = readf32(p + 100);
        mat.mode = p[104];
        mat.textureName = readName(p + 105, ms3d_fileNameBytes);
        mat.alphamapName = readName(p + 233, ms3d_fileNameBytes);
        mat.texture = 0;
        mat.alphamap = 0;
    }
    return true;
}

bool readAnimation(Cursor &in, model &m)
{
    const unsigned char *p = in.take(ms3d_animationBytes);
    if (p == nullptr)
        return false;
    m.animationFps = readf32(p);
    m.currentTime = readf32(p + 4);
    m.totalFrames = static_cast<float>(readu32(p + 8));
    // Nothing plays the animation; a file without a frame rate gets no length rather than a
    // division by zero.
    m.totalTime = m.animationFps > 0 ? m.totalFrames * 1000.0f / m.animationFps : 0.0f;
    return true;
}

bool readKeyframes(Cursor &in, std::vector<model_keyframe> &keys, size_t count)
{
    keys.resize(count);
    for (model_keyframe &key : keys) {
        const unsigned char *p = in.take(ms3d_keyframeBytes);
        key.time = readf32(p);
        readFloats(p + 4, key.value, 3);
    }
    return true;
}

bool readJoints(Cursor &in, model &m)
{
    size_t count = 0;
    if (!readCount(in, count) || !in.has(count, ms3d_jointHeadBytes))
        return false;
    m.joints.resize(count);
    for (model_joint &joint : m.joints) {
        const unsigned char *p = in.take(ms3d_jointHeadBytes);
        if (p == nullptr)
            return false;
        joint.flags = p[0];
        joint.name = readName(p + 1, ms3d_nameBytes);
        joint.parentName = readName(p + 33, ms3d_nameBytes);
        readFloats(p + 65, joint.rotation, 3);
        readFloats(p + 77, joint.position, 3);
        const size_t rotations = readu16(p + 89), translations = readu16(p + 91);
        if (!in.has(rotations + translations, ms3d_keyframeBytes))
            return false;
        readKeyframes(in, joint.rotationKeys, rotations);
        readKeyframes(in, joint.translationKeys, translations);
    }
    return true;
}

// The box always holds the origin: it starts there and only grows.
void computeBounds(model &m)
{
    m.radius = 0;
    m.min = {0, 0, 0};
    m.max = {0, 0, 0};
    for (const model_vertex &v : m.vertices) {
        const float x = v.position[0], y = v.position[1], z = v.position[2];
        const float d = std::sqrt(x * x + y * y + z * z);
        if (d > m.radius)
            m.radius = d;
        if (x < m.min.x)
            m.min.x = x;
        if (x > m.max.x)
            m.max.x = x;
        if (y < m.min.y)
            m.min.y = y;
        if (y > m.max.y)
            m.max.y = y;
        if (z < m.min.z)
            m.min.z = z;
        if (z > m.max.z)
            m.max.z = z;
    }
}

} // namespace

std::unique_ptr<model> model_parseMS3D(const unsigned char *bytes, size_t size, std::string *why)
{
    const auto refuse = [why](std::string reason) {
        if (why != nullptr)
            *why = std::move(reason);
        return nullptr;
    };
    if (bytes == nullptr || size < ms3d_headerBytes)
        return refuse("shorter than the 14-byte header");
    if (std::memcmp(bytes, ms3d_identifier, 10) != 0)
        return refuse("does not begin with MS3D000000");
    const int32_t version = static_cast<int32_t>(readu32(bytes + 10));
    if (version != 3 && version != 4)
        return refuse("version " + std::to_string(version) + "; only versions 3 and 4 are read");
    Cursor in{bytes + ms3d_headerBytes, size - ms3d_headerBytes};
    auto m = std::make_unique<model>();
    struct Section {
        const char *name;
        bool (*read)(Cursor &, model &);
    };
    static constexpr Section sections[] = {{"vertex", readVertices},     {"triangle", readTriangles},
                                           {"group", readGroups},        {"material", readMaterials},
                                           {"animation", readAnimation}, {"joint", readJoints}};
    for (const Section &section : sections) {
        const size_t at = size - in.left;
        if (!section.read(in, *m)) {
            if (why != nullptr)
                *why = std::string("the ") + section.name + " section at byte " + std::to_string(at) + " is cut short";
            return nullptr;
        }
    }
    computeBounds(*m);
    return m;
}
