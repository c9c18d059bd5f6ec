// ms3d_writer.h -- the MilkShape 3D (version 4) file as plain records, and its writer.
// The records mirror the file's sections; a model lives only while it is being written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Ms3dVertex {
    std::array<float, 3> position;
    uint8_t referenceCount;
};

struct Ms3dTriangle {
    std::array<uint16_t, 3> vertexIndices;
    std::array<std::array<float, 3>, 3> normals; // one per corner, corner 0 first
    std::array<float, 3> s;
    std::array<float, 3> t; // t = 0 is the top row of the material's image
    uint8_t smoothingGroup;
    uint8_t groupIndex;
};

struct Ms3dGroup {
    std::string name; // at most 31 characters are kept
    std::vector<uint16_t> triangleIndices;
    int8_t materialIndex; // -1: none
};

struct Ms3dMaterial {
    std::string name;
    std::array<float, 4> ambient, diffuse, specular, emissive;
    float shininess;
    float transparency; // 1 = opaque
    std::string texture; // path relative to the game's working directory, "" = none
};

struct Ms3dModel {
    std::vector<Ms3dVertex> vertices;
    std::vector<Ms3dTriangle> triangles;
    std::vector<Ms3dGroup> groups;
    std::vector<Ms3dMaterial> materials;
};

// The file's bytes: header, vertices, triangles, groups, materials, animation block and an
// empty joint section. Fails (returns empty) when a count or index does not fit its field.
std::vector<uint8_t> ms3d_encode(const Ms3dModel &model);
// Writes the encoded model; false (with a message on stderr) on any failure.
bool ms3d_writeFile(const Ms3dModel &model, const std::string &path);
