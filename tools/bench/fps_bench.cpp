// fps_bench.cpp -- what a frame of the real level costs at 640 x 480. The level is flown by the
// steady autopilots, one per ship, from seed 1 on a game clock of 60 frames a second, so every run
// draws the same frames; each pass is drawn as the game draws it. Each round measures:
//   - an empty frame (clear and swap), as the machine's yardstick at that moment;
//   - the flight with every frame drawn and swapped: frames a second, passes a second with the
//     game's tick and the pilots included, and the processor time a pass takes on all threads
//     (the steadiest figure on a shared machine);
//   - the flight again with glFinish before and after each drawing stage: the time of each stage.
// The timed stages add up to more than a plain frame (each glFinish waits for the rasteriser);
// their shares show where the frame goes. A measurement, not a test: it prints the figures.
//
// Usage (under a display; tools/headless.sh gives a virtual one):
//   trelvik_fps [run directory holding data/] [rounds] [seconds of play] [--level N] [--shot SECOND FILE.bmp]
//               [--passes FILE.csv]
//   trelvik_fps [run directory] --empty     prints the empty frame's rate alone (for the peer script)
// --shot saves the frame drawn at that second of play (the same picture in every build). --level
// flies level N of the campaign (default 1); for a later level each round also flies the first,
// and the report sets the two frames' costs against each other, measured in the same run.
// --passes writes each pass of the first flight: its wall and processor time and what was in play;
// FILE.csv.stages the processor time of each stage of each pass of the first timed flight.
#include "bench_game.h"
#include "check_play.h"
#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/explosion.h"
#include "graphics/particle.h"
#include "kernel/settings.h"
#include "tasks/scene.h"
#include "tasks/task_audio.h"
#include "tasks/task_input.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int bench_width = 640;
constexpr int bench_height = 480;
constexpr int bench_fps = 60;
constexpr unsigned bench_seed = 1;
int benchLevel = 1;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Processor time of the whole process (the renderer's threads included), in milliseconds: far
// steadier than the wall clock on a shared machine, as it leaves out the time other programs
// take; cheap enough to read after every pass.
double processorMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// What the stage timings call the work before the first stage.
constexpr const char *beginStageName = "sky picture, clear, camera";

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}


double emptyFramesPerSecond(int frames)
{
    const auto begin = Clock::now();
    for (int i = 0; i < frames; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
    }
    return frames / seconds(Clock::now() - begin);
}

// What the passes of one flight add up; a plain function pointer cannot carry it.
struct Flight {
    long frames = 0;
    long actorsDrawn = 0;                              // summed over the frames
    Clock::duration drawing{};                         // frames drawn and swapped
    Clock::time_point lastPass{};                      // when the pass before ended
    double lastProcessorMs = 0;
    std::vector<double> passMs;                        // each pass's time from the end of the one before
    std::vector<double> passProcessorMs;               // the processor time it took, all threads
    std::FILE *passLog = nullptr;                      // --passes: one line a pass
    std::array<Clock::duration, SCENE_STAGE_COUNT + 1> stages{}; // [0]: beginStageName
    long shotFrame = -1;                               // the frame to save, counted from 1
    std::string shotFile;
};
Flight flight;

