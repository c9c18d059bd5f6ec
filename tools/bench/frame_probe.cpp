// frame_probe.cpp -- preloaded into a real program by tools/bench/run.sh (LD_PRELOAD), so the
// game carries no timing code: at the first buffer swap (everything loaded, the first frame on
// screen), at the 1,000th (warmed up: every effect drawn once) and at the 10,000th it appends to the file TRELVIK_PROBE_OUT one line
//   frame <n> ms <since TRELVIK_PROBE_T0, ns of CLOCK_REALTIME> rss <VmRSS kB> hwm <VmHWM kB>
#include <dlfcn.h>

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

void record(long frame)
{
    const char *out = std::getenv("TRELVIK_PROBE_OUT");
    const char *t0 = std::getenv("TRELVIK_PROBE_T0");
    if (!out || !t0)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec - std::atoll(t0);
    if (std::FILE *f = std::fopen(out, "a")) {
        std::fprintf(f, "frame %ld ms %.1f rss %ld hwm %ld\n", frame, static_cast<double>(ns) / 1e6,
                     statusKb("VmRSS:"), statusKb("VmHWM:"));
        std::fclose(f);
    }
}

} // namespace

extern "C" void SDL_GL_SwapBuffers(void)
{
    using Swap = void (*)();
    static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    static long frames = 0;
    if (real)
        real();
    ++frames;
    if (frames == 1 || frames == 1000 || frames == 10000)
        record(frames);
}
