// test_ms3d.cpp -- the tests' MS3D walker.
#include "support/test_ms3d.h"

#include <algorithm>
#include <cstring>

namespace {

struct Cursor {
    explicit Cursor(const std::string &b) : bytes(b) {}
    const std::string &bytes;
    size_t at = 0;
    bool failed = false;
    std::string error;

    bool need(size_t n, const char *what)
    {
        if (failed)
            return false;
        if (bytes.size() - at < n || at > bytes.size()) {
            failed = true;
            error = std::string("truncated in ") + what;
            return false;
        }
        return true;
    }
    uint8_t u8(const char *what)
    {
        if (!need(1, what))
            return 0;
        return static_cast<uint8_t>(bytes[at++]);
    }
    uint16_t u16(const char *what)
    {
        if (!need(2, what))
            return 0;
        const uint16_t v = static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
        at += 2;
        return v;
    }
    uint32_t u32(const char *what)
    {
        if (!need(4, what))
            return 0;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
        at += 4;
        return v;
    }
    float f32(const char *what)
    {
        const uint32_t bits = u32(what);
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    std::string text(size_t n, const char *what)
    {
        if (!need(n, what))
            return "";
        std::string s = bytes.substr(at, n);
        at += n;
        const size_t end = s.find('\0');
        return end == std::string::npos ? s : s.substr(0, end);
    }
};

} // namespace

TestMs3d test_parseMs3d(const std::string &bytes)
{
    TestMs3d m;
    m.size = bytes.size();
    Cursor c{bytes};
    if (c.text(10, "header") != "MS3D000000" && !c.failed) {
        m.error = "bad identifier";
        return m;
    }
    m.version = static_cast<int>(c.u32("header"));
    const uint16_t nv = c.u16("vertex count");
    for (uint16_t i = 0; i < nv && !c.failed; ++i) {
        c.u8("vertex");
        std::array<float, 3> p{c.f32("vertex"), c.f32("vertex"), c.f32("vertex")};
        c.u8("vertex");
        c.u8("vertex");
        m.vertices.push_back(p);
    }
    const uint16_t nt = c.u16("triangle count");
    for (uint16_t i = 0; i < nt && !c.failed; ++i) {
        TestMs3dTriangle t{};
        c.u16("triangle");
        for (auto &v : t.v) {
            v = c.u16("triangle");
            if (v >= nv && !c.failed) {
                m.error = "vertex index out of range";
                return m;
            }
        }
        for (auto &n : t.n)
            for (auto &k : n)
                k = c.f32("triangle");
        for (auto &s : t.s)
            s = c.f32("triangle");
        for (auto &tt : t.t)
            tt = c.f32("triangle");
        c.u8("triangle");
        t.group = c.u8("triangle");
        m.triangles.push_back(t);
    }
    const uint16_t ng = c.u16("group count");
    for (uint16_t i = 0; i < ng && !c.failed; ++i) {
        TestMs3dGroup g;
        c.u8("group");
        g.name = c.text(32, "group");
        const uint16_t n = c.u16("group");
        for (uint16_t k = 0; k < n && !c.failed; ++k) {
            const uint16_t index = c.u16("group");
            if (index >= nt && !c.failed) {
                m.error = "triangle index out of range";
                return m;
            }
            g.triangles.push_back(index);
        }
        g.materialIndex = c.u8("group");
        m.groups.push_back(g);
    }
    const uint16_t nm = c.u16("material count");
    for (uint16_t i = 0; i < nm && !c.failed; ++i) {
        TestMs3dMaterial mat;
        mat.name = c.text(32, "material");
        for (auto *colour : {&mat.ambient, &mat.diffuse, &mat.specular, &mat.emissive})
            for (float &k : *colour)
                k = c.f32("material");
        c.f32("material");
        c.f32("material");
        c.u8("material");
        mat.texture = c.text(128, "material");
        c.text(128, "material");
        m.materials.push_back(mat);
    }
    c.f32("animation");
    c.f32("animation");
    c.u32("animation");
    m.joints = c.u16("joint count");
    for (int j = 0; j < m.joints && !c.failed; ++j) {
        c.text(93 - 4, "joint");
        const uint16_t r = c.u16("joint"), k = c.u16("joint");
        c.text(16u * (r + k), "keyframes");
    }
    if (c.failed) {
        m.error = c.error;
        return m;
    }
    for (const TestMs3dGroup &g : m.groups)
        if (g.materialIndex != 255 && g.materialIndex >= static_cast<int>(m.materials.size())) {
            m.error = "material index out of range";
            return m;
        }
    m.consumed = c.at;
    m.ok = true;
    return m;
}

void test_ms3dBounds(const TestMs3d &model, std::array<float, 3> &min, std::array<float, 3> &max)
{
    min = {0, 0, 0};
    max = {0, 0, 0};
    for (const auto &p : model.vertices)
        for (int k = 0; k < 3; ++k) {
            min[k] = std::min(min[k], p[k]);
            max[k] = std::max(max[k], p[k]);
        }
}
