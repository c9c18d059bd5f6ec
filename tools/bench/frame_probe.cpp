// frame_probe.cpp -- preloaded into a real program (LD_PRELOAD), so the game carries no timing
// code. It sees every buffer swap, through SDL 1.2's SDL_GL_SwapBuffers or SDL 2's
// SDL_GL_SwapWindow, whichever the program calls; the same probe measures our game and a peer.
//   TRELVIK_PROBE_OUT, TRELVIK_PROBE_T0: at the first swap (everything loaded, the first frame
//     on screen), the 1,000th (warmed up: every effect drawn once) and the 10,000th, one line
//       frame <n> ms <since TRELVIK_PROBE_T0, ns of CLOCK_REALTIME> rss <VmRSS kB> hwm <VmHWM kB>
//   TRELVIK_PROBE_RATE: a file that gets one line a second of wall time,
//       second <n> frames <swaps in that second>
//   TRELVIK_PROBE_NO_DELAY=1: SDL_Delay returns at once, so a game's own frame limit is lifted
//     and it draws as fast as it can.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

long statusKb(const char *key)
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const std::size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0) {
            value = std::strtol(line + n, nullptr, 10);
            break;
        }
    std::fclose(f);
    return value;
}

long long realtimeNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void record(long frame)
{
    const char *out = std::getenv("TRELVIK_PROBE_OUT");
    const char *t0 = std::getenv("TRELVIK_PROBE_T0");
    if (!out || !t0)
        return;
    const long long ns = realtimeNs() - std::atoll(t0);
    if (std::FILE *f = std::fopen(out, "a")) {
        std::fprintf(f, "frame %ld ms %.1f rss %ld hwm %ld\n", frame, static_cast<double>(ns) / 1e6,
                     statusKb("VmRSS:"), statusKb("VmHWM:"));
        std::fclose(f);
    }
}

// Counts the swap into the current second; when a second has passed, writes the count of the
// one that ended (and of any empty ones after it).
void countRate()
{
    static const char *out = std::getenv("TRELVIK_PROBE_RATE");
    static std::FILE *file = out ? std::fopen(out, "a") : nullptr;
    static long long secondStart = 0;
    static long second = 0, frames = 0;
    if (!file)
        return;
    const long long now = realtimeNs();
    if (secondStart == 0)
        secondStart = now;
    while (now - secondStart >= 1000000000LL) {
        std::fprintf(file, "second %ld frames %ld\n", ++second, frames);
        std::fflush(file);
        frames = 0;
        secondStart += 1000000000LL;
    }
    ++frames;
}

void swapped()
{
    static long frames = 0;
    ++frames;
    if (frames == 1 || frames == 1000 || frames == 10000)
        record(frames);
    countRate();
}

} // namespace

extern "C" void SDL_GL_SwapBuffers(void)
{
    using Swap = void (*)();
    static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    if (real)
        real();
    swapped();
}

extern "C" void SDL_GL_SwapWindow(void *window)
{
    using Swap = void (*)(void *);
    static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (real)
        real(window);
    swapped();
}

extern "C" void SDL_Delay(std::uint32_t ms)
{
    using Delay = void (*)(std::uint32_t);
    static const Delay real = reinterpret_cast<Delay>(dlsym(RTLD_NEXT, "SDL_Delay"));
    static const bool lifted = std::getenv("TRELVIK_PROBE_NO_DELAY") != nullptr;
    if (real && !lifted)
        real(ms);
}
