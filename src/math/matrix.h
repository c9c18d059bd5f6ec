// matrix.h -- 4x4 transforms in OpenGL's column-major layout (row i, column j at index 4j + i),
// ready for glLoadMatrixf. Matrices live in their owners' records; this module allocates nothing.
#pragma once

struct quaternion;

// Three-float arguments (translations, angles, vectors) are x, y, z in order. Setters write only
// the elements they name: a rotation setter keeps the translation and vice versa, and the owner
// initialises the rest. Every matrix built here has the bottom row (0, 0, 0, 1).

// m = m * n as affine transforms: n's bottom row is taken as (0, 0, 0, 1), m's is reset to it.
// n may be m.
void matrix_postMultiply(float m[16], const float n[16]);

void matrix_setTranslation(float m[16], const float t[3]);
void matrix_setInverseTranslation(float m[16], const float t[3]);

// Rotation part = Rz(a[2]) * Ry(a[1]) * Rx(a[0]): a vector turns about x first, then y, then z.
void matrix_setRotationRadians(float m[16], const float a[3]);
// Rotation part = the transpose (the inverse) of the one above.
void matrix_setInverseRotationRadians(float m[16], const float a[3]);
// The same two with the angles in degrees.
void matrix_setRotationDegrees(float m[16], const float a[3]);
void matrix_setInverseRotationDegrees(float m[16], const float a[3]);

// Rotation part from q = (x, y, z, w); q is not normalised first.
void matrix_setRotationQuaternion(float m[16], const quaternion *q);

// v = R^T * v and v = v - translation: together they move a point into m's local frame.
void matrix_inverseRotateVect(const float m[16], float v[3]);
void matrix_inverseTranslateVect(const float m[16], float v[3]);

void matrix_dup(float dest[16], const float src[16]);
