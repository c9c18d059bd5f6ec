// fuzz_checks.h -- one run of each reader of player-supplied files on raw bytes, with the
// promises each reader makes checked. Shared by the libFuzzer targets and by the regression
// tests that replay their findings; keeps nothing between runs.
#pragma once

#include <cstddef>
#include <cstdint>

// The settings words of config.ini.
void fuzz_settings(const uint8_t *data, size_t size);
// The level file's header and entries.
void fuzz_level(const uint8_t *data, size_t size);
// An MS3D model file.
void fuzz_ms3d(const uint8_t *data, size_t size);
// An image as the texture cache decodes it (the image loader, then the conversion before upload).
void fuzz_image(const uint8_t *data, size_t size);
// The table of best runs as its file holds it.
void fuzz_scores(const uint8_t *data, size_t size);

// Which of the above a target name ("settings", "level", "ms3d", "image", "scores") stands for; null if none.
using FuzzCheck = void (*)(const uint8_t *, size_t);
FuzzCheck fuzz_checkNamed(const char *target);
