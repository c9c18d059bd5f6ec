// The MS3D reader on its own (no GL): real files with their counts, every truncation refused,
// bounded names and counts, the box around the origin, fields read where the format puts them.
#include "graphics/model_parse.h"

#include "ms3d_writer.h"
#include "support/test_support.h"

#include <cmath>
#include <sanitizer/asan_interface.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::unique_ptr<model> parse(const std::string &bytes)
{
    // A heap block of exactly the file's size, so a read past its end is a sanitizer report.
    const std::vector<unsigned char> copy(bytes.begin(), bytes.end());
    return model_parseMS3D(copy.data(), copy.size());
}

// A small model: a triangle in group 0 with material 0, one joint with keyframes.
model smallModel()
{
    model m;
    m.vertices = {ms3d_vertex(1, 2, 3), ms3d_vertex(-4, 0.5f, 0), ms3d_vertex(0, -6, 2)};
    m.vertices[1].boneId = 0;
    m.vertices[1].flags = 3;
    m.vertices[1].referenceCount = 7;
    const float st[6] = {0, 0, 1, 0, 0.25f, 0.75f};
    m.triangles = {ms3d_triangle(0, 1, 2, st)};
    m.triangles[0].normals[2][0] = 0.5f;
    m.triangles[0].smoothingGroup = 9;
    m.triangles[0].flags = 0x1234;
    m.groups = {model_group{1, "hull", {0}, 0}};
    m.materials = {ms3d_material(0.25f, 0.5f, 0.75f, "data/skin.png")};
    m.materials[0].shininess = 12;
    m.materials[0].transparency = 0.5f;
    m.materials[0].mode = 2;
    m.materials[0].alphamapName = "data/alpha.tga";
    m.animationFps = 25;
    m.currentTime = 3;
    m.totalFrames = 50;
    model_joint joint{};
    joint.name = "root";
    joint.parentName = "";
    joint.position[1] = 8;
    joint.rotationKeys = {model_keyframe{0.5f, {1, 2, 3}}};
    joint.translationKeys = {model_keyframe{1, {4, 5, 6}}, model_keyframe{2, {7, 8, 9}}};
    m.joints = {joint};
    return m;
}

TEST(ModelParse, FieldsAreReadWhereTheFileKeepsThem)
{
    const auto m = parse(ms3d_write(smallModel()));
    ASSERT_TRUE(m);
    ASSERT_EQ(m->vertices.size(), 3u);
    EXPECT_EQ(m->vertices[1].position[0], -4);
    EXPECT_EQ(m->vertices[1].position[1], 0.5f);
    EXPECT_EQ(m->vertices[1].boneId, 0);
    EXPECT_EQ(m->vertices[0].boneId, -1);
    EXPECT_EQ(m->vertices[1].flags, 3);
    EXPECT_EQ(m->vertices[1].referenceCount, 7);
    ASSERT_EQ(m->triangles.size(), 1u);
    const model_triangle &t = m->triangles[0];
    EXPECT_EQ(t.flags, 0x1234);
    EXPECT_EQ(t.vertexIndices[2], 2);
    EXPECT_EQ(t.normals[2][0], 0.5f);
    EXPECT_EQ(t.normals[0][2], 1.0f);
    EXPECT_EQ(t.s[2], 0.25f);
    EXPECT_EQ(t.t[2], 0.75f);
    EXPECT_EQ(t.smoothingGroup, 9);
    ASSERT_EQ(m->groups.size(), 1u);
    EXPECT_EQ(m->groups[0].name, "hull");
    EXPECT_EQ(m->groups[0].triangleIndices, std::vector<uint16_t>{0});
    EXPECT_EQ(m->groups[0].materialIndex, 0);
    ASSERT_EQ(m->materials.size(), 1u);
    const model_material &mat = m->materials[0];
    EXPECT_EQ(mat.diffuse[2], 0.75f);
    EXPECT_EQ(mat.shininess, 12);
    EXPECT_EQ(mat.transparency, 0.5f);
    EXPECT_EQ(mat.mode, 2);
    EXPECT_EQ(mat.textureName, "data/skin.png");
    EXPECT_EQ(mat.alphamapName, "data/alpha.tga");
    EXPECT_EQ(mat.texture, 0) << "textures are resolved by the loader, not the reader";
    EXPECT_EQ(m->animationFps, 25);
    EXPECT_EQ(m->currentTime, 3);
    EXPECT_EQ(m->totalFrames, 50);
    EXPECT_EQ(m->totalTime, 2000);
    ASSERT_EQ(m->joints.size(), 1u);
    EXPECT_EQ(m->joints[0].name, "root");
    EXPECT_EQ(m->joints[0].position[1], 8);
    ASSERT_EQ(m->joints[0].rotationKeys.size(), 1u);
    EXPECT_EQ(m->joints[0].rotationKeys[0].value[2], 3);
    ASSERT_EQ(m->joints[0].translationKeys.size(), 2u);
    EXPECT_EQ(m->joints[0].translationKeys[1].time, 2);
    EXPECT_EQ(m->joints[0].translationKeys[1].value[0], 7);
    EXPECT_EQ(m->displayList, 0u);
}

