// sanitizer_options.cpp -- defaults the sanitizer runtimes ask the program for. Leaks inside the
// system's graphics, windowing and sound libraries are theirs, not ours; every leak in our code
// is still reported. Without the sanitizers these functions are simply never called.

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

extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