void drawFrame()
{
    const auto begin = Clock::now();
    const double processorBegin = flight.passLog != nullptr ? processorMilliseconds() : 0;
    task_video_drawFrame();
    flight.actorsDrawn += scene_actorsDrawn();
    ++flight.frames;
    if (flight.frames == flight.shotFrame) {
        std::vector<unsigned char> pixels(static_cast<size_t>(bench_width) * bench_height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, bench_width, bench_height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        SDL_Surface *image = SDL_CreateRGBSurface(SDL_SWSURFACE, bench_width, bench_height, 24, 0x0000ff, 0x00ff00,
                                                  0xff0000, 0);
        if (image != nullptr) {
            for (int y = 0; y < bench_height; ++y) // GL's rows run bottom up
                std::memcpy(static_cast<unsigned char *>(image->pixels) + static_cast<size_t>(y) * image->pitch,
                            pixels.data() + static_cast<size_t>(bench_height - 1 - y) * bench_width * 3,
                            static_cast<size_t>(bench_width) * 3);
            if (SDL_SaveBMP(image, flight.shotFile.c_str()) != 0)
                std::fprintf(stderr, "trelvik_fps: cannot write %s\n", flight.shotFile.c_str());
            SDL_FreeSurface(image);
        }
    }
    SDL_GL_SwapBuffers();
    const auto end = Clock::now();
    flight.drawing += end - begin;
    flight.passMs.push_back(std::chrono::duration<double, std::milli>(end - flight.lastPass).count());
    flight.lastPass = end;
    const double processorMs = processorMilliseconds();
    flight.passProcessorMs.push_back(processorMs - flight.lastProcessorMs);
    flight.lastProcessorMs = processorMs;
    if (flight.passLog != nullptr) {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::fprintf(flight.passLog, "%ld,", usage.ru_minflt);
        std::fprintf(flight.passLog, "%ld,%.3f,%.3f,%.3f,%d,%zu,%zu\n", flight.frames, flight.passMs.back(),
                     flight.passProcessorMs.back(), processorMs - processorBegin, actor_count(),
                     explosion_list().size(), particle_systems().size());
    }
}

void drawFrameByStages()
{
    std::array<double, SCENE_STAGE_COUNT + 2> processorMs{};
    auto mark = Clock::now();
    processorMs[0] = processorMilliseconds();
    scene_beginFrame();
    glFinish();
    auto now = Clock::now();
    flight.stages[0] += now - mark;
    processorMs[1] = processorMilliseconds();
    for (int stage = 0; stage < SCENE_STAGE_COUNT; ++stage) {
        mark = now;
        scene_drawStage(static_cast<SceneStage>(stage));
        glFinish();
        now = Clock::now();
        flight.stages[static_cast<size_t>(stage) + 1] += now - mark;
        processorMs[static_cast<size_t>(stage) + 2] = processorMilliseconds();
    }
    ++flight.frames;
    SDL_GL_SwapBuffers();
    if (flight.passLog != nullptr) {
        std::fprintf(flight.passLog, "%ld,%.3f", flight.frames, processorMilliseconds() - processorMs.back());
        for (size_t k = 1; k < processorMs.size(); ++k)
            std::fprintf(flight.passLog, ",%.3f", processorMs[k] - processorMs[k - 1]);
        std::fprintf(flight.passLog, "\n");
    }
}

// Flies the level once with the pass hook given; the figures are left in `flight`.
PlayResult fly(void (*afterPass)(), float stopAfter)
{
    const long shotFrame = flight.shotFrame;
    const std::string shotFile = flight.shotFile;
    std::FILE *passLog = flight.passLog;
    flight = Flight{};
    flight.passLog = passLog;
    flight.shotFrame = shotFrame;
    flight.shotFile = shotFile;
    // Room for the longest flight, so the measured passes allocate nothing.
    flight.passMs.reserve(static_cast<size_t>(play_maxSeconds + 1) * bench_fps + 64);
    flight.passProcessorMs.reserve(flight.passMs.capacity());
    flight.lastPass = Clock::now();
    flight.lastProcessorMs = processorMilliseconds();
    PlayRun run{ship_count, PilotSkill::steady, bench_seed, bench_fps};
    run.level = benchLevel;
    run.stopAfter = stopAfter;
    run.afterPass = afterPass;
    return play_fly(run);
}

// How evenly the passes of one flight came: each pass is what a player waits for between two
// frames (the game's tick, the pilots, the frame and its swap).
struct Pacing {
    double median, p99, longest;
    long overTwice;       // passes over twice the median
    double p99Late, longestLate; // the same after the first second of play
    long overTwiceLate, overThriceLate;
    long longestAt;       // the pass number of the longest after the first second
};

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())));
    return values[at];
}

