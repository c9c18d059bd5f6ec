// check_media.cpp -- images decoded as the texture cache decodes them (graphics/image.h),
// sounds through the mixer's loaders. Nothing is kept: every decoded file is freed at once.
#include "check_media.h"

#include "check_file.h"

#include "graphics/image.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <memory>

namespace {

// The mixer as the audio task opens it.
constexpr int mixer_frequency = 22050;
constexpr Uint16 mixer_format = AUDIO_S16LSB;
constexpr int mixer_channels = 2;
constexpr int mixer_buffer_frames = 4096;

bool mixerOpen = false;

struct ChunkDeleter {
    void operator()(Mix_Chunk *chunk) const { Mix_FreeChunk(chunk); }
};
struct MusicDeleter {
    void operator()(Mix_Music *music) const { Mix_FreeMusic(music); }
};

bool powerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// Whether the file can be read to its end; the decoders' own messages for a missing file or a
// directory vary.
bool readable(CheckReport &report, const std::string &path, const std::string &consequence)
{
    return check_readFile(report, path, consequence).has_value();
}

} // namespace

void check_image(CheckReport &report, const CheckImage &image)
{
    const std::string consequence = "the game reports it and draws " + image.users + " without it";
    if (!readable(report, image.path, consequence))
        return;
    // As the texture cache reads it: the name's ending picks the formats without a signature.
    const size_t dot = image.path.rfind('.');
    const std::string type = dot == std::string::npos ? "" : image.path.substr(dot + 1);
    std::string why;
    const std::optional<DecodedImage> converted = image_read(
        SDL_RWFromFile(image.path.c_str(), "rb"), dot == std::string::npos ? nullptr : type.c_str(), why);
    if (!converted) {
        check_error(report, image.path, "does not decode (" + why + "); " + consequence);
        return;
    }
    if (!converted->convertedFrom.empty())
        check_warning(report, image.path,
                      "is " + converted->convertedFrom + "; the game converts it to " +
                          std::to_string(8 * converted->components) + "-bit before upload");
    if (!powerOfTwo(converted->width) || !powerOfTwo(converted->height))
        check_warning(report, image.path,
                      "is " + std::to_string(converted->width) + "x" + std::to_string(converted->height) +
                          "; OpenGL 1.1 needs sides that are powers of two, so older drivers show it only when "
                          "mipmapped");
}

bool check_openAudio()
{
    // Loading needs an open mixer, not a loudspeaker.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    mixerOpen = Mix_OpenAudio(mixer_frequency, mixer_format, mixer_channels, mixer_buffer_frames) == 0;
    return mixerOpen;
}

void check_closeAudio()
{
    if (mixerOpen)
        Mix_CloseAudio();
    mixerOpen = false;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void check_sound(CheckReport &report, const std::string &path, const std::string &users)
{
    const std::string consequence = "the game reports it and plays no sound for " + users;
    if (!readable(report, path, consequence))
        return;
    if (mixerOpen) {
        const std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk(Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1));
        if (!chunk)
            check_error(report, path, std::string("does not load (") + Mix_GetError() + "); " + consequence);
        return;
    }
    SDL_AudioSpec audioFormat;
    Uint8 *samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &audioFormat, &samples, &length) == nullptr) {
        check_error(report, path, std::string("does not load (") + SDL_GetError() + "); " + consequence);
        return;
    }
    SDL_FreeWAV(samples);
}

void check_music(CheckReport &report, const std::string &path)
{
    const std::string consequence = "the game reports it and plays without music";
    if (!readable(report, path, consequence))
        return;
    if (!mixerOpen) {
        check_sound(report, path, "the music");
        return;
    }
    const std::unique_ptr<Mix_Music, MusicDeleter> music(Mix_LoadMUS(path.c_str()));
    if (!music)
        check_error(report, path, std::string("does not load (") + Mix_GetError() + "); " + consequence);
}
