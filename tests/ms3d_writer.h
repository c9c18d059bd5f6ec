// ms3d_writer.h -- writes a model record as the bytes of an MS3D file, for the model tests and
// the parse benchmark. Fields are written exactly as the record holds them (names are cut or
// padded to their fields, without a terminator when they fill it).
#pragma once

#include "graphics/model.h"

#include <bit>
#include <cstdint>
#include <string>

struct Ms3dWriter {
    std::string bytes;

    void u8(unsigned value) { bytes += static_cast<char>(value & 0xFF); }
    void u16(unsigned value)
    {
        u8(value);
        u8(value >> 8);
    }
    void u32(uint32_t value)
    {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }
    void f32(float value) { u32(std::bit_cast<uint32_t>(value)); }
    void floats(const float *values, int count)
    {
        for (int i = 0; i < count; ++i)
            f32(values[i]);
    }
    void name(const std::string &text, size_t field)
    {
        std::string padded = text.substr(0, field);
        padded.resize(field, '\0');
        bytes += padded;
    }
};

// The file of m; counts are taken from the arrays. totalFrames is written as an integer.
inline std::string ms3d_write(const model &m, int version = 4)
{
    Ms3dWriter w;
    w.bytes = "MS3D000000";
    w.u32(static_cast<uint32_t>(version));
    w.u16(static_cast<unsigned>(m.vertices.size()));
    for (const model_vertex &v : m.vertices) {
        w.u8(v.flags);
        w.floats(v.position, 3);
        w.u8(static_cast<uint8_t>(v.boneId));
        w.u8(v.referenceCount);
    }
    w.u16(static_cast<unsigned>(m.triangles.size()));
    for (const model_triangle &t : m.triangles) {
        w.u16(t.flags);
        for (const uint16_t index : t.vertexIndices)
            w.u16(index);
        w.floats(&t.normals[0][0], 9);
        w.floats(t.s, 3);
        w.floats(t.t, 3);
        w.u8(t.smoothingGroup);
        w.u8(t.groupIndex);
    }
    w.u16(static_cast<unsigned>(m.groups.size()));
    for (const model_group &g : m.groups) {
        w.u8(g.flags);
        w.name(g.name, 32);
        w.u16(static_cast<unsigned>(g.triangleIndices.size()));
        for (const uint16_t index : g.triangleIndices)
            w.u16(index);
        w.u8(g.materialIndex);
    }
    w.u16(static_cast<unsigned>(m.materials.size()));
    for (const model_material &mat : m.materials) {
        w.name(mat.name, 32);
        w.floats(mat.ambient, 4);
        w.floats(mat.diffuse, 4);
        w.floats(mat.specular, 4);
        w.floats(mat.emissive, 4);
        w.f32(mat.shininess);
        w.f32(mat.transparency);
        w.u8(mat.mode);
        w.name(mat.textureName, 128);
        w.name(mat.alphamapName, 128);
    }
    w.f32(m.animationFps);
    w.f32(m.currentTime);
    w.u32(static_cast<uint32_t>(m.totalFrames));
    w.u16(static_cast<unsigned>(m.joints.size()));
    for (const model_joint &j : m.joints) {
        w.u8(j.flags);
        w.name(j.name, 32);
        w.name(j.parentName, 32);
        w.floats(j.rotation, 3);
        w.floats(j.position, 3);
        w.u16(static_cast<unsigned>(j.rotationKeys.size()));
        w.u16(static_cast<unsigned>(j.translationKeys.size()));
        for (const model_keyframe &key : j.rotationKeys) {
            w.f32(key.time);
            w.floats(key.value, 3);
        }
        for (const model_keyframe &key : j.translationKeys) {
            w.f32(key.time);
            w.floats(key.value, 3);
        }
    }
    return w.bytes;
}

// A material of one colour (ambient and diffuse) that names the image at texture ("" for none).
inline model_material ms3d_material(float r, float g, float b, const std::string &texture = "")
{
    model_material mat{};
    mat.name = "material";
    for (int i = 0; i < 4; ++i) {
        const float c = i == 0 ? r : i == 1 ? g : i == 2 ? b : 1.0f;
        mat.ambient[i] = c;
        mat.diffuse[i] = c;
        mat.specular[i] = i == 3 ? 1.0f : 0.0f;
        mat.emissive[i] = i == 3 ? 1.0f : 0.0f;
    }
    mat.textureName = texture;
    return mat;
}

// One triangle of vertices a, b, c facing +z, with texture coordinates (s, t) per corner.
inline model_triangle ms3d_triangle(uint16_t a, uint16_t b, uint16_t c, const float st[6])
{
    model_triangle t{};
    t.vertexIndices[0] = a, t.vertexIndices[1] = b, t.vertexIndices[2] = c;
    for (int j = 0; j < 3; ++j) {
        t.normals[j][2] = 1.0f;
        t.s[j] = st[2 * j];
        t.t[j] = st[2 * j + 1];
    }
    return t;
}

inline model_vertex ms3d_vertex(float x, float y, float z)
{
    model_vertex v{};
    v.boneId = -1;
    v.position[0] = x, v.position[1] = y, v.position[2] = z;
    return v;
}
