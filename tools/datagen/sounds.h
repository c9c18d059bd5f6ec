// sounds.h -- the three sound effects, synthesised: shot.wav (a laser zap), explos.wav (about
// a second of shaped noise and a low boom) and cash.wav (a bright rising chime).
#pragma once

#include <string>

bool sounds_writeAll(const std::string &dir);
