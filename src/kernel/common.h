// common.h -- error reporting and allocation for the whole program.
// Problems are reported, not returned up a chain: error() reports and carries on,
// error_quit() reports and ends the process with status 2.
#pragma once

#include <cstddef>

// Writes "Error: <message>" as one line to standard error (standard output is flushed first).
void error(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Writes "Error: <message>" and "Quitting!" to standard error and exits with status 2.
// Runs no task's stop and does not shut SDL down.
[[noreturn]] void error_quit(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Allocates size bytes (uninitialised) or ends the program with "Out of Memory".
// Never returns null. The caller releases the block with free().
void *emalloc(std::size_t size);

// Makes operator new end the program with "Out of Memory" too, so every allocation
// of the program fails the same way. Called once at start.
void common_installNewHandler();
