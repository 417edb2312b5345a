// Audio on OpenAL Soft's null backend: source rotation, the buffer each file is uploaded
// as, unloading, and the fatal and silent paths.
#include "engine/audio/kx_audio.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "audio/ogg_maker.h"
#include "engine/audio/kx_sound.h"

namespace {

ALint source_int(int index, ALenum what) {
    ALint v = 0;
    alGetSourcei(kx_audio.sources[index], what, &v);
    return v;
}

class Audio : public testing::Test {
   protected:
    void SetUp() override { setenv("ALSOFT_DRIVERS", "null", 1); }
    void TearDown() override {
        if (kx_audio.device) kx_audio_term();
    }
    static void init(int format_index, int first_source) {
        if (kx_audio.device) kx_audio_term();
        kx_audio_init(format_index, 1, first_source);
    }
    static void load(kx_sound_t* snd, const std::string& path) {
        ASSERT_FALSE(path.empty());
        kx_sound_load_ogg(snd, path.c_str());
    }
};

TEST_F(Audio, RotationRunsFromAboveFirstSourceToTheLastAndWraps) {
    const std::string path = tone_file("r.ogg", 1, 22050, 0.05, 440);
    std::vector<int> from_two;  // the game's case: 2, 3, ..., 31, 1, 2, 3
    for (int i = 2; i <= 31; i++) from_two.push_back(i);
    from_two.insert(from_two.end(), {1, 2, 3});
    const struct {
        int first;
        std::vector<int> order;
    } cases[] = {{1, from_two}, {0, {1, 2, 3}}, {30, {31, 30, 31, 30}}, {31, {31, 31}}};
    for (const auto& c : cases) {
        init(1, c.first);
        kx_sound_t snd;
        load(&snd, path);
        EXPECT_EQ(snd.source, c.first);
        for (int expected : c.order) {
            kx_sound_play(&snd);
            EXPECT_EQ(snd.source, expected) << "first " << c.first;
            EXPECT_EQ(source_int(snd.source, AL_BUFFER), static_cast<ALint>(snd.buffer));
        }
        if (c.first == 1) {
            EXPECT_EQ(source_int(0, AL_BUFFER), 0) << "source 0 stays out of the rotation";
        }
        kx_sound_unload(&snd);
    }
}

TEST_F(Audio, LoadUploadsEveryFrameInTheMatchingFormat) {
    const struct {
        int format_index, channels, rate;
        int format, al_channels, bits;
    } cases[] = {
        {1, 1, 44100, AL_FORMAT_MONO16, 1, 16},   {1, 1, 11025, AL_FORMAT_MONO16, 1, 16},
        {1, 2, 22050, AL_FORMAT_STEREO16, 2, 16},  // two channels stay two
        {0, 1, 22050, AL_FORMAT_MONO8, 1, 8},     {0, 2, 22050, AL_FORMAT_STEREO8, 2, 8},
        {1, 4, 22050, AL_FORMAT_MONO16, 1, 16},  // more than two are mixed to one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << "ch " << c.rate << " fmt " << c.format_index);
        init(c.format_index, 1);
        kx_sound_t snd;
        load(&snd, tone_file("f.ogg", c.channels, c.rate, 0.5, 440));
        EXPECT_EQ(snd.freq, c.rate);
        EXPECT_EQ(snd.format, c.format);
        ALint freq = 0, channels = 0, bits = 0, size = 0;
        alGetBufferi(snd.buffer, AL_FREQUENCY, &freq);
        alGetBufferi(snd.buffer, AL_CHANNELS, &channels);
        alGetBufferi(snd.buffer, AL_BITS, &bits);
        alGetBufferi(snd.buffer, AL_SIZE, &size);
        EXPECT_EQ(freq, c.rate);
        EXPECT_EQ(channels, c.al_channels);
        EXPECT_EQ(bits, c.bits);
        EXPECT_EQ(size, c.rate / 2 * c.al_channels * c.bits / 8) << "every frame of 0.5 s decoded";
        kx_sound_unload(&snd);
    }
}

TEST_F(Audio, UnloadDeletesTheBufferEvenWhenSeveralSourcesHoldIt) {
    init(1, 1);
    kx_sound_t snd, other;
    load(&snd, tone_file("a.ogg", 1, 22050, 1.0, 440));
    load(&other, tone_file("b.ogg", 1, 11025, 1.0, 440));
    kx_sound_play(&snd);
    kx_sound_play(&snd);
    kx_sound_play(&other);
    const ALuint buffer = snd.buffer;
    kx_sound_unload(&snd);
    EXPECT_FALSE(alIsBuffer(buffer));
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
    EXPECT_EQ(source_int(other.source, AL_SOURCE_STATE), AL_PLAYING) << "other sounds play on";
    kx_sound_unload(&other);
}

TEST_F(Audio, MissingOrBrokenSoundFileEndsTheProgramWithStatusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string garbage = (audio_temp_dir() / "garbage.ogg").string();
    std::ofstream(garbage) << "OggS but not really a vorbis stream, just text";
    const std::string empty = (audio_temp_dir() / "empty.ogg").string();
    std::ofstream{empty};
    for (const std::string& path : {std::string("sounds/does-not-exist.ogg"), garbage, empty}) {
        EXPECT_EXIT(
            {
                kx_audio_init(1, 1, 1);
                kx_sound_t snd;
                kx_sound_load_ogg(&snd, path.c_str());
            },
            testing::ExitedWithCode(1), "")
            << path;
    }
}

TEST_F(Audio, WithoutADeviceThereAreNoSourcesAndPlaysDoNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process, so OpenAL reads the driver list anew.
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
            kx_audio_init(1, 1, 1);
            const bool silent = kx_audio.device == nullptr && kx_audio.source_count == 0;
            kx_sound_t snd{};
            kx_sound_play(&snd);
            kx_sound_play_ex(&snd, 1, 0, 1.0f);
            kx_audio_term();
            std::exit(silent ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
