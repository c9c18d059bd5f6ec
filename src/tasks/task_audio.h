// task_audio.h -- the audio task: the sound device, short sound effects and one looping music
// track. Mixing happens inside SDL_mixer on its own thread; the tick has nothing to do.
#pragma once

struct Mix_Chunk;

// A loaded sound effect; null when loading failed. Owned by this module: valid from
// task_audio_loadSound until the task stops.
using Sound = Mix_Chunk *;

// Opens the mixer (22050 Hz, signed 16-bit little-endian, stereo, 4096-frame buffer) and sets
// the music volume. 0 with a message when there is no sound; the game then runs silent.
int task_audio_start();
// Releases every sound and the music, closes the mixer and the audio subsystem.
void task_audio_stop();
// The game's pause: pauses every channel and the music.
void task_audio_suspend();
// The end of the game's pause: channels and music go on unless the player has muted them; returns 1.
int task_audio_resume();
// The player's mute (N, M): pauses or resumes every channel and the music while the game goes on;
// sound is heard again only once neither the mute nor the game's pause holds it.
void task_audio_mute(bool mute);
bool task_audio_isMuted();
void task_audio_tick();

// Loads a WAV file at sound volume 32; null (with a message) when it cannot be loaded.
Sound task_audio_loadSound(const char *filename);
// Plays on the first free channel, for ever when loop is set. A null sound is reported; when
// every channel is busy the sound is dropped without a word.
void task_audio_playSound(Sound sound, bool loop);
// Replaces the music with the file and starts it, for ever when loop is set, else once.
// A file that cannot be loaded is reported and the music playing so far goes on.
void task_audio_playMusic(const char *filename, bool loop);
void task_audio_stopMusic();
