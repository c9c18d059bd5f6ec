// sanitizer_options.cpp -- what the sanitizer runtimes ask a program for, linked into every
// program of ours. Leaks inside the system's graphics, windowing and sound libraries are theirs,
// not ours; every leak in our code is still reported. Without the sanitizers nothing here runs.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRELVIK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TRELVIK_ASAN 1
#endif

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libGL\n"
           "leak:libGLX\n"
           "leak:libGLX_mesa\n"
           "leak:libglapi\n"
           "leak:swrast_dri\n"
           "leak:libgallium\n"
           "leak:libLLVM\n"
           "leak:libX11\n"
           "leak:libxcb\n"
           "leak:libdbus\n"
           "leak:libSDL\n"
           "leak:libasound\n"
           "leak:libpulse\n";
}

// Out of memory must end the program with our own message, also under the sanitizers.
// The runtime's __tls_get_addr interceptor (up to LLVM 16) mistakes a thread-local block of a
// library loaded at run time (the GL driver's) that happens to start at a certain offset in a
// page for one with the header old C libraries put there, and the leak checker's tracer then dies
// at exit reading what it takes for that header ("Tracer caught signal 11"). Only libraries loaded
// at run time have such blocks; our code keeps nothing there, so none of our leaks goes unseen.
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1:allocator_may_return_null=1:intercept_tls_get_addr=0";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

#ifdef TRELVIK_ASAN
#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

// With TRELVIK_HEAP_LOG naming a file, the bytes the program holds allocated are written there
// once a second, a line each, for the soak test. Resident memory is no measure of a leak under
// the sanitizer: the GL driver compiles code the first time the game draws a new combination of
// state, and the memory that compile briefly took stays resident, a step of several megabytes
// whenever the game first meets such a state. The bytes held allocated show what is kept. Each
// line is the least of ten readings a tenth of a second apart: the driver's working memory for
// the frame being drawn, megabytes that come and go within the frame, is then left out.
namespace {
[[gnu::constructor]] void startHeapLog()
{
    const char *path = std::getenv("TRELVIK_HEAP_LOG");
    if (path == nullptr || *path == '\0')
        return;
    std::FILE *log = std::fopen(path, "w");
    if (log == nullptr)
        return;
    std::thread([log] {
        for (;;) {
            size_t least = SIZE_MAX;
            for (int reading = 0; reading < 10; ++reading) {
                least = std::min(least, __sanitizer_get_current_allocated_bytes());
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            std::fprintf(log, "%zu\n", least);
            std::fflush(log);
        }
    }).detach();
}
} // namespace

// SDL unloads the GL driver when its video subsystem stops; a leak inside an unloaded library
// can no longer be named and so not told apart from ours. Under the sanitizers libraries stay
// loaded until exit.
extern "C" int dlclose(void *)
{
    return 0;
}
#endif
