// ms3d_writer.cpp -- encodes a model record as a little-endian MS3D version 4 file.
#include "ms3d_writer.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

constexpr size_t nameSize = 32;
constexpr size_t pathSize = 128;

struct Writer {
    std::vector<uint8_t> bytes;
};

void putU8(Writer &w, uint8_t v) { w.bytes.push_back(v); }

void putU16(Writer &w, uint16_t v)
{
    w.bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    w.bytes.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(Writer &w, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        w.bytes.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

void putF32(Writer &w, float v)
{
    static_assert(sizeof(float) == 4, "MS3D floats are 4 bytes");
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    putU32(w, bits);
}

// A fixed field, NUL-padded; the text is cut so that at least one NUL ends it.
void putText(Writer &w, const std::string &text, size_t size)
{
    const size_t used = text.size() < size ? text.size() : size - 1;
    for (size_t i = 0; i < size; ++i)
        w.bytes.push_back(i < used ? static_cast<uint8_t>(text[i]) : 0);
}

} // namespace

std::vector<uint8_t> ms3d_encode(const Ms3dModel &model)
{
    if (model.vertices.size() > 65535 || model.triangles.size() > 65535 || model.groups.size() > 255 ||
        model.materials.size() > 127)
        return {};
    Writer w;
    putText(w, "MS3D000000", 11);
    w.bytes.pop_back(); // the identifier has no terminator
    putU32(w, 4);

    putU16(w, static_cast<uint16_t>(model.vertices.size()));
    for (const Ms3dVertex &v : model.vertices) {
        putU8(w, 0);
        for (float c : v.position)
            putF32(w, c);
        putU8(w, 0xFF); // bone -1: not bound to a joint
        putU8(w, v.referenceCount);
    }

    putU16(w, static_cast<uint16_t>(model.triangles.size()));
    for (const Ms3dTriangle &t : model.triangles) {
        putU16(w, 0);
        for (uint16_t index : t.vertexIndices) {
            if (index >= model.vertices.size())
                return {};
            putU16(w, index);
        }
        for (const auto &normal : t.normals)
            for (float c : normal)
                putF32(w, c);
        for (float s : t.s)
            putF32(w, s);
        for (float tc : t.t)
            putF32(w, tc);
        putU8(w, t.smoothingGroup);
        if (t.groupIndex >= model.groups.size())
            return {};
        putU8(w, t.groupIndex);
    }

    putU16(w, static_cast<uint16_t>(model.groups.size()));
    for (const Ms3dGroup &g : model.groups) {
        if (g.triangleIndices.size() > 65535 ||
            (g.materialIndex >= 0 && static_cast<size_t>(g.materialIndex) >= model.materials.size()))
            return {};
        putU8(w, 0);
        putText(w, g.name, nameSize);
        putU16(w, static_cast<uint16_t>(g.triangleIndices.size()));
        for (uint16_t index : g.triangleIndices) {
            if (index >= model.triangles.size())
                return {};
            putU16(w, index);
        }
        putU8(w, static_cast<uint8_t>(g.materialIndex));
    }

    putU16(w, static_cast<uint16_t>(model.materials.size()));
    for (const Ms3dMaterial &m : model.materials) {
        putText(w, m.name, nameSize);
        for (const auto *colour : {&m.ambient, &m.diffuse, &m.specular, &m.emissive})
            for (float c : *colour)
                putF32(w, c);
        putF32(w, m.shininess);
        putF32(w, m.transparency);
        putU8(w, 0);
        putText(w, m.texture, pathSize);
        putText(w, "", pathSize);
    }

    putF32(w, 24.0f); // animation: frames per second, current time, total frames
    putF32(w, 0.0f);
    putU32(w, 30);
    putU16(w, 0); // no joints
    return w.bytes;
}

bool ms3d_writeFile(const Ms3dModel &model, const std::string &path)
{
    const std::vector<uint8_t> bytes = ms3d_encode(model);
    if (bytes.empty()) {
        std::fprintf(stderr, "datagen: %s does not fit the MS3D format\n", path.c_str());
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