TEST(ModelParse, OnlyVersionsThreeAndFourWithTheWholeIdentifierAreRead)
{
    const std::string file = ms3d_write(smallModel());
    EXPECT_TRUE(parse(ms3d_write(smallModel(), 3)));
    EXPECT_TRUE(parse(file));
    EXPECT_FALSE(parse(ms3d_write(smallModel(), 2)));
    EXPECT_FALSE(parse(ms3d_write(smallModel(), 5)));
    EXPECT_FALSE(parse(ms3d_write(smallModel(), -4)));
    for (size_t i = 0; i < 10; ++i) {
        std::string changed = file;
        changed[i] = static_cast<char>(changed[i] ^ 0x20);
        EXPECT_FALSE(parse(changed)) << "identifier byte " << i;
    }
    EXPECT_FALSE(model_parseMS3D(nullptr, 0));
}

// The game only says "not a valid ms3d file"; the checker shows the reason the reader gives.
TEST(ModelParse, ARefusalSaysWhatWasWrongAndWhere)
{
    std::string why;
    const std::string file = ms3d_write(smallModel());
    const std::vector<unsigned char> bytes(file.begin(), file.end());
    ASSERT_TRUE(model_parseMS3D(bytes.data(), bytes.size(), &why));
    EXPECT_EQ(why, "");
    EXPECT_FALSE(model_parseMS3D(bytes.data(), 13, &why));
    EXPECT_EQ(why, "shorter than the 14-byte header");
    std::vector<unsigned char> changed = bytes;
    changed[3] = 'X';
    EXPECT_FALSE(model_parseMS3D(changed.data(), changed.size(), &why));
    EXPECT_EQ(why, "does not begin with MS3D000000");
    changed = bytes;
    changed[10] = 7;
    EXPECT_FALSE(model_parseMS3D(changed.data(), changed.size(), &why));
    EXPECT_EQ(why, "version 7; only versions 3 and 4 are read");
    // Three vertices of 15 bytes after the header and the count: the triangles start at byte 61.
    EXPECT_FALSE(model_parseMS3D(bytes.data(), 14 + 2 + 3 * 15 + 10, &why));
    EXPECT_EQ(why, "the triangle section at byte 61 is cut short");
    EXPECT_FALSE(model_parseMS3D(bytes.data(), bytes.size() - 1, &why));
    EXPECT_NE(why.find("the joint section at byte"), std::string::npos) << why;
}

