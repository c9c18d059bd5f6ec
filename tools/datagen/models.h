// models.h -- every model the game reads, built from shapes and written as MS3D files.
// Ships face +x, enemies and the boss -x; each model's box is centred on its origin.
#pragma once

#include "mesh.h"

#include <cstdint>
#include <string>
#include <vector>

// What one written model measures, for the generator's summary.
struct ModelReport {
    std::string file;
    float scale;   // the game's scale for the actor kind that shows it
    Vec3 min, max; // the box as the game computes it (unscaled)
    size_t triangles;
};

// Centres the model on its origin, checks the winding, writes dir/file and adds its report;
// false on any failure.
bool models_save(Mesh mesh, const std::string &dir, const std::string &file, float scale,
                 std::vector<ModelReport> &reports);

// Helpers shared by the model builders.
struct Station {
    float x, ry, rz, dy; // half-height, half-width and centre height of the section
};
// A hull through the stations, every section the given outline (unit size) scaled.
void models_addHull(Mesh &mesh, const std::vector<Station> &stations, const std::vector<Vec2> &outline,
                    bool faceted, float sRepeat, float tRepeat);
// A wing or fin: planform (x, span) extruded to the thickness; the span leaves the root at
// (rootY, rootZ) at `raise` degrees above the +z direction (90 = straight up); pair adds the
// mirror image on the -z side.
void models_addWing(Mesh &mesh, const std::vector<Vec2> &planform, float thickness, float bevel, float rootY,
                    float rootZ, float raise, bool pair);
// A regular polygon outline of n corners with one corner at +y (or an edge, when flatTop).
std::vector<Vec2> models_polygon(int n, bool flatTop);

bool models_writeShips(const std::string &dir, std::vector<ModelReport> &reports);
bool models_writeProps(const std::string &dir, const std::vector<uint8_t> &ttf, std::vector<ModelReport> &reports);
