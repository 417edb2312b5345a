// Audio on OpenAL Soft's null backend: source table, rotation, explicit sources, sound
// loading (formats, log lines, buffer contents) and the fatal paths.
#include "engine/audio/kx_audio.h"

#include <AL/al.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "audio/ogg_maker.h"
#include "engine/audio/kx_sound.h"

namespace {

namespace fs = std::filesystem;

fs::path temp_dir() {
    const fs::path dir = fs::temp_directory_path() / ("ironvale_audio_" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

// A tone file made once per process and reused.
std::string tone(int channels, int rate, double seconds, double hz = 440.0) {
    const std::string path = (temp_dir() / ("tone_" + std::to_string(channels) + "_" + std::to_string(rate) +
                                            "_" + std::to_string(static_cast<int>(seconds * 1000)) + ".ogg"))
                                 .string();
    if (!fs::exists(path)) {
        EXPECT_TRUE(ogg_write_tone(path, channels, rate, seconds, hz, {0, 1, 2, 3}));
    }
    return path;
}

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
};

TEST_F(Audio, InitCreatesAllSourcesAndLogsTheStartUp) {
    testing::internal::CaptureStdout();
    kx_audio_init(1, 1, 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(kx_audio.device, nullptr);
    EXPECT_EQ(kx_audio.source_count, 32);
    EXPECT_EQ(kx_audio.default_format, 4353);
    EXPECT_EQ(kx_audio.default_freq, 22050);
    EXPECT_EQ(kx_audio.first_source, 1);
    EXPECT_EQ(kx_audio.next_source, 2);
    EXPECT_EQ(out.rfind("AUDIO: Init Start\nAUDIO: OpenAL has been initialized, sources count = 32 \n"
                        "AUDIO: max sources: mono=",
                        0),
              0u)
        << out;
    for (int i = 0; i < 32; i++) EXPECT_TRUE(alIsSource(kx_audio.sources[i])) << i;

    testing::internal::CaptureStdout();
    kx_audio_term();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "kx_audio_t term: \nDelete sources...\nDestroying contexts etc...\ndone.\n");
    EXPECT_EQ(kx_audio.device, nullptr);
}

TEST_F(Audio, RotationRunsFromAboveFirstSourceToTheLastAndWraps) {
    const std::string path = tone(1, 22050, 0.05);
    std::vector<int> from_two;  // the game's case: 2, 3, ..., 31, 1, 2, 3
    for (int i = 2; i <= 31; i++) from_two.push_back(i);
    from_two.insert(from_two.end(), {1, 2, 3});
    const struct {
        int first;
        std::vector<int> order;
    } cases[] = {
        {1, from_two},
        {0, {1, 2, 3}},
        {30, {31, 30, 31, 30}},
        {31, {31, 31}},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        kx_audio_init(1, 1, c.first);
        kx_sound_t snd;
        kx_sound_load_ogg(&snd, path.c_str());
        testing::internal::GetCapturedStdout();
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
        testing::internal::CaptureStdout();
        kx_audio_term();
        testing::internal::GetCapturedStdout();
    }
}

TEST_F(Audio, ExplicitSourceCutsOnlyItsOwnSound) {
    testing::internal::CaptureStdout();
    kx_audio_init(1, 1, 1);
    kx_sound_t a, b, c;
    kx_sound_load_ogg(&a, tone(1, 22050, 2.0).c_str());
    kx_sound_load_ogg(&b, tone(2, 22050, 2.0).c_str());
    kx_sound_load_ogg(&c, tone(1, 44100, 2.0).c_str());
    testing::internal::GetCapturedStdout();

    kx_sound_play_ex(&a, 1, 0, 0.25f);
    kx_sound_play_ex(&b, 1, -1, 1.0f);
    EXPECT_EQ(a.source, 0);
    EXPECT_EQ(a.looping, 1);
    EXPECT_EQ(b.source, 2);
    EXPECT_EQ(source_int(0, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(source_int(0, AL_LOOPING), AL_TRUE);
    ALfloat gain = 0;
    alGetSourcef(kx_audio.sources[0], AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.25f);

    kx_sound_play_ex(&c, 0, 0, 0.5f);
    EXPECT_EQ(source_int(0, AL_BUFFER), static_cast<ALint>(c.buffer));
    EXPECT_EQ(source_int(0, AL_LOOPING), AL_FALSE);
    EXPECT_EQ(source_int(0, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(source_int(2, AL_BUFFER), static_cast<ALint>(b.buffer));
    EXPECT_EQ(source_int(2, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(a.playing, 1) << "a sound has no finished state";

    // A plain play after a looping one turns looping off and restores full gain.
    kx_sound_play(&c);
    EXPECT_EQ(c.source, 3);
    EXPECT_EQ(c.looping, 0);
    alGetSourcef(kx_audio.sources[3], AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 1.0f);
    for (kx_sound_t* s : {&a, &b, &c}) kx_sound_unload(s);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(Audio, LoadLogsRatesAndUploadsInTheMatchingFormat) {
    const struct {
        int format_index, channels, rate;
        const char* log_tail;
        int format, bits;
    } cases[] = {
        {1, 1, 44100, ": 22050 (snd 44100) (1ch) \n", 4353, 16},
        {1, 1, 11025, ": 22050 (snd 11025) (1ch) \n", 4353, 16},
        {1, 2, 22050, ": 22050 (snd 22050) (2ch) \n", 0x1103, 16},
        {0, 1, 22050, ": 22050 (snd 22050) (1ch) \n", 4352, 8},
        {0, 2, 22050, ": 22050 (snd 22050) (2ch) \n", 0x1102, 8},
        {1, 4, 22050, ": 22050 (snd 22050) (4ch) \n", 4353, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << "ch " << c.rate << " fmt " << c.format_index);
        testing::internal::CaptureStdout();
        kx_audio_init(c.format_index, 1, 1);
        testing::internal::GetCapturedStdout();
        const std::string path = tone(c.channels, c.rate, 0.5);
        kx_sound_t snd;
        testing::internal::CaptureStdout();
        kx_sound_load_ogg(&snd, path.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "AUDIO: Loading OGG (" + path + ")" + c.log_tail);
        EXPECT_EQ(snd.freq, c.rate);
        EXPECT_EQ(snd.format, c.format);
        EXPECT_EQ(snd.source, 1);
        EXPECT_EQ(snd.playing, 0);
        ALint freq = 0, channels = 0, bits = 0, size = 0;
        alGetBufferi(snd.buffer, AL_FREQUENCY, &freq);
        alGetBufferi(snd.buffer, AL_CHANNELS, &channels);
        alGetBufferi(snd.buffer, AL_BITS, &bits);
        alGetBufferi(snd.buffer, AL_SIZE, &size);
        const int out_channels = c.channels == 2 ? 2 : 1;
        EXPECT_EQ(freq, c.rate);
        EXPECT_EQ(channels, out_channels);
        EXPECT_EQ(bits, c.bits);
        EXPECT_EQ(size, c.rate / 2 * out_channels * c.bits / 8) << "every frame of 0.5 s decoded";
        kx_sound_unload(&snd);
        testing::internal::CaptureStdout();
        kx_audio_term();
        testing::internal::GetCapturedStdout();
    }
}

TEST_F(Audio, UnloadDeletesTheBufferEvenWhenSeveralSourcesHoldIt) {
    testing::internal::CaptureStdout();
    kx_audio_init(1, 1, 1);
    kx_sound_t snd, other;
    kx_sound_load_ogg(&snd, tone(1, 22050, 1.0).c_str());
    kx_sound_load_ogg(&other, tone(1, 11025, 1.0).c_str());
    testing::internal::GetCapturedStdout();
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

TEST_F(Audio, GeneratedGameSoundsLoadAsMono22050) {
    const char* build = std::getenv("IRONVALE_BUILD_DIR");
    const fs::path dir = fs::path(build ? build : "..") / "assets";
    const char* names[] = {"single-shot", "healthkit-mono", "shot-and-reload", "reload-mono",
                           "hit",         "player-hit",     "explosion",       "player-shot",
                           "step0",       "step1",          "step2",           "step3"};
    for (const char* n : names)
        if (!fs::exists(dir / "sounds" / (std::string(n) + ".ogg")))
            GTEST_SKIP() << "no generated sounds in " << dir;
    testing::internal::CaptureStdout();
    kx_audio_init(1, 1, 1);
    for (const char* n : names) {
        const std::string path = (dir / "sounds" / (std::string(n) + ".ogg")).string();
        kx_sound_t snd;
        kx_sound_load_ogg(&snd, path.c_str());
        EXPECT_EQ(snd.format, 4353) << n;
        EXPECT_EQ(snd.freq, 22050) << n;
        ALint size = 0;
        alGetBufferi(snd.buffer, AL_SIZE, &size);
        EXPECT_GT(size, 22050 / 20) << n << " holds at least 25 ms";
        kx_sound_play(&snd);
        kx_sound_unload(&snd);
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("alGetError"), std::string::npos) << log;
}

using AudioDeath = Audio;

TEST_F(AudioDeath, MissingOrBrokenSoundFileEndsTheProgramWithStatusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string garbage = (temp_dir() / "garbage.ogg").string();
    std::ofstream(garbage) << "OggS but not really a vorbis stream, just text";
    const std::string empty = (temp_dir() / "empty.ogg").string();
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

TEST_F(AudioDeath, NoDeviceLeavesNoSourcesAndPlaysDoNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process, so OpenAL reads the driver list anew.
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
            kx_audio_init(1, 1, 1);
            int ok = kx_audio.device == nullptr && kx_audio.source_count == 0;
            kx_sound_t snd{};
            snd.buffer = 0;
            kx_sound_play(&snd);
            kx_sound_play_ex(&snd, 1, 0, 1.0f);
            ok = ok && snd.playing == 1;
            kx_audio_term();
            std::exit(ok ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