TEST(ModelParse, TheBoxAlwaysHoldsTheOrigin)
{
    model m;
    m.vertices = {ms3d_vertex(2, 1, 1), ms3d_vertex(5, 3, 4), ms3d_vertex(3, 2, 2)};
    auto parsed = parse(ms3d_write(m));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->min.x, 0);
    EXPECT_EQ(parsed->min.y, 0);
    EXPECT_EQ(parsed->min.z, 0);
    EXPECT_EQ(parsed->max.x, 5);
    EXPECT_EQ(parsed->max.y, 3);
    EXPECT_EQ(parsed->max.z, 4);
    EXPECT_FLOAT_EQ(parsed->radius, std::sqrt(50.0f));

    m.vertices = {ms3d_vertex(-1, -2, -3)};
    parsed = parse(ms3d_write(m));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->max.x + parsed->max.y + parsed->max.z, 0);
    EXPECT_EQ(parsed->min.z, -3);

    parsed = parse(ms3d_write(model{}));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->radius, 0);
    EXPECT_EQ(parsed->min.x + parsed->min.y + parsed->min.z + parsed->max.x + parsed->max.y + parsed->max.z, 0);
}

TEST(ModelParse, NamesThatFillTheirFieldsAreCutAtTheField)
{
    model m = smallModel();
    m.groups[0].name = std::string(40, 'G');
    m.materials[0].name = std::string(32, 'M');
    m.materials[0].textureName = std::string(128, 'T');
    m.materials[0].alphamapName = std::string(128, 'A');
    m.joints[0].name = std::string(32, 'J');
    m.joints[0].parentName = std::string(32, 'P');
    const auto parsed = parse(ms3d_write(m));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->groups[0].name, std::string(32, 'G'));
    EXPECT_EQ(parsed->materials[0].name, std::string(32, 'M'));
    EXPECT_EQ(parsed->materials[0].textureName, std::string(128, 'T'));
    EXPECT_EQ(parsed->materials[0].alphamapName, std::string(128, 'A'));
    EXPECT_EQ(parsed->joints[0].name, std::string(32, 'J'));
    EXPECT_EQ(parsed->joints[0].parentName, std::string(32, 'P'));
}

TEST(ModelParse, CountsBeyondTheFileAreRefusedBeforeAnythingIsAllocated)
{
    // Each count claims 65535 records that are not there.
    const std::string header = std::string("MS3D000000") + std::string("\x04\0\0\0", 4);
    EXPECT_FALSE(parse(header + "\xFF\xFF" + std::string(100, '\0')));

    model m = smallModel();
    std::string file = ms3d_write(m);
    // The group's triangle count sits after the header, vertices, triangles, group count,
    // the group's flags and name.
    const size_t groupCount = 14 + 2 + 3 * 15 + 2 + 70;
    file[groupCount + 2 + 33] = '\xFF', file[groupCount + 2 + 34] = '\xFF';
    EXPECT_FALSE(parse(file));

    // A joint that claims 65535 rotation keys.
    file = ms3d_write(m);
    const size_t jointKeys = file.size() - 3 * 16 - 4;
    file[jointKeys] = '\xFF', file[jointKeys + 1] = '\xFF';
    EXPECT_FALSE(parse(file));

    // Zero keyframes are empty arrays, not a problem.
    m.joints[0].rotationKeys.clear();
    m.joints[0].translationKeys.clear();
    const auto parsed = parse(ms3d_write(m));
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->joints[0].rotationKeys.empty());
}

TEST(ModelParse, IndicesAreKeptAsStoredAndAFileWithoutFrameRateHasNoLength)
{
    model m = smallModel();
    m.triangles[0].vertexIndices[1] = 900;
    m.groups[0].triangleIndices = {0, 5};
    m.groups[0].materialIndex = 255;
    m.animationFps = 0;
    const auto parsed = parse(ms3d_write(m));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->triangles[0].vertexIndices[1], 900);
    EXPECT_EQ(parsed->groups[0].triangleIndices[1], 5);
    EXPECT_EQ(parsed->groups[0].materialIndex, 255);
    EXPECT_EQ(parsed->totalTime, 0);
}

// ---- The shared real files ----

struct RealFile {
    const char *name;
    size_t vertices, triangles, groups, materials, joints, keys;
    float fps;
    float frames;
    size_t endJoints; // where the joints end; later bytes are extra blocks of newer editors
};

