// fps_bench.cpp -- frames per second of the real level at 640 x 480: the game's passes (game
// tick and frame) while the camera scrolls the whole level, with display lists on and off and
// frustum culling on and off, beside an empty frame (clear and swap) measured in the same run.
// A measurement, not a test: it prints the figures and always exits 0 once it could run.
//
// Usage (under a display; tools/headless.sh gives a virtual one):
//   trelvik_fps [run directory holding data/] [passes per configuration] [rounds]
#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/explosion.h"
#include "graphics/frustum.h"
#include "graphics/model.h"
#include "graphics/particle.h"
#include "kernel/main.h"
#include "kernel/settings.h"
#include "tasks/task_audio.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int bench_width = 640;
constexpr int bench_height = 480;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The window, the effects and the sound device, as the start-up sequence makes them.
bool startVideo()
{
    const std::string config = (std::filesystem::temp_directory_path() / "trelvik-fps-config.ini").string();
    std::ofstream(config) << "useDisplaylists=true\nscreen_width=" << bench_width << "\nscreen_height=" << bench_height
                          << "\nscreen_bpp=24\nfullscreen=false\n";
    const bool parsed = settings_parseFile(config.c_str());
    std::filesystem::remove(config);
    if (!parsed || SDL_Init(SDL_INIT_TIMER) < 0 || !task_video_start())
        return false;
    particle_init();
    explosion_init();
    task_audio_start();
    return true;
}

double emptyFramesPerSecond(int passes)
{
    const auto start = Clock::now();
    for (int i = 0; i < passes; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
    }
    return passes / seconds(Clock::now() - start);
}

struct Figures {
    double passesPerSecond; // game tick, frame and swap
    double framesPerSecond; // frame and swap alone
    int actors;             // listed actors, averaged over the passes
    int inView;             // of those, inside the view frustum (what culling draws)
};

int g_inView = 0;

// Counts an actor whose model's sphere the last frame's frustum holds, as the frame tests it.
void countInView(actor *a)
{
    if (a != nullptr && a->model != nullptr &&
        frustum_isSphereVisable(a->position->x, a->position->y, a->position->z, a->model->radius))
        ++g_inView;
}

// One new game scrolled from its start to its camera stop in the given number of passes; the
// ships are invincible so the game cannot end on the way.
Figures scrollLevel(int passes)
{
    task_test_restart();
    gamestate = GAMESTATE_SCROLLING;
    g_invincible = true;
    g_frameInterval = camera_max / g_camera_speed / static_cast<float>(passes);
    Clock::duration inFrame{};
    long actors = 0, inView = 0;
    const auto start = Clock::now();
    for (int i = 0; i < passes; ++i) {
        task_test_tick();
        const auto frameStart = Clock::now();
        task_video_tick();
        inFrame += Clock::now() - frameStart;
        actors += actor_count();
        g_inView = 0;
        actor_iterate(countInView);
        inView += g_inView;
    }
    const double total = seconds(Clock::now() - start);
    return {passes / total, passes / seconds(inFrame), static_cast<int>(actors / passes),
            static_cast<int>(inView / passes)};
}

} // namespace

int main(int argc, char **argv)
{
    const std::string runDir = argc > 1 ? argv[1] : TRELVIK_RUN_DIR_DEFAULT;
    const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 760;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    if (chdir(runDir.c_str()) != 0 || !std::filesystem::exists("data/level1.map")) {
        std::fprintf(stderr, "trelvik_fps: no generated data in %s/data (build trelvik-data first)\n", runDir.c_str());
        return 2;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!startVideo()) {
        std::fprintf(stderr, "trelvik_fps: no window (run under a display, e.g. tools/headless.sh)\n");
        return 2;
    }
    task_test_start();
    std::printf("Level %d %s: camera stop %.0f, %d passes per configuration and round at %dx%d\n", g_level,
                g_level_name.c_str(), camera_max, passes, bench_width, bench_height);
    std::printf("GL renderer: %s\n\n", reinterpret_cast<const char *>(glGetString(GL_RENDERER)));

    // The machine may be shared, and the empty frame's rate (a buffer swap into the X server)
    // swings by a factor of two from one second to the next: every configuration is measured
    // once per round right after its own empty-frame run, in an order that turns by one each
    // round; each ratio is taken within its pair, and the medians are reported.
    struct Configuration {
        const char *name;
        bool lists, culling;
        std::vector<Figures> runs;
        std::vector<double> ratios;
    };
    std::vector<Configuration> configurations = {{"lists on  culling on", true, true, {}, {}},
                                                 {"lists on  culling off", true, false, {}, {}},
                                                 {"lists off culling on", false, true, {}, {}},
                                                 {"lists off culling off", false, false, {}, {}}};
    std::vector<double> empties;
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < configurations.size(); ++k) {
            Configuration &c = configurations[(k + static_cast<size_t>(round)) % configurations.size()];
            const double empty = emptyFramesPerSecond(passes);
            empties.push_back(empty);
            g_useDisplaylists = c.lists;
            if (task_video_isFrustumCulling() != c.culling)
                task_video_toggleFrustumCulling();
            c.runs.push_back(scrollLevel(passes));
            c.ratios.push_back(c.runs.back().framesPerSecond / empty);
        }
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        const size_t n = values.size();
        return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    };
    const double empty = median(empties);

    std::printf("medians of %d rounds\n", rounds);
    std::printf("%-25s %9s %9s %7s %7s %8s   %s\n", "configuration", "passes/s", "frames/s", "ratio", "actors",
                "in view", "frames/s of each round");
    std::printf("%-25s %9s %9.1f %7s %7s %8s   (%zu runs, from %.1f to %.1f)\n", "empty frame (clear, swap)", "-",
                empty, "1.000", "-", "-", empties.size(), *std::min_element(empties.begin(), empties.end()),
                *std::max_element(empties.begin(), empties.end()));
    for (const Configuration &c : configurations) {
        std::vector<double> passesPerSecond, framesPerSecond;
        for (const Figures &f : c.runs) {
            passesPerSecond.push_back(f.passesPerSecond);
            framesPerSecond.push_back(f.framesPerSecond);
        }
        const double frames = median(framesPerSecond);
        std::printf("%-25s %9.1f %9.1f %7.4f %7d %8d  ", c.name, median(passesPerSecond), frames, median(c.ratios),
                    c.runs.front().actors, c.runs.front().inView);
        for (const double f : framesPerSecond)
            std::printf(" %.1f", f);
        std::printf("\n");
    }
    std::printf("\npasses/s: game tick, frame and swap; frames/s: frame and swap alone;\n"
                "ratio: the level's frames per second over those of the empty frame measured just before it\n"
                "(the median of the rounds' ratios);\n"
                "actors, in view: listed actors and those inside the view, averaged over the passes\n");
    task_video_stop();
    SDL_Quit();
    return 0;
}
