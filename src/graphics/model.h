// model.h -- MS3D models: the model record, the cache keyed by file name and drawing. A model is
// complete when loaded, shared by every actor that shows its file and lives until exit with its
// display lists and textures.
#pragma once

#include "math/vector.h"

#include <cstdint>
#include <string>
#include <vector>

struct model_vertex {
    uint8_t flags;
    uint8_t referenceCount;
    int8_t boneId; // -1: bound to no joint
    float position[3];
};

struct model_triangle {
    uint16_t flags;
    uint16_t vertexIndices[3]; // may be out of range in a damaged file: such a triangle is not drawn
    float normals[3][3];       // one per corner, corner 0 first
    float s[3];
    float t[3];
    uint8_t smoothingGroup;
    uint8_t groupIndex;
};

struct model_group {
    uint8_t flags;
    std::string name;                      // at most 32 characters
    std::vector<uint16_t> triangleIndices; // out-of-range entries are not drawn
    uint8_t materialIndex;                 // 255 (-1) or out of range: the group keeps the current material
};

struct model_material {
    std::string name; // at most 32 characters
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emissive[4];
    float shininess;
    float transparency;
    uint8_t mode;
    std::string textureName;  // as stored (at most 128 characters); empty: none
    std::string alphamapName; // as stored; empty: none
    int texture;              // texture handle; 0: no image named, -1: the image failed to load
    int alphamap;             // the same for the alpha map; loaded and kept, never drawn
};

struct model_keyframe {
    float time;
    float value[3];
};

struct model_joint {
    uint8_t flags;
    std::string name;       // at most 32 characters
    std::string parentName; // at most 32 characters
    float rotation[3];
    float position[3];
    std::vector<model_keyframe> rotationKeys;
    std::vector<model_keyframe> translationKeys;
};

// A model as its file holds it, plus what loading adds. Joints, keyframes and the animation
// values are kept but never applied: models are drawn in the pose stored in their vertices.
struct model {
    std::vector<model_group> groups;
    std::vector<model_vertex> vertices;
    std::vector<model_triangle> triangles;
    std::vector<model_material> materials;
    float animationFps = 0;
    float currentTime = 0;
    float totalTime = 0;   // totalFrames * 1000 / animationFps milliseconds; 0 without a frame rate
    float totalFrames = 0;
    std::vector<model_joint> joints;
    unsigned int displayList = 0; // list displayList + m draws with texture filter mode m (0, 1, 2)
    unsigned int groupLists = 0;  // list groupLists + g: group g's material and triangles,
                                  // binding no texture
    float radius = 0;             // greatest distance of a vertex from the origin
    vector3d min = {0, 0, 0};     // the box of the vertices and the origin
    vector3d max = {0, 0, 0};
};

// The shared model of the MS3D file at name (a path relative to the working directory), or null
// when it failed to load; a failure is reported once and never retried. The cache owns the
// model. A null name ends the program. Needs the video task's GL context.
const model *model_get(const char *name);

// Draws the model in the current modelview transform with texture filter mode 0, 1 or 2,
// through its display lists when g_useDisplaylists is set, else immediately. A null model
// draws a placeholder triangle. Changes only the material and the texture binding.
void model_render(const model *m, int mode);
void model_drawDisplaylist(const model *m, int mode);
void model_drawImmediate(const model *m, int mode);

// Drawing a model a group at a time, so that a frame can draw the groups of many models sorted
// by texture. Changing the bound texture costs a software renderer far more than the triangles
// of a small group, and the city's buildings would change it three times each.
// The texture name group binds in mode, 0 for an image that failed to load, -1 when the group
// keeps the binding of whatever was drawn before (no material, or no image named).
int model_groupTexture(const model *m, size_t group, int mode);
// Whether every group binds a texture of its own and the group lists exist: only then may the
// groups be drawn apart and in another order, each after binding model_groupTexture.
bool model_groupsSortable(const model *m);
// The group's material and triangles in the current modelview transform, binding no texture.
void model_drawGroup(const model *m, size_t group);
