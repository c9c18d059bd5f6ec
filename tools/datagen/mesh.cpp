// mesh.cpp -- building models from lofts, prisms and boxes, and turning them into MS3D records.
#include "mesh.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

constexpr float pi = 3.14159265358979f;

float signedArea(const std::vector<Vec2> &poly)
{
    float area = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const Vec2 a = poly[i], b = poly[(i + 1) % poly.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area * 0.5f;
}

bool isPoint(const std::vector<Vec2> &ring)
{
    for (const Vec2 &p : ring)
        if (std::fabs(p.x - ring[0].x) > 1e-6f || std::fabs(p.y - ring[0].y) > 1e-6f)
            return false;
    return true;
}

float cross2(Vec2 o, Vec2 a, Vec2 b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

bool insideTriangle(Vec2 p, Vec2 a, Vec2 b, Vec2 c)
{
    return cross2(a, b, p) > 1e-7f && cross2(b, c, p) > 1e-7f && cross2(c, a, p) > 1e-7f;
}

// Ear clipping of a counter-clockwise simple polygon; index triples, counter-clockwise.
std::vector<std::array<int, 3>> triangulate(const std::vector<Vec2> &poly)
{
    std::vector<int> left(poly.size());
    for (size_t i = 0; i < poly.size(); ++i)
        left[i] = static_cast<int>(i);
    std::vector<std::array<int, 3>> result;
    while (left.size() > 3) {
        bool clipped = false;
        for (size_t i = 0; i < left.size() && !clipped; ++i) {
            const int ia = left[(i + left.size() - 1) % left.size()], ib = left[i],
                      ic = left[(i + 1) % left.size()];
            if (cross2(poly[ia], poly[ib], poly[ic]) <= 1e-9f)
                continue; // reflex or flat corner: not an ear
            bool empty = true;
            for (int other : left)
                if (other != ia && other != ib && other != ic && insideTriangle(poly[other], poly[ia], poly[ib], poly[ic]))
                    empty = false;
            if (!empty)
                continue;
            result.push_back({ia, ib, ic});
            left.erase(left.begin() + static_cast<long>(i));
            clipped = true;
        }
        if (!clipped)
            break; // not simple: the rest is fanned below
    }
    for (size_t i = 1; i + 1 < left.size(); ++i)
        result.push_back({left[0], left[i], left[i + 1]});
    return result;
}

// The outline moved inwards by d (counter-clockwise outline), mitres limited to 3d.
std::vector<Vec2> inset(const std::vector<Vec2> &poly, float d)
{
    const size_t n = poly.size();
    std::vector<Vec2> out(n);
    for (size_t j = 0; j < n; ++j) {
        const Vec2 p0 = poly[(j + n - 1) % n], p1 = poly[j], p2 = poly[(j + 1) % n];
        Vec2 e0{p1.x - p0.x, p1.y - p0.y}, e1{p2.x - p1.x, p2.y - p1.y};
        const float l0 = std::sqrt(e0.x * e0.x + e0.y * e0.y), l1 = std::sqrt(e1.x * e1.x + e1.y * e1.y);
        e0 = {e0.x / l0, e0.y / l0};
        e1 = {e1.x / l1, e1.y / l1};
        const Vec2 n0{-e0.y, e0.x}, n1{-e1.y, e1.x}; // inward for a counter-clockwise outline
        Vec2 bis{n0.x + n1.x, n0.y + n1.y};
        const float bl = std::sqrt(bis.x * bis.x + bis.y * bis.y);
        if (bl < 1e-6f) {
            out[j] = {p1.x + n0.x * d, p1.y + n0.y * d};
            continue;
        }
        bis = {bis.x / bl, bis.y / bl};
        float len = d / std::max(0.34f, bis.x * n0.x + bis.y * n0.y);
        out[j] = {p1.x + bis.x * len, p1.y + bis.y * len};
    }
    return out;
}

Vec3 faceNormal(Vec3 a, Vec3 b, Vec3 c) { return vec3_normalize(vec3_cross(b - a, c - a)); }

float determinant(const Mat3 &a)
{
    const auto &m = a.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// The cofactor matrix: det(m) times the inverse transpose, which carries normals.
Mat3 cofactor(const Mat3 &a)
{
    const auto &m = a.m;
    Mat3 c;
    c.m[0] = {m[1][1] * m[2][2] - m[1][2] * m[2][1], m[1][2] * m[2][0] - m[1][0] * m[2][2],
              m[1][0] * m[2][1] - m[1][1] * m[2][0]};
    c.m[1] = {m[0][2] * m[2][1] - m[0][1] * m[2][2], m[0][0] * m[2][2] - m[0][2] * m[2][0],
              m[0][1] * m[2][0] - m[0][0] * m[2][1]};
    c.m[2] = {m[0][1] * m[1][2] - m[0][2] * m[1][1], m[0][2] * m[1][0] - m[0][0] * m[1][2],
              m[0][0] * m[1][1] - m[0][1] * m[1][0]};
    return c;
}

void transformTriangles(std::vector<MeshTriangle> &tris, size_t from, const Mat3 &m, Vec3 offset)
{
    const float det = determinant(m);
    Mat3 normalMap = cofactor(m);
    const float sign = det < 0 ? -1.0f : 1.0f;
    for (size_t i = from; i < tris.size(); ++i) {
        for (MeshCorner &c : tris[i].c) {
            c.p = mat3_apply(m, c.p) + offset;
            c.n = vec3_normalize(mat3_apply(normalMap, c.n) * sign);
        }
        if (det < 0)
            std::swap(tris[i].c[1], tris[i].c[2]); // a mirror turns the winding over
    }
}

} // namespace

Mat3 mat3_identity() { return Mat3{{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}}; }

Mat3 mat3_rotateX(float degrees)
{
    const float c = std::cos(degrees * pi / 180), s = std::sin(degrees * pi / 180);
    return Mat3{{{{1, 0, 0}, {0, c, -s}, {0, s, c}}}};
}

Mat3 mat3_rotateY(float degrees)
{
    const float c = std::cos(degrees * pi / 180), s = std::sin(degrees * pi / 180);
    return Mat3{{{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}}};
}

Mat3 mat3_rotateZ(float degrees)
{
    const float c = std::cos(degrees * pi / 180), s = std::sin(degrees * pi / 180);
    return Mat3{{{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}}};
}

Mat3 mat3_scale(float x, float y, float z) { return Mat3{{{{x, 0, 0}, {0, y, 0}, {0, 0, z}}}}; }

Mat3 mat3_multiply(const Mat3 &a, const Mat3 &b)
{
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

Vec3 mat3_apply(const Mat3 &m, Vec3 v)
{
    return {m.m[0][0] * v.x + m.m[0][1] * v.y + m.m[0][2] * v.z, m.m[1][0] * v.x + m.m[1][1] * v.y + m.m[1][2] * v.z,
            m.m[2][0] * v.x + m.m[2][1] * v.y + m.m[2][2] * v.z};
}

int mesh_addMaterial(Mesh &mesh, const std::string &name, Vec3 colour, float ambient, float diffuse, Vec3 emissive,
                     const std::string &texture)
{
    Ms3dMaterial m;
    m.name = name;
    m.ambient = {colour.x * ambient, colour.y * ambient, colour.z * ambient, 1};
    m.diffuse = {colour.x * diffuse, colour.y * diffuse, colour.z * diffuse, 1};
    m.specular = {0, 0, 0, 1};
    m.emissive = {emissive.x, emissive.y, emissive.z, 1};
    m.shininess = 0;
    m.transparency = 1;
    m.texture = texture;
    mesh.materials.push_back(m);
    return static_cast<int>(mesh.materials.size()) - 1;
}

void mesh_beginGroup(Mesh &mesh, const std::string &name, int material)
{
    mesh.groupNames.push_back(name);
    mesh.groupMaterials.push_back(material);
    mesh.currentGroup = static_cast<int>(mesh.groupNames.size()) - 1;
}

void mesh_addTriangle(Mesh &mesh, const MeshCorner &a, const MeshCorner &b, const MeshCorner &c)
{
    if (mesh.currentGroup < 0)
        mesh_beginGroup(mesh, "default", mesh.materials.empty() ? -1 : 0);
    mesh.triangles.push_back(MeshTriangle{{a, b, c}, mesh.currentGroup});
}

void mesh_addFlatTriangle(Mesh &mesh, Vec3 a, Vec3 b, Vec3 c, Vec2 ta, Vec2 tb, Vec2 tc)
{
    const Vec3 n = faceNormal(a, b, c);
    if (vec3_length(n) == 0)
        return; // no area, nothing to see
    mesh_addTriangle(mesh, {a, n, ta.x, ta.y}, {b, n, tb.x, tb.y}, {c, n, tc.x, tc.y});
}

std::vector<Vec2> mesh_ellipse(float ry, float rz, int n)
{
    std::vector<Vec2> pts;
    for (int i = 0; i < n; ++i) {
        const float a = 2 * pi * static_cast<float>(i) / static_cast<float>(n);
        pts.push_back({ry * std::cos(a), rz * std::sin(a)});
    }
    return pts;
}

LoftRing mesh_ring(float x, const std::vector<Vec2> &shape, float sy, float sz, float dy, float dz)
{
    LoftRing ring{x, {}};
    for (const Vec2 &p : shape)
        ring.points.push_back({p.x * sy + dy, p.y * sz + dz});
    return ring;
}

void mesh_addLoft(Mesh &mesh, const std::vector<LoftRing> &input, const LoftOptions &opt)
{
    if (input.size() < 2 || input[0].points.size() < 2)
        return;
    std::vector<LoftRing> rings = input;
    if (rings.front().x > rings.back().x)
        std::reverse(rings.begin(), rings.end());
    float area = 0;
    for (const LoftRing &r : rings)
        if (std::fabs(area) < 1e-9f)
            area = signedArea(r.points);
    if (area < 0)
        for (LoftRing &r : rings)
            std::reverse(r.points.begin(), r.points.end());

    const size_t n = rings.size(), m = rings[0].points.size();
    auto P = [&](size_t i, size_t j) {
        const Vec2 q = rings[i].points[j % m];
        return Vec3{rings[i].x, q.x, q.y};
    };
    std::vector<std::vector<Vec3>> fn(n - 1, std::vector<Vec3>(m));
    for (size_t i = 0; i + 1 < n; ++i)
        for (size_t j = 0; j < m; ++j)
            fn[i][j] = vec3_normalize(vec3_cross(P(i + 1, j + 1) - P(i, j), P(i + 1, j) - P(i, j + 1)));
    std::vector<bool> point(n);
    for (size_t i = 0; i < n; ++i)
        point[i] = isPoint(rings[i].points);

    auto cornerNormal = [&](size_t qi, size_t qj, size_t gi, size_t gj) {
        Vec3 sum{0, 0, 0};
        std::vector<size_t> rows, cols;
        if (opt.smoothAlong) {
            if (gi > 0)
                rows.push_back(gi - 1);
            if (gi + 1 < n)
                rows.push_back(gi);
        } else {
            rows.push_back(qi);
        }
        if (point[gi] && opt.smoothAround) {
            for (size_t j = 0; j < m; ++j)
                cols.push_back(j); // a tip takes the mean of its whole fan
        } else if (opt.smoothAround) {
            cols.push_back((gj + m - 1) % m);
            cols.push_back(gj % m);
        } else {
            cols.push_back(qj);
        }
        for (size_t r : rows)
            for (size_t c : cols)
                sum = sum + fn[r][c];
        const Vec3 result = vec3_normalize(sum);
        return vec3_length(result) > 0 ? result : fn[qi][qj];
    };

    // Texture t runs round the outline by arc length.
    std::vector<std::vector<float>> tt(n, std::vector<float>(m + 1));
    for (size_t i = 0; i < n; ++i) {
        float total = 0;
        std::vector<float> acc(m + 1, 0);
        for (size_t j = 0; j < m; ++j) {
            total += vec3_length(P(i, j + 1) - P(i, j));
            acc[j + 1] = total;
        }
        for (size_t j = 0; j <= m; ++j)
            tt[i][j] = (total > 1e-6f ? acc[j] / total : static_cast<float>(j) / static_cast<float>(m)) * opt.tRepeat;
    }
    const float x0 = rings.front().x, len = std::max(1e-6f, rings.back().x - x0);
    auto S = [&](size_t i) { return (rings[i].x - x0) / len * opt.sRepeat; };

    for (size_t i = 0; i + 1 < n; ++i) {
        for (size_t j = 0; j < m; ++j) {
            const MeshCorner A{P(i, j), cornerNormal(i, j, i, j), S(i), tt[i][j]};
            const MeshCorner B{P(i, j + 1), cornerNormal(i, j, i, j + 1), S(i), tt[i][j + 1]};
            const MeshCorner C{P(i + 1, j + 1), cornerNormal(i, j, i + 1, j + 1), S(i + 1), tt[i + 1][j + 1]};
            const MeshCorner D{P(i + 1, j), cornerNormal(i, j, i + 1, j), S(i + 1), tt[i + 1][j]};
            if (!point[i])
                mesh_addTriangle(mesh, A, B, C);
            if (!point[i + 1])
                mesh_addTriangle(mesh, A, C, D);
        }
    }

    auto cap = [&](size_t i, bool start) {
        if (point[i])
            return;
        Vec3 centre{0, 0, 0};
        float ymin = 1e9f, ymax = -1e9f, zmin = 1e9f, zmax = -1e9f;
        for (size_t j = 0; j < m; ++j) {
            const Vec3 p = P(i, j);
            centre = centre + p * (1.0f / static_cast<float>(m));
            ymin = std::min(ymin, p.y), ymax = std::max(ymax, p.y);
            zmin = std::min(zmin, p.z), zmax = std::max(zmax, p.z);
        }
        const Vec3 normal{start ? -1.0f : 1.0f, 0, 0};
        auto uv = [&](Vec3 p) {
            return Vec2{(p.z - zmin) / std::max(1e-6f, zmax - zmin), (ymax - p.y) / std::max(1e-6f, ymax - ymin)};
        };
        const Vec2 tc = uv(centre);
        for (size_t j = 0; j < m; ++j) {
            const Vec3 a = P(i, j), b = P(i, j + 1);
            const Vec2 ta = uv(a), tb = uv(b);
            const MeshCorner cc{centre, normal, tc.x, tc.y}, ca{a, normal, ta.x, ta.y}, cb{b, normal, tb.x, tb.y};
            if (start)
                mesh_addTriangle(mesh, cc, cb, ca);
            else
                mesh_addTriangle(mesh, cc, ca, cb);
        }
    };
    if (opt.capStart)
        cap(0, true);
    if (opt.capEnd)
        cap(n - 1, false);
}

void mesh_addPrism(Mesh &mesh, const std::vector<Vec2> &input, float depth, float bevel, float sScale,
                   float tScale, unsigned ends)
{
    if (input.size() < 3)
        return;
    std::vector<Vec2> outline = input;
    if (signedArea(outline) < 0)
        std::reverse(outline.begin(), outline.end());
    const float h = depth * 0.5f;
    std::vector<std::pair<std::vector<Vec2>, float>> layers;
    if (bevel > 0) {
        const std::vector<Vec2> in = inset(outline, bevel);
        layers = {{in, -h}, {outline, -h + bevel}, {outline, h - bevel}, {in, h}};
    } else {
        layers = {{outline, -h}, {outline, h}};
    }
    const size_t m = outline.size();
    for (size_t k = 0; k + 1 < layers.size(); ++k) {
        const auto &[l0, z0] = layers[k];
        const auto &[l1, z1] = layers[k + 1];
        float run = 0;
        for (size_t j = 0; j < m; ++j) {
            const Vec3 A{l0[j].x, l0[j].y, z0}, B{l0[(j + 1) % m].x, l0[(j + 1) % m].y, z0};
            const Vec3 C{l1[(j + 1) % m].x, l1[(j + 1) % m].y, z1}, D{l1[j].x, l1[j].y, z1};
            const Vec3 n = vec3_normalize(vec3_cross(C - A, D - B));
            const float edge = vec3_length(B - A);
            const float s0 = run * sScale, s1 = (run + edge) * sScale;
            run += edge;
            const MeshCorner a{A, n, s0, z0 * tScale}, b{B, n, s1, z0 * tScale}, c{C, n, s1, z1 * tScale},
                d{D, n, s0, z1 * tScale};
            if (vec3_length(vec3_cross(B - A, C - A)) > 1e-9f)
                mesh_addTriangle(mesh, a, b, c);
            if (vec3_length(vec3_cross(C - A, D - A)) > 1e-9f)
                mesh_addTriangle(mesh, a, c, d);
        }
    }
    const auto &bottom = layers.front().first;
    const auto &top = layers.back().first;
    const std::vector<std::array<int, 3>> none;
    for (const auto &tri : (ends & prism_endFront) != 0 ? triangulate(top) : none) {
        MeshCorner c[3];
        for (int k = 0; k < 3; ++k) {
            const Vec2 p = top[tri[k]];
            c[k] = {{p.x, p.y, h}, {0, 0, 1}, p.x * sScale, -p.y * sScale};
        }
        mesh_addTriangle(mesh, c[0], c[1], c[2]);
    }
    for (const auto &tri : (ends & prism_endBack) != 0 ? triangulate(bottom) : none) {
        MeshCorner c[3];
        for (int k = 0; k < 3; ++k) {
            const Vec2 p = bottom[tri[k]];
            c[k] = {{p.x, p.y, -h}, {0, 0, -1}, -p.x * sScale, -p.y * sScale};
        }
        mesh_addTriangle(mesh, c[0], c[2], c[1]);
    }
}

void mesh_addBox(Mesh &mesh, Vec3 min, Vec3 max, float bevel, float texScale)
{
    const size_t mark = mesh_mark(mesh);
    const float hx = (max.x - min.x) * 0.5f, hy = (max.y - min.y) * 0.5f;
    mesh_addPrism(mesh, {{-hx, -hy}, {hx, -hy}, {hx, hy}, {-hx, hy}}, max.z - min.z, bevel, texScale, texScale);
    mesh_transformSince(mesh, mark, mat3_identity(), (min + max) * 0.5f);
}

void mesh_addEllipsoid(Mesh &mesh, Vec3 centre, Vec3 radii, int around, int along)
{
    const size_t mark = mesh_mark(mesh);
    const std::vector<Vec2> circle = mesh_ellipse(1, 1, around);
    std::vector<LoftRing> rings;
    for (int k = 0; k <= along; ++k) {
        const float phi = pi * static_cast<float>(k) / static_cast<float>(along);
        const float r = (k == 0 || k == along) ? 0.0f : std::sin(phi);
        rings.push_back(mesh_ring(-radii.x * std::cos(phi), circle, radii.y * r, radii.z * r));
    }
    mesh_addLoft(mesh, rings, LoftOptions{});
    mesh_transformSince(mesh, mark, mat3_identity(), centre);
}

void mesh_projectUvSince(Mesh &mesh, size_t mark, Vec3 origin, Vec3 sAxis, Vec3 tAxis)
{
    for (size_t i = mark; i < mesh.triangles.size(); ++i)
        for (MeshCorner &c : mesh.triangles[i].c) {
            c.s = vec3_dot(c.p - origin, sAxis);
            c.t = vec3_dot(c.p - origin, tAxis);
        }
}

size_t mesh_mark(const Mesh &mesh) { return mesh.triangles.size(); }

void mesh_transformSince(Mesh &mesh, size_t mark, const Mat3 &m, Vec3 offset)
{
    transformTriangles(mesh.triangles, mark, m, offset);
}

void mesh_mirrorZSince(Mesh &mesh, size_t mark)
{
    const size_t end = mesh.triangles.size();
    for (size_t i = mark; i < end; ++i)
        mesh.triangles.push_back(mesh.triangles[i]);
    transformTriangles(mesh.triangles, end, mat3_scale(1, 1, -1), {0, 0, 0});
}

void mesh_orient(Mesh &mesh, bool faceLeft, float tiltDegrees)
{
    Mat3 m = faceLeft ? mat3_rotateY(180) : mat3_identity();
    m = mat3_multiply(mat3_rotateX(tiltDegrees), m);
    transformTriangles(mesh.triangles, 0, m, {0, 0, 0});
}

void mesh_centre(Mesh &mesh)
{
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const MeshTriangle &t : mesh.triangles)
        for (const MeshCorner &c : t.c) {
            lo = {std::min(lo.x, c.p.x), std::min(lo.y, c.p.y), std::min(lo.z, c.p.z)};
            hi = {std::max(hi.x, c.p.x), std::max(hi.y, c.p.y), std::max(hi.z, c.p.z)};
        }
    if (mesh.triangles.empty())
        return;
    transformTriangles(mesh.triangles, 0, mat3_identity(), (lo + hi) * -0.5f);
}

void mesh_bounds(const Mesh &mesh, Vec3 &min, Vec3 &max)
{
    min = {0, 0, 0};
    max = {0, 0, 0};
    for (const MeshTriangle &t : mesh.triangles)
        for (const MeshCorner &c : t.c) {
            min = {std::min(min.x, c.p.x), std::min(min.y, c.p.y), std::min(min.z, c.p.z)};
            max = {std::max(max.x, c.p.x), std::max(max.y, c.p.y), std::max(max.z, c.p.z)};
        }
}

int mesh_countInvertedTriangles(const Mesh &mesh)
{
    int inverted = 0;
    for (const MeshTriangle &t : mesh.triangles) {
        const Vec3 face = vec3_cross(t.c[1].p - t.c[0].p, t.c[2].p - t.c[0].p);
        if (vec3_length(face) < 1e-9f)
            continue;
        const Vec3 mean = t.c[0].n + t.c[1].n + t.c[2].n;
        if (vec3_dot(face, mean) <= 0)
            ++inverted;
    }
    return inverted;
}

Ms3dModel mesh_toMs3d(const Mesh &mesh)
{
    Ms3dModel model;
    model.materials = mesh.materials;
    std::map<std::array<uint32_t, 3>, uint16_t> index;
    auto vertexOf = [&](Vec3 p) -> uint16_t {
        std::array<uint32_t, 3> key;
        const float c[3] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f}; // -0 and +0 are one position
        std::memcpy(key.data(), c, sizeof c);
        const auto found = index.find(key);
        if (found != index.end())
            return found->second;
        const auto id = static_cast<uint16_t>(model.vertices.size());
        model.vertices.push_back({{p.x, p.y, p.z}, 0});
        index.emplace(key, id);
        return id;
    };
    for (size_t g = 0; g < mesh.groupNames.size(); ++g) {
        Ms3dGroup group{mesh.groupNames[g], {}, static_cast<int8_t>(mesh.groupMaterials[g])};
        const auto groupIndex = static_cast<uint8_t>(model.groups.size());
        for (const MeshTriangle &t : mesh.triangles) {
            if (t.group != static_cast<int>(g))
                continue;
            Ms3dTriangle out{};
            for (int k = 0; k < 3; ++k) {
                const uint16_t v = vertexOf(t.c[k].p);
                out.vertexIndices[k] = v;
                if (model.vertices[v].referenceCount < 255)
                    ++model.vertices[v].referenceCount;
                out.normals[k] = {t.c[k].n.x, t.c[k].n.y, t.c[k].n.z};
                out.s[k] = t.c[k].s;
                out.t[k] = t.c[k].t;
            }
            out.smoothingGroup = 1;
            out.groupIndex = groupIndex;
            group.triangleIndices.push_back(static_cast<uint16_t>(model.triangles.size()));
            model.triangles.push_back(out);
        }
        if (!group.triangleIndices.empty())
            model.groups.push_back(std::move(group));
    }
    return model;
}
