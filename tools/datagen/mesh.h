// mesh.h -- a model under construction: materials, named groups and triangles whose corners
// carry their own normal and texture coordinate. Shapes are added to the current group;
// the finished mesh becomes an MS3D record. A mesh lives while one model is being built.
#pragma once

#include "ms3d_writer.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

struct Vec2 {
    float x, y;
};

struct Vec3 {
    float x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float vec3_dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 vec3_cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float vec3_length(Vec3 a) { return std::sqrt(vec3_dot(a, a)); }
// The unit vector along a; a zero vector stays zero.
inline Vec3 vec3_normalize(Vec3 a)
{
    const float len = vec3_length(a);
    return len > 1e-12f ? a * (1.0f / len) : Vec3{0, 0, 0};
}

// A linear map in rows: m[row][column].
struct Mat3 {
    std::array<std::array<float, 3>, 3> m;
};

Mat3 mat3_identity();
Mat3 mat3_rotateX(float degrees); // positive turns +y towards +z
Mat3 mat3_rotateY(float degrees); // positive turns +z towards +x
Mat3 mat3_rotateZ(float degrees); // positive turns +x towards +y
Mat3 mat3_scale(float x, float y, float z);
Mat3 mat3_multiply(const Mat3 &a, const Mat3 &b); // a after b
Vec3 mat3_apply(const Mat3 &m, Vec3 v);

struct MeshCorner {
    Vec3 p;
    Vec3 n;
    float s, t;
};

struct MeshTriangle {
    std::array<MeshCorner, 3> c; // counter-clockwise seen from outside
    int group;
};

struct Mesh {
    std::vector<Ms3dMaterial> materials;
    std::vector<std::string> groupNames;
    std::vector<int> groupMaterials;
    std::vector<MeshTriangle> triangles;
    int currentGroup = -1;
};

// Adds a material whose ambient and diffuse are the colour times the two factors; emissive is
// added as it stands. Texture is a path such as "data/hull.png". Returns its index for groups.
int mesh_addMaterial(Mesh &mesh, const std::string &name, Vec3 colour, float ambient, float diffuse, Vec3 emissive,
                     const std::string &texture);
// Later shapes go into a new group drawn with the given material.
void mesh_beginGroup(Mesh &mesh, const std::string &name, int material);

void mesh_addTriangle(Mesh &mesh, const MeshCorner &a, const MeshCorner &b, const MeshCorner &c);
// A flat triangle, its normal taken from the winding.
void mesh_addFlatTriangle(Mesh &mesh, Vec3 a, Vec3 b, Vec3 c, Vec2 ta, Vec2 tb, Vec2 tc);

// One cross-section of a loft: the outline in the y-z plane at one x.
struct LoftRing {
    float x;
    std::vector<Vec2> points; // (y, z); every ring of a loft has the same count
};

struct LoftOptions {
    bool smoothAround = true; // normals blend across the outline's corners
    bool smoothAlong = true;  // normals blend from one ring to the next
    bool capStart = true;     // close the first ring (a ring of one point needs no cap)
    bool capEnd = true;
    float sRepeat = 1.0f; // texture repeats along x
    float tRepeat = 1.0f; // texture repeats around
};

// A tube through the rings (x ascending), outward-facing whatever the outlines' turning sense.
void mesh_addLoft(Mesh &mesh, const std::vector<LoftRing> &rings, const LoftOptions &options);
// Which end faces a prism gets: an end that another solid covers is left out, as it could
// never be seen and would only be drawn to be hidden again.
enum PrismEnds : unsigned { prism_endBack = 1, prism_endFront = 2, prism_bothEnds = 3 }; // back: -z, front: +z

// An outline in the x-y plane extruded over z in [-depth/2, depth/2], its edges chamfered by
// bevel (0 for sharp). On the sides s runs along the outline (sScale per unit) and t along
// z (tScale per unit); the end faces are mapped flat, s from x and t from -y (sScale).
void mesh_addPrism(Mesh &mesh, const std::vector<Vec2> &outline, float depth, float bevel, float sScale,
                   float tScale, unsigned ends = prism_bothEnds);
void mesh_addBox(Mesh &mesh, Vec3 min, Vec3 max, float bevel, float texScale);
void mesh_addEllipsoid(Mesh &mesh, Vec3 centre, Vec3 radii, int around, int along);
// A ring outline: n points on an ellipse of radii (ry, rz), starting at +y.
std::vector<Vec2> mesh_ellipse(float ry, float rz, int n);
// The ring scaled and moved: (y, z) * (sy, sz) + (dy, dz).
LoftRing mesh_ring(float x, const std::vector<Vec2> &shape, float sy, float sz, float dy = 0, float dz = 0);

// Replaces the texture coordinates of the triangles since the mark by a flat projection:
// s = (p - origin) . sAxis, t = (p - origin) . tAxis.
void mesh_projectUvSince(Mesh &mesh, size_t mark, Vec3 origin, Vec3 sAxis, Vec3 tAxis);
// The number of triangles so far: a mark for the *Since operations.
size_t mesh_mark(const Mesh &mesh);
// Applies p -> m p + offset to the triangles added since the mark (normals follow).
void mesh_transformSince(Mesh &mesh, size_t mark, const Mat3 &m, Vec3 offset);
// Adds a copy of the triangles since the mark mirrored in z (the far side of a symmetric part).
void mesh_mirrorZSince(Mesh &mesh, size_t mark);

// Turns an enemy round to face -x (first), then tilts the top towards the viewer.
void mesh_orient(Mesh &mesh, bool faceLeft, float tiltDegrees);
// Moves the mesh so that the centre of its box is the origin.
void mesh_centre(Mesh &mesh);
// Box of the corner positions, including the origin (as the game computes it).
void mesh_bounds(const Mesh &mesh, Vec3 &min, Vec3 &max);
// Triangles whose corner normals point away from their winding's face normal: 0 for a
// mesh that back-face culling draws correctly.
int mesh_countInvertedTriangles(const Mesh &mesh);
// The MS3D record: shared positions, one group per non-empty group, triangles in group order.
Ms3dModel mesh_toMs3d(const Mesh &mesh);
