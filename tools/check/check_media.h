// check_media.h -- the images and sounds of a run directory, decoded as the game decodes them.
// Sound checks need the mixer: check_openAudio first, check_closeAudio at the end.
#pragma once

#include "check_report.h"

#include <string>

struct CheckImage {
    std::string path;  // as the game asks the texture cache for it, relative to the run directory
    std::string users; // what the game draws with it, for the messages
};

// Loads the image as the texture cache does and converts it as the upload would.
void check_image(CheckReport &report, const CheckImage &image);

// Opens SDL's audio with the silent driver and the mixer in the game's format; false (the sound
// checks then use SDL's own WAV reader) when that fails.
bool check_openAudio();
void check_closeAudio();

// A sound effect, loaded as the game loads them (the mixer's WAV loader; SDL_LoadWAV when the
// mixer could not be opened).
void check_sound(CheckReport &report, const std::string &path, const std::string &users);
// The music, loaded as the game starts it.
void check_music(CheckReport &report, const std::string &path);
