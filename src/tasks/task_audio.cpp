// task_audio.cpp -- the sound device. Sounds and music loaded here live until the task stops,
// which comes after the game task has stopped and let go of its handles.
#include "tasks/task_audio.h"

#include "kernel/common.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <memory>
#include <vector>

namespace {

constexpr int mixer_frequency = 22050;
constexpr Uint16 mixer_format = AUDIO_S16LSB;
constexpr int mixer_channels = 2;
constexpr int mixer_buffer_frames = 4096;
constexpr int music_volume = 96;
constexpr int sound_volume = 32;

struct ChunkDeleter {
    void operator()(Mix_Chunk *chunk) const { Mix_FreeChunk(chunk); }
};
struct MusicDeleter {
    void operator()(Mix_Music *music) const { Mix_FreeMusic(music); }
};

std::vector<std::unique_ptr<Mix_Chunk, ChunkDeleter>> sounds;
std::unique_ptr<Mix_Music, MusicDeleter> music;
// SDL_mixer is called only while it is open: its pause and resume walk channels that a failed or
// closed mixer no longer has.
bool mixerOpen = false;
constexpr const char *closed_reason = "Audio device hasn't been opened";
// Sound is heard while neither the player has muted it (N, M) nor the game is paused; either
// ending leaves the other in force.
bool muted = false;
bool suspended = false;

void applyPause()
{
    if (!mixerOpen)
        return;
    if (muted || suspended) {
        Mix_Pause(-1);
        Mix_PauseMusic();
    } else {
        Mix_Resume(-1);
        Mix_ResumeMusic();
    }
}

} // namespace

int task_audio_start()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == -1) {
        error("Failed to initialise SDL_INIT_AUDIO. %s", SDL_GetError());
        return 0;
    }
    if (Mix_OpenAudio(mixer_frequency, mixer_format, mixer_channels, mixer_buffer_frames) == -1) {
        error("Failed to open Audio: %s", SDL_GetError());
        return 0;
    }
    mixerOpen = true;
    Mix_VolumeMusic(music_volume);
    return 1;
}

void task_audio_stop()
{
    // Released while the mixer is still open, so that the mixer stops using them first.
    music.reset();
    sounds.clear();
    if (mixerOpen)
        Mix_CloseAudio();
    mixerOpen = false;
    muted = false;
    suspended = false;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void task_audio_suspend()
{
    suspended = true;
    applyPause();
}

int task_audio_resume()
{
    suspended = false;
    applyPause();
    return 1;
}

void task_audio_mute(bool mute)
{
    muted = mute;
    applyPause();
}

bool task_audio_isMuted()
{
    return muted;
}

void task_audio_tick() {}

Sound task_audio_loadSound(const char *filename)
{
    if (!mixerOpen) {
        error("Failed to load sound: %s - %s", filename ? filename : "", closed_reason);
        return nullptr;
    }
    Mix_Chunk *chunk = Mix_LoadWAV_RW(SDL_RWFromFile(filename, "rb"), 1);
    if (chunk == nullptr) {
        error("Failed to load sound: %s - %s", filename ? filename : "", SDL_GetError());
        return nullptr;
    }
    Mix_VolumeChunk(chunk, sound_volume);
    sounds.emplace_back(chunk);
    return chunk;
}

void task_audio_playSound(Sound sound, bool loop)
{
    if (sound == nullptr) {
        error("Tried to play a NULL pointer Sound");
        return;
    }
    if (mixerOpen)
        Mix_PlayChannelTimed(-1, sound, loop ? -1 : 0, -1);
}

void task_audio_playMusic(const char *filename, bool loop)
{
    if (!mixerOpen) {
        error("Failed to load music: %s - %s", filename ? filename : "", closed_reason);
        return;
    }
    Mix_Music *loaded = filename ? Mix_LoadMUS(filename) : nullptr;
    if (loaded == nullptr) {
        error("Failed to load music: %s - %s", filename ? filename : "", SDL_GetError());
        return;
    }
    music.reset(loaded); // the old track stops as it is released
    Mix_PlayMusic(loaded, loop ? -1 : 1);
}

void task_audio_stopMusic()
{
    if (mixerOpen)
        Mix_HaltMusic();
}