Pacing pacingOf(const std::vector<double> &passMs)
{
    Pacing p{};
    p.median = median(passMs);
    p.p99 = percentile(passMs, 0.99);
    p.longest = passMs.empty() ? 0 : *std::max_element(passMs.begin(), passMs.end());
    p.overTwice = std::count_if(passMs.begin(), passMs.end(), [&](double ms) { return ms > 2 * p.median; });
    const auto first = passMs.begin() + std::min<std::ptrdiff_t>(bench_fps, static_cast<std::ptrdiff_t>(passMs.size()));
    const std::vector<double> late(first, passMs.end());
    p.p99Late = percentile(late, 0.99);
    p.longestLate = late.empty() ? 0 : *std::max_element(late.begin(), late.end());
    p.longestAt = late.empty() ? -1 : bench_fps + (std::max_element(late.begin(), late.end()) - late.begin());
    p.overTwiceLate = std::count_if(late.begin(), late.end(), [&](double ms) { return ms > 2 * p.median; });
    p.overThriceLate = std::count_if(late.begin(), late.end(), [&](double ms) { return ms > 3 * p.median; });
    return p;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    long shotFrame = -1;
    std::string shotFile, passLogFile;
    bool emptyOnly = false;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == "--shot" && std::distance(it, args.end()) >= 3) {
            shotFrame = std::lround(std::atof(it[1].c_str()) * bench_fps);
            shotFile = std::filesystem::absolute(it[2]).string();
            it = args.erase(it, it + 3);
        } else if (*it == "--passes" && std::distance(it, args.end()) >= 2) {
            passLogFile = std::filesystem::absolute(it[1]).string();
            it = args.erase(it, it + 2);
        } else if (*it == "--empty") {
            emptyOnly = true;
            it = args.erase(it);
        } else if (*it == "--level" && std::distance(it, args.end()) >= 2) {
            benchLevel = std::max(1, std::atoi(it[1].c_str()));
            it = args.erase(it, it + 2);
        } else {
            ++it;
        }
    }
    const std::string runDir = !args.empty() ? args[0] : TRELVIK_RUN_DIR_DEFAULT;
    const int rounds = args.size() > 1 ? std::max(1, std::atoi(args[1].c_str())) : 3;
    const float stopAfter = args.size() > 2 ? static_cast<float>(std::max(0.0, std::atof(args[2].c_str()))) : 0.0f;
    if (chdir(runDir.c_str()) != 0 || !std::filesystem::exists("data/level1.map")) {
        std::fprintf(stderr, "trelvik_fps: no generated data in %s/data (build trelvik-data first)\n", runDir.c_str());
        return 2;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!bench_startGame("trelvik-fps", bench_width, bench_height)) {
        std::fprintf(stderr, "trelvik_fps: no window (run under a display, e.g. tools/headless.sh)\n");
        return 2;
    }
    if (emptyOnly) {
        std::printf("%.1f\n", emptyFramesPerSecond(2000));
        task_video_stop();
        return 0;
    }
    if (benchLevel != 1 && !task_test_restartAt(benchLevel)) {
        std::fprintf(stderr, "trelvik_fps: data/level%d.map cannot be read\n", benchLevel);
        return 2;
    }
    std::printf("Level %d %s at %dx%d, flown by the steady autopilots (%d ships, seed %u, %d game frames a second)\n",
                g_level, g_level_name.c_str(), bench_width, bench_height, ship_count, bench_seed, bench_fps);
    std::printf("GL renderer: %s\n", reinterpret_cast<const char *>(glGetString(GL_RENDERER)));

    std::vector<double> empties, frameRates, passRates, ratios, processorMs, firstMs, firstFrameMs;
    std::array<std::vector<double>, SCENE_STAGE_COUNT + 1> stageMs;
    std::vector<Pacing> pacings, processorPacings;
    std::vector<unsigned> skyPictures;
    std::vector<double> actorsAFrame; // actors the culling let through, a frame
    long frames = 0;
    float played = 0;
    bool won = false;
    for (int round = 0; round < rounds; ++round) {
        empties.push_back(emptyFramesPerSecond(1000));
        flight.shotFrame = round == 0 ? shotFrame : -1;
        flight.shotFile = shotFile;
        if (round == 0 && !passLogFile.empty()) {
            flight.passLog = std::fopen(passLogFile.c_str(), "w");
            if (flight.passLog != nullptr)
                std::fprintf(flight.passLog, "minor faults,pass,wall ms,processor ms,frame processor ms,actors,explosions,particle systems\n");
        }
        const auto begin = Clock::now();
        const double processorBegin = processorMilliseconds();
        const unsigned picturesBefore = scene_skyPictures();
        const PlayResult result = fly(drawFrame, stopAfter);
        const double total = seconds(Clock::now() - begin);
        if (flight.passLog != nullptr)
            std::fclose(flight.passLog);
        flight.passLog = nullptr;
        pacings.push_back(pacingOf(flight.passMs));
        processorPacings.push_back(pacingOf(flight.passProcessorMs));
        skyPictures.push_back(scene_skyPictures() - picturesBefore);
        actorsAFrame.push_back(static_cast<double>(flight.actorsDrawn) / static_cast<double>(flight.frames));
        processorMs.push_back((processorMilliseconds() - processorBegin) / static_cast<double>(flight.frames));
        frames = flight.frames;
        played = result.seconds;
        won = result.won;
        frameRates.push_back(static_cast<double>(flight.frames) / seconds(flight.drawing));
        passRates.push_back(static_cast<double>(flight.frames) / total);
        ratios.push_back(frameRates.back() / empties.back());

        if (benchLevel != 1) {
            const int level = benchLevel;
            benchLevel = 1;
            flight.shotFrame = -1;
            const double firstBegin = processorMilliseconds();
            fly(drawFrame, stopAfter);
            firstMs.push_back((processorMilliseconds() - firstBegin) / static_cast<double>(flight.frames));
            firstFrameMs.push_back(seconds(flight.drawing) * 1000 / static_cast<double>(flight.frames));
            benchLevel = level;
        }
        if (round == 0 && !passLogFile.empty()) {
            flight.passLog = std::fopen((passLogFile + ".stages").c_str(), "w");
            if (flight.passLog != nullptr) {
                std::fprintf(flight.passLog, "pass,swap,%s", beginStageName);
                for (int stage = 0; stage < SCENE_STAGE_COUNT; ++stage)
                    std::fprintf(flight.passLog, ",%s", scene_stageName(static_cast<SceneStage>(stage)));
                std::fprintf(flight.passLog, "\n");
            }
        }
        fly(drawFrameByStages, stopAfter);
        if (flight.passLog != nullptr)
            std::fclose(flight.passLog);
        flight.passLog = nullptr;
        for (size_t k = 0; k < stageMs.size(); ++k)
            stageMs[k].push_back(seconds(flight.stages[k]) * 1000 / static_cast<double>(flight.frames));
    }
    std::printf("%ld frames a flight (%.1f s of play, %s), medians of %d rounds\n\n", frames, played,
                won ? "won" : "not won", rounds);
    std::printf("%-28s %9s %9s   %s\n", "", "frames/s", "ms/frame", "frames/s of each round");
    const auto row = [](const char *name, const std::vector<double> &rates) {
        std::printf("%-28s %9.1f %9.3f  ", name, median(rates), 1000 / median(rates));
        for (const double r : rates)
            std::printf(" %.1f", r);
        std::printf("\n");
    };
    row("empty frame (clear, swap)", empties);
    row("level: frame and swap", frameRates);
    row("level: pass (tick, pilots)", passRates);
    std::printf("%-28s %9.4f\n", "ratio to the empty frame", median(ratios));
    std::printf("%-28s %9s %9.3f  ", "level: processor time", "", median(processorMs));
    for (const double ms : processorMs)
        std::printf(" %.3f", ms);
    std::printf("\n  (ms of processor time a pass, all threads, game tick and pilots included)\n\n");
    if (!firstMs.empty()) {
        std::printf("%-28s %9s %9.3f  ", "level 1: processor time", "", median(firstMs));
        for (const double ms : firstMs)
            std::printf(" %.3f", ms);
        std::printf("\n%-28s %9s %9.3f\n", "level 1: frame and swap", "", median(firstFrameMs));
        std::printf("level %d against level 1, same run: processor time a pass x%.3f, frame and swap x%.3f\n\n",
                    benchLevel, median(processorMs) / median(firstMs),
                    1000 / median(frameRates) / median(firstFrameMs));
    }

    std::printf("Pacing: each pass (tick, pilots, frame, swap), in ms: the wall clock's time from the end of the\n"
                "pass before, then the processor time it took (all threads), which other programs on the machine\n"
                "do not lengthen: a pass long on the wall clock alone waited for the machine\n");
    std::printf("%-10s %8s %8s %8s %5s  | after the first second: %7s %8s %5s %5s  %s\n", "round", "median", "p99",
                "longest", ">2x", "p99", "longest", ">2x", ">3x", "longest at");
    const auto pacingRow = [](const char *name, size_t round, const Pacing &p) {
        std::printf("%zu %-8s %8.3f %8.3f %8.3f %5ld  | %31.3f %8.3f %5ld %5ld  pass %ld (%.1f s)\n", round, name,
                    p.median, p.p99, p.longest, p.overTwice, p.p99Late, p.longestLate, p.overTwiceLate,
                    p.overThriceLate, p.longestAt, static_cast<double>(p.longestAt) / bench_fps);
    };
    for (size_t r = 0; r < pacings.size(); ++r) {
        pacingRow("wall", r + 1, pacings[r]);
        pacingRow("cpu", r + 1, processorPacings[r]);
    }
    std::printf("pictures of the sky taken in each flight:");
    for (const unsigned n : skyPictures)
        std::printf(" %u", n);
    std::printf("\nactors drawn a frame (after culling), each flight:");
    for (const double n : actorsAFrame)
        std::printf(" %.1f", n);
    std::printf("\n\n");

    std::printf("%-28s %9s %7s   (glFinish before and after each)\n", "stage", "ms/frame", "share");
    double sum = 0;
    for (const auto &ms : stageMs)
        sum += median(ms);
    for (size_t k = 0; k < stageMs.size(); ++k) {
        const char *name = k == 0 ? beginStageName : scene_stageName(static_cast<SceneStage>(k - 1));
        std::printf("%-28s %9.3f %6.1f%%\n", name, median(stageMs[k]), 100 * median(stageMs[k]) / sum);
    }
    std::printf("%-28s %9.3f\n", "all stages", sum);
    play_close();
    task_video_stop();
    return 0;
}
