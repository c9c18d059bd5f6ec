// common.cpp -- error reporting and allocation; no state of its own.
#include "kernel/common.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

void writeMessage(const char *format, va_list args)
{
    std::fflush(stdout);
    std::fputs("Error: ", stderr);
    std::vfprintf(stderr, format, args);
}

void outOfMemory()
{
    error_quit("Out of Memory");
}

} // namespace

void error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    writeMessage(format, args);
    va_end(args);
    std::fputs("\n", stderr);
    std::fflush(stderr);
}

void error_quit(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    writeMessage(format, args);
    va_end(args);
    std::fputs("\nQuitting!\n", stderr);
    std::fflush(stderr);
    std::exit(2);
}

void *emalloc(std::size_t size)
{
    // A zero-byte request still gets a block of its own, so null always means exhaustion.
    void *block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        error_quit("Out of Memory");
    return block;
}

void common_installNewHandler()
{
    std::set_new_handler(outOfMemory);
}
