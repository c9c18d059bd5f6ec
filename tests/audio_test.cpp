// The audio task: the mixer's format and volumes, sound and music that really reach the output,
// pausing and resuming, and running on without a sound device.
#include "kernel/task.h"
#include "support/test_support.h"
#include "tasks/task_audio.h"
#include "tasks/task_input.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr size_t buffer_bytes = 4096 * 2 * 2; // one mixer buffer: 4096 stereo 16-bit frames

void putLe(std::string &out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// A WAV file in the mixer's own format (22050 Hz, 16-bit, stereo): a square wave of the given
// amplitude (0 gives silence), 50 frames per period.
std::string toneWav(int milliseconds, int amplitude)
{
    const uint32_t frames = 22050u * static_cast<uint32_t>(milliseconds) / 1000u;
    const uint32_t dataBytes = frames * 4;
    std::string wav = "RIFF";
    putLe(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    putLe(wav, 16, 4);
    putLe(wav, 1, 2);         // PCM
    putLe(wav, 2, 2);         // channels
    putLe(wav, 22050, 4);     // frames per second
    putLe(wav, 22050 * 4, 4); // bytes per second
    putLe(wav, 4, 2);         // bytes per frame
    putLe(wav, 16, 2);        // bits per sample
    wav += "data";
    putLe(wav, dataBytes, 4);
    for (uint32_t frame = 0; frame < frames; ++frame) {
        const int value = (frame % 50) < 25 ? amplitude : -amplitude;
        putLe(wav, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
        putLe(wav, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
    }
    return wav;
}

// The largest sample magnitude of each mixer buffer written by the disk driver.
std::vector<int> bufferPeaks(const std::string &raw)
{
    std::vector<int> peaks;
    for (size_t start = 0; start + buffer_bytes <= raw.size(); start += buffer_bytes) {
        int peak = 0;
        for (size_t i = start; i < start + buffer_bytes; i += 2) {
            const auto sample = static_cast<int16_t>(static_cast<uint8_t>(raw[i]) | (static_cast<uint8_t>(raw[i + 1]) << 8));
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
        peaks.push_back(peak);
    }
    return peaks;
}

class AudioTest : public ::testing::Test {
protected:
    std::string dir = test_tempDir();
    std::string output = dir + "/out.raw";
    std::string tone = dir + "/tone.wav";
    std::string silence = dir + "/silence.wav";

    void SetUp() override
    {
        test_writeFile(tone, toneWav(500, 8000));
        test_writeFile(silence, toneWav(500, 0));
        // As in the game, SDL's clock runs before the sound starts: the mixer marks a paused
        // channel with the clock's reading, and a pause at 0 ms would not count.
        SDL_Init(SDL_INIT_TIMER);
        SDL_Delay(2);
    }
    void TearDown() override
    {
        task_audio_stop();
        SDL_Quit();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        fs::remove_all(dir);
    }

    // Sends the mixed sound into the output file, one mixer buffer about every 10 ms.
    void useDiskDriver(const std::string &file)
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "10", 1);
    }

    size_t buffersWritten() const
    {
        std::error_code ignored;
        const auto size = fs::file_size(output, ignored);
        return ignored ? 0 : static_cast<size_t>(size) / buffer_bytes;
    }

    // Waits until the mixer has written `count` more buffers; returns the count it started at.
    size_t waitBuffers(size_t count)
    {
        const size_t start = buffersWritten();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (buffersWritten() < start + count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_GE(buffersWritten(), start + count) << "the mixer stopped writing";
        return start;
    }

    std::vector<int> closeAndReadPeaks()
    {
        task_audio_stop();
        const std::string raw = test_readFile(output);
        EXPECT_EQ(raw.size() % buffer_bytes, 0u) << "the output is written in whole 4096-frame buffers";
        return bufferPeaks(raw);
    }
};

int maxPeak(const std::vector<int> &peaks, size_t from, size_t to)
{
    int peak = 0;
    for (size_t i = from; i < to && i < peaks.size(); ++i)
        peak = std::max(peak, peaks[i]);
    return peak;
}

TEST_F(AudioTest, MixerOpensStereo22kHz16BitWithMusicAt96AndSoundsAt32)
{
    testing::internal::CaptureStderr();
    ASSERT_EQ(task_audio_start(), 1);
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    EXPECT_EQ(frequency, 22050);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(Mix_VolumeMusic(-1), 96);

    const Sound sound = task_audio_loadSound(tone.c_str());
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(Mix_VolumeChunk(sound, -1), 32);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(AudioTest, AudioTaskIsKindThreeAndSuspendable)
{
    const TaskPtr task = task_new(TASK_AUDIO);
    EXPECT_TRUE(task->suspendable);
    EXPECT_EQ(task->start, task_audio_start);
    EXPECT_EQ(task->stop, task_audio_stop);
    EXPECT_EQ(task->suspend, task_audio_suspend);
    EXPECT_EQ(task->resume, task_audio_resume);
    EXPECT_EQ(task->tick, task_audio_tick);
}

TEST_F(AudioTest, SoundReachesTheOutputOnceAtVolume32AndPauseLeavesSilence)
{
    useDiskDriver(output);
    ASSERT_EQ(task_audio_start(), 1);
    const Sound sound = task_audio_loadSound(tone.c_str());
    ASSERT_NE(sound, nullptr);

    // The 500 ms sound spans under three buffers of 186 ms; played once, silence follows.
    const size_t played = waitBuffers(2);
    task_audio_playSound(sound, false);
    waitBuffers(8);
    // Looping, it only stops while the mixer is paused.
    task_audio_playSound(sound, true);
    waitBuffers(4);
    const size_t paused = buffersWritten();
    task_audio_suspend();
    waitBuffers(8);
    const size_t resumed = buffersWritten();
    EXPECT_EQ(task_audio_resume(), 1);
    waitBuffers(4);

    const std::vector<int> peaks = closeAndReadPeaks();
    EXPECT_EQ(maxPeak(peaks, 0, played), 0) << "silence before anything plays";
    EXPECT_EQ(maxPeak(peaks, played, played + 6), 8000 * 32 / 128) << "the tone at sound volume 32";
    int loudBuffers = 0;
    for (size_t i = played; i < played + 8; ++i)
        loudBuffers += peaks[i] > 0;
    EXPECT_LE(loudBuffers, 4) << "a sound played without loop ends";
    EXPECT_GT(maxPeak(peaks, paused - 2, paused), 0) << "looping until the pause";
    EXPECT_EQ(maxPeak(peaks, paused + 2, resumed), 0) << "a paused mixer writes silence";
    EXPECT_GT(maxPeak(peaks, resumed + 2, resumed + 4), 0) << "resumed";
}

TEST_F(AudioTest, LoopingMusicPlaysAtVolume96PausesAndResumes)
{
    useDiskDriver(output);
    ASSERT_EQ(task_audio_start(), 1);
    task_audio_playMusic(tone.c_str(), true);
    const size_t started = waitBuffers(8); // well past the 500 ms of one pass
    const size_t paused = buffersWritten();
    task_audio_suspend();
    waitBuffers(6);
    const size_t resumed = buffersWritten();
    task_audio_resume();
    waitBuffers(4);

    const std::vector<int> peaks = closeAndReadPeaks();
    EXPECT_EQ(maxPeak(peaks, started, paused), 8000 * 96 / 128) << "the tone at music volume 96";
    for (size_t i = started + 2; i < paused; ++i)
        EXPECT_GT(peaks[i], 0) << "looping music has no gap, buffer " << i;
    EXPECT_EQ(maxPeak(peaks, paused + 2, resumed), 0);
    EXPECT_GT(maxPeak(peaks, resumed + 2, resumed + 4), 0);
}

TEST_F(AudioTest, NewMusicReplacesThePlayingTrackAndAMissingOneKeepsIt)
{
    useDiskDriver(output);
    ASSERT_EQ(task_audio_start(), 1);
    task_audio_playMusic(tone.c_str(), true);
    waitBuffers(3);
    testing::internal::CaptureStderr();
    const std::string missing = dir + "/missing.wav";
    task_audio_playMusic(missing.c_str(), true);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(messages.rfind("Error: Failed to load music: " + missing + " - ", 0), 0u) << messages;
    const size_t kept = waitBuffers(3);
    task_audio_playMusic(silence.c_str(), true);
    const size_t replaced = waitBuffers(4);

    const std::vector<int> peaks = closeAndReadPeaks();
    EXPECT_GT(maxPeak(peaks, kept, kept + 3), 0) << "the old track plays on";
    EXPECT_EQ(maxPeak(peaks, replaced + 2, replaced + 4), 0) << "the silent track replaced it";
}

TEST_F(AudioTest, SameSoundTakesAnotherChannelUntilAllAreBusyThenIsDroppedSilently)
{
    ASSERT_EQ(task_audio_start(), 1);
    const Sound sound = task_audio_loadSound(tone.c_str());
    ASSERT_NE(sound, nullptr);
    const int channels = Mix_AllocateChannels(-1);
    ASSERT_GT(channels, 1);
    testing::internal::CaptureStderr();
    for (int i = 1; i <= channels + 2; ++i) {
        task_audio_playSound(sound, true);
        EXPECT_EQ(Mix_Playing(-1), std::min(i, channels));
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(AudioTest, CommandKeysNMuteAndMUnmuteSoundAndMusicTogetherApartFromTheGamesPause)
{
    ASSERT_EQ(task_audio_start(), 1);
    const Sound sound = task_audio_loadSound(tone.c_str());
    task_audio_playSound(sound, true);
    task_audio_playMusic(tone.c_str(), true);
    // M without an earlier N changes nothing.
    EXPECT_TRUE(task_input_commandKey(SDLK_m));
    EXPECT_EQ(Mix_Paused(-1), 0);
    EXPECT_EQ(Mix_PausedMusic(), 0);

    EXPECT_TRUE(task_input_commandKey(SDLK_n));
    EXPECT_EQ(Mix_Paused(-1), 1);
    EXPECT_EQ(Mix_PausedMusic(), 1);
    EXPECT_TRUE(task_input_commandKey(SDLK_m));
    EXPECT_EQ(Mix_Paused(-1), 0);
    EXPECT_EQ(Mix_PausedMusic(), 0);

    // The player's mute and the game's pause each hold the sound until both have let go.
    task_input_commandKey(SDLK_n);
    task_audio_suspend();
    task_audio_resume();
    EXPECT_EQ(Mix_PausedMusic(), 1) << "the end of a pause does not undo the mute";
    task_audio_suspend();
    task_input_commandKey(SDLK_m);
    EXPECT_EQ(Mix_PausedMusic(), 1) << "M does not end the game's pause";
    EXPECT_EQ(Mix_Paused(-1), 1);
    task_audio_resume();
    EXPECT_EQ(Mix_Paused(-1), 0);
    EXPECT_EQ(Mix_PausedMusic(), 0);
}

TEST_F(AudioTest, MissingSoundIsReportedOnceAtLoadAndOnceForEveryPlay)
{
    ASSERT_EQ(task_audio_start(), 1);
    const std::string missing = dir + "/missing.wav";
    testing::internal::CaptureStderr();
    const Sound sound = task_audio_loadSound(missing.c_str());
    const std::string atLoad = testing::internal::GetCapturedStderr();
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(atLoad, "Error: Failed to load sound: " + missing + " - " + SDL_GetError() + "\n");

    testing::internal::CaptureStderr();
    task_audio_playSound(sound, false);
    task_audio_playSound(sound, false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Tried to play a NULL pointer Sound\nError: Tried to play a NULL pointer Sound\n");
}

TEST_F(AudioTest, WithoutAnAudioDeviceTheGameRunsOnSilently)
{
    // SDL starts its audio subsystem even without a driver; the mixer then finds no device.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(task_audio_start(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Failed to open Audio: No available audio device\n");

    // Everything the game does with sound still works, with one line for each failure.
    testing::internal::CaptureStderr();
    const Sound sound = task_audio_loadSound(tone.c_str());
    EXPECT_EQ(sound, nullptr);
    task_audio_playSound(sound, false);
    task_audio_playMusic(tone.c_str(), true);
    task_audio_suspend();
    EXPECT_EQ(task_audio_resume(), 1);
    task_audio_tick();
    task_audio_stopMusic();
    const std::string later = testing::internal::GetCapturedStderr();
    EXPECT_EQ(later.find("Error: Failed to load sound: " + tone + " - "), 0u) << later;
    EXPECT_NE(later.find("\nError: Tried to play a NULL pointer Sound\n"), std::string::npos) << later;
    EXPECT_NE(later.find("\nError: Failed to load music: " + tone + " - "), std::string::npos) << later;
    EXPECT_EQ(std::count(later.begin(), later.end(), '\n'), 3) << later;
}

TEST_F(AudioTest, MixerThatCannotOpenIsReported)
{
    useDiskDriver(dir + "/no-such-folder/out.raw");
    testing::internal::CaptureStderr();
    EXPECT_EQ(task_audio_start(), 0);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("Error: Failed to open Audio: ", 0), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
}

} // namespace
