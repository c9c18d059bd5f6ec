// icon.h -- the desktop icon: the ship over a night sky in a round badge, painted from shapes
// alone, so it is the same bytes on every run.
#pragma once

#include <string>

// trelvik.png (64 x 64, RGBA PNG) in dir; false with a message on stderr when it cannot be written.
bool icon_write(const std::string &dir);