const RealFile realFiles[] = {
    {"assimp_InvalidMaterialIndex.ms3d", 1, 1, 1, 1, 0, 0, 24, 0, 520},
    {"assimp_jeep1.ms3d", 1190, 2032, 7, 1, 0, 0, 1, 1, 164803},
    {"assimp_twospheres.ms3d", 124, 240, 2, 0, 0, 0, 24, 30, 19248},
    {"assimp_twospheres_withmats.ms3d", 124, 240, 2, 2, 0, 0, 24, 30, 19970},
    {"dbaspider_character.ms3d", 1302, 1863, 5, 4, 0, 0, 25, 34, 155326},
    {"nehe31_Model.ms3d", 40, 76, 1, 2, 9, 42, 24, 24, 8375},
    {"s3dw_Model.ms3d", 0, 0, 0, 1, 0, 0, 24, 24, 397},
    {"s3dw_luoti.ms3d", 10, 13, 1, 1, 0, 0, 24, 30, 1519},
    {"soulsheng_Dophi.ms3d", 527, 564, 1, 1, 3, 38, 24, 30, 49833},
};

class ModelParseData : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test_dataDir().empty())
            GTEST_SKIP() << "shared test data (../shared/testdata) is absent";
        dir = test_dataDir() + "/ms3d/";
    }
    std::string dir;
};

TEST_F(ModelParseData, RealFilesReadWithTheirCounts)
{
    for (const RealFile &file : realFiles) {
        SCOPED_TRACE(file.name);
        const std::string bytes = test_readFile(dir + file.name);
        const auto m = parse(bytes);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->vertices.size(), file.vertices);
        EXPECT_EQ(m->triangles.size(), file.triangles);
        EXPECT_EQ(m->groups.size(), file.groups);
        EXPECT_EQ(m->materials.size(), file.materials);
        EXPECT_EQ(m->joints.size(), file.joints);
        size_t keys = 0;
        for (const model_joint &joint : m->joints)
            keys += joint.rotationKeys.size() + joint.translationKeys.size();
        EXPECT_EQ(keys, file.keys);
        EXPECT_EQ(m->animationFps, file.fps);
        EXPECT_EQ(m->totalFrames, file.frames);

        float farthest = 0;
        for (const model_vertex &v : m->vertices) {
            const float *p = v.position;
            farthest = std::max(farthest, std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]));
            EXPECT_TRUE(m->min.x <= p[0] && p[0] <= m->max.x && m->min.y <= p[1] && p[1] <= m->max.y &&
                        m->min.z <= p[2] && p[2] <= m->max.z);
        }
        EXPECT_EQ(m->radius, farthest);
        EXPECT_TRUE(m->min.x <= 0 && m->min.y <= 0 && m->min.z <= 0 && m->max.x >= 0 && m->max.y >= 0 &&
                    m->max.z >= 0);
    }
    const std::string jeep = test_readFile(dir + "assimp_jeep1.ms3d");
    EXPECT_EQ(parse(jeep)->materials[0].textureName, ".\\jeep1.jpg");
    const auto invalid = parse(test_readFile(dir + "assimp_InvalidMaterialIndex.ms3d"));
    EXPECT_EQ(invalid->groups[0].materialIndex, 1);
}

TEST_F(ModelParseData, EveryCutBeforeTheJointsEndIsRefusedAndLaterCutsRead)
{
    for (const RealFile &file : realFiles) {
        SCOPED_TRACE(file.name);
        const std::string bytes = test_readFile(dir + file.name);
        ASSERT_GE(bytes.size(), file.endJoints);
        // Under AddressSanitizer the bytes past each cut are poisoned, so reading one of them is
        // a report; without it the results are still checked.
        std::vector<unsigned char> block(bytes.begin(), bytes.end());
        for (size_t cut = bytes.size() + 1; cut-- > 0;) {
            ASAN_POISON_MEMORY_REGION(block.data() + cut, block.size() - cut);
            const bool read = model_parseMS3D(block.data(), cut) != nullptr;
            if (read != (cut >= file.endJoints)) {
                ADD_FAILURE() << "cut at " << cut << (read ? " was read" : " was refused");
                break;
            }
        }
        ASAN_UNPOISON_MEMORY_REGION(block.data(), block.size());
    }
}

} // namespace
