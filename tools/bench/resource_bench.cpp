// resource_bench.cpp -- parse speed of the MS3D reader on generated files, and the texture
// cache's decodes and lookups. Prints the figures; exits 1 when parsing is under 100 MB/s or
// one image is decoded more than once.
#include "graphics/model_parse.h"
#include "graphics/texture.h"
#include "ms3d_writer.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double required_megabytesPerSecond = 100.0;
constexpr int max_triangles = 65535; // the format counts triangles in 16 bits

// A file of the given number of triangles (at most 65535), each with vertices of its own where
// the count allows, in one group, with a material and a joint with keyframes.
std::string generateFile(int triangles)
{
    model m;
    const int vertices = std::min(3 * triangles, 65535);
    m.vertices.reserve(vertices);
    for (int i = 0; i < vertices; ++i)
        m.vertices.push_back(ms3d_vertex(static_cast<float>(i % 97), static_cast<float>(i % 89), static_cast<float>(i % 83)));
    model_group group{};
    group.name = "everything";
    for (int i = 0; i < triangles; ++i) {
        const float st[6] = {0, 0, 1, 0, 0, 1};
        m.triangles.push_back(ms3d_triangle(static_cast<uint16_t>((3 * i) % vertices),
                                            static_cast<uint16_t>((3 * i + 1) % vertices),
                                            static_cast<uint16_t>((3 * i + 2) % vertices), st));
        group.triangleIndices.push_back(static_cast<uint16_t>(i));
    }
    m.groups.push_back(group);
    m.materials.push_back(ms3d_material(1, 1, 1, "data/skin.png"));
    m.animationFps = 24;
    m.totalFrames = 30;
    model_joint joint{};
    joint.name = "root";
    joint.rotationKeys.assign(30, model_keyframe{1, {0, 0, 0}});
    joint.translationKeys.assign(30, model_keyframe{1, {0, 0, 0}});
    m.joints.push_back(joint);
    return ms3d_write(m);
}

// Files that together hold `triangles` triangles, none above the format's limit.
std::vector<std::vector<unsigned char>> generateFiles(int triangles)
{
    std::vector<std::vector<unsigned char>> files;
    const int count = (triangles + max_triangles - 1) / max_triangles;
    for (int i = 0; i < count; ++i) {
        const int share = triangles / count + (i < triangles % count ? 1 : 0);
        const std::string bytes = generateFile(share);
        files.emplace_back(bytes.begin(), bytes.end());
    }
    return files;
}

void BM_ParseMS3D(benchmark::State &state)
{
    const auto files = generateFiles(static_cast<int>(state.range(0)));
    size_t bytes = 0;
    for (const auto &file : files)
        bytes += file.size();
    for (auto _ : state) {
        for (const auto &file : files) {
            auto m = model_parseMS3D(file.data(), file.size());
            if (!m)
                state.SkipWithError("generated file refused");
            benchmark::DoNotOptimize(m);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["files"] = static_cast<double>(files.size());
}
BENCHMARK(BM_ParseMS3D)->Arg(100000)->Arg(max_triangles)->Unit(benchmark::kMillisecond);

// Lookups in a cache of 40 entries (the game holds a few dozen), asking for the oldest.
std::vector<std::string> g_cacheNames;
std::vector<std::string> g_imageFiles; // removed at the end

void BM_TextureCacheHit(benchmark::State &state)
{
    const char *oldest = g_cacheNames.front().c_str();
    for (auto _ : state)
        benchmark::DoNotOptimize(texture_get(oldest));
}

// A square 24-bit TGA of the given side (512: the size of the game's larger skins).
std::string writeImage(int side)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / ("trelvik-bench-" + std::to_string(side) + ".tga")).string();
    std::string bytes(18, '\0');
    bytes[2] = 2, bytes[16] = 24, bytes[17] = 0x20;
    bytes[12] = static_cast<char>(side & 0xFF), bytes[13] = static_cast<char>(side >> 8);
    bytes[14] = bytes[12], bytes[15] = bytes[13];
    for (int i = 0; i < side * side; ++i) {
        bytes += static_cast<char>(i & 0xFF);
        bytes += static_cast<char>((i >> 8) & 0xFF);
        bytes += static_cast<char>((i >> 16) & 0xFF);
    }
    std::ofstream(path, std::ios::binary) << bytes;
    g_imageFiles.push_back(path);
    return path;
}

// Parse speed measured on its own, for the verdict: best of five parses of 100k triangles.
double measureParseSpeed()
{
    const auto files = generateFiles(100000);
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        size_t bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        for (const auto &file : files) {
            auto m = model_parseMS3D(file.data(), file.size());
            benchmark::DoNotOptimize(m);
            bytes += file.size();
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::max(best, static_cast<double>(bytes) / seconds / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    bool failed = false;

    const double speed = measureParseSpeed();
    std::printf("MS3D parse, 100000 triangles in 2 files: %.0f MB/s (required %.0f MB/s)\n", speed,
                required_megabytesPerSecond);
    failed |= speed < required_megabytesPerSecond;

    // The texture figures need a GL context, so a window.
    const bool window = SDL_Init(SDL_INIT_VIDEO) == 0 && SDL_SetVideoMode(64, 64, 0, SDL_OPENGL) != nullptr;
    if (window) {
        const std::string image = writeImage(512);
        const int before = texture_decodeCount();
        auto start = std::chrono::steady_clock::now();
        const int first = texture_get(image.c_str());
        const double firstMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        start = std::chrono::steady_clock::now();
        const int second = texture_get(image.c_str());
        const double secondMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        const int decodes = texture_decodeCount() - before;
        std::printf("Texture 512x512 loaded twice: handles %d and %d, %d decode(s); first %.2f ms, second %.4f ms\n",
                    first, second, decodes, firstMs, secondMs);
        failed |= decodes != 1 || first != second || first <= 0;
        // Forty entries: the same small image under forty spellings of its path, oldest asked for.
        const std::string tiny = writeImage(2);
        const size_t slash = tiny.rfind('/');
        for (int i = 0; i < 40; ++i) {
            std::string spelling = tiny.substr(0, slash);
            for (int dots = 0; dots < i; ++dots)
                spelling += "/.";
            g_cacheNames.push_back(spelling + tiny.substr(slash));
            texture_get(g_cacheNames.back().c_str());
        }
        BENCHMARK(BM_TextureCacheHit);
    } else {
        std::printf("No display: texture figures skipped (%s)\n", SDL_GetError());
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (window)
        SDL_Quit();
    for (const std::string &file : g_imageFiles)
        std::filesystem::remove(file);
    std::printf("%s\n", failed ? "FAILED" : "OK");
    return failed ? 1 : 0;
}
