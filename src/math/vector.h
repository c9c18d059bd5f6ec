// vector.h -- heap 3D vectors: positions, directions and Euler angles of the whole game.
// A vector made by vector3d_new lives until its owner (actor, camera) hands it to vector3d_free.
#pragma once

#include <memory>

struct vector3d {
    float x, y, z;
};
static_assert(sizeof(vector3d) == 3 * sizeof(float), "vector3d is three packed floats");

// A new vector (x, y, z). The caller owns it: release it with vector3d_free, or hold it in a
// Vector3dPtr. Ends the program with "Out of Memory" when no memory is left.
vector3d *vector3d_new(float x, float y, float z);

// Copies the three components of src into dest; allocates nothing.
void vector3d_dup(vector3d *dest, const vector3d *src);

// The vector's components in a module buffer of three floats: the next call overwrites it.
const float *vector3d_get3f(const vector3d *v);

// dest = a + b and dest = a - b. dest may be a or b: each component reads only its own.
void vector3d_add(vector3d *dest, const vector3d *a, const vector3d *b);
void vector3d_sub(vector3d *dest, const vector3d *a, const vector3d *b);

// dest = a x b. dest may be a or b: all three components are formed before any is stored.
void vector3d_cross(vector3d *dest, const vector3d *a, const vector3d *b);

// Scales v to length 1 in place; a zero vector stays zero.
void vector3d_normalize(vector3d *v);
float vector3d_magnitude(const vector3d *v);

// Prints "x y z" with "%f %f %f\n" to standard output.
void vector3d_dump(const vector3d *v);

// Releases a vector made by vector3d_new; null is ignored.
void vector3d_free(vector3d *v);

// Owning handle for a vector made by vector3d_new: Vector3dPtr p(vector3d_new(0, 0, 0)).
struct Vector3dFree {
    void operator()(vector3d *v) const { vector3d_free(v); }
};
using Vector3dPtr = std::unique_ptr<vector3d, Vector3dFree>;
