// test_ms3d.h -- a small MS3D reader of the tests' own, independent of the game's model
// module: it walks every section with bounds checks and keeps what the checks look at.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TestMs3dTriangle {
    std::array<uint16_t, 3> v;
    std::array<std::array<float, 3>, 3> n;
    std::array<float, 3> s, t;
    uint8_t group;
};

struct TestMs3dGroup {
    std::string name;
    std::vector<uint16_t> triangles;
    int materialIndex; // 0-255 as stored; 255 means none
};

struct TestMs3dMaterial {
    std::string name;
    std::array<float, 4> ambient, diffuse, specular, emissive;
    std::string texture;
};

struct TestMs3d {
    bool ok = false;
    std::string error; // why walking stopped, when ok is false
    int version = 0;
    size_t size = 0;     // bytes in the file
    size_t consumed = 0; // bytes walked, up to the end of the joint section
    std::vector<std::array<float, 3>> vertices;
    std::vector<TestMs3dTriangle> triangles;
    std::vector<TestMs3dGroup> groups;
    std::vector<TestMs3dMaterial> materials;
    int joints = 0;
};

// Parses the bytes of an MS3D file; every count and index is checked against what it indexes.
TestMs3d test_parseMs3d(const std::string &bytes);
// The box of the vertices and the origin, as the game computes it.
void test_ms3dBounds(const TestMs3d &model, std::array<float, 3> &min, std::array<float, 3> &max);
