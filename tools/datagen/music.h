// music.h -- the game's music, phenomenon.wav: 36 bars at 140 beats a minute (61.7 s) in
// A minor, with drums, bass, pads, an arpeggio and a lead, in six sections. Every note that
// rings past the end is folded back onto the start, so the loop is seamless.
#pragma once

#include <string>

bool music_write(const std::string &path);
