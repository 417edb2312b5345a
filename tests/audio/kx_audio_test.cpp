// Audio on OpenAL Soft's wave-file backend: buffers and sources read back through OpenAL,
// what is heard read back from the written file and measured (length, pitch, channels).
#include "engine/audio/kx_audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/audio/kx_sound.h"
#include "tools/assetgen/ag_ogg.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRate = 44100;  // output rate of the wave device

// The 16-bit stereo samples the wave device wrote, interleaved.
struct wave_t {
    std::vector<int16_t> s;
    int at(int f, int c) const { return s[static_cast<size_t>(f) * 2 + c]; }
    std::pair<int, int> loud(int c) const {  // first and last frame above 1500; -1 none
        int first = -1, last = -1;
        for (int f = 0; f < static_cast<int>(s.size() / 2); f++)
            if (std::abs(at(f, c)) > 1500) last = f, first = first < 0 ? f : first;
        return {first, last};
    }
    double pitch(int c, int from, int to) const {  // from upward zero crossings
        int crossings = 0;
        for (int f = from; f < to; f++) crossings += at(f - 1, c) < 0 && at(f, c) >= 0;
        return crossings * static_cast<double>(kRate) / (to - from);
    }
};

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class Audio : public testing::Test {
   protected:
    // OpenAL Soft reads its configuration once per process, before the first device opens.
    void SetUp() override {
        fs::create_directories(dir_);
        std::ofstream(dir_ / "alsoft.conf") << "[general]\ndrivers = wave\nfrequency = " << kRate
                                            << "\nchannels = stereo\nsample-type = int16\nperiod_size = 256\n"
                                            << "[wave]\nfile = " << out_.string() << "\n";
        setenv("ALSOFT_CONF", (dir_ / "alsoft.conf").c_str(), 1);
        setenv("ALSOFT_DRIVERS", "wave", 1);
    }
    void TearDown() override {
        if (kx_audio.device) kx_audio_term();
        fs::remove_all(dir_);
    }
    // Loads a 22050 Hz sine of amplitude 0.5 sounding on the channels in mask.
    kx_sound_t tone(int channels, double seconds, double hz, int mask) {
        const std::string path = (dir_ / "tone.ogg").string();
        std::vector<float> v(static_cast<size_t>(seconds * 22050) * channels);
        for (size_t i = 0; i < v.size(); i++)
            if (mask >> (i % channels) & 1)
                v[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * hz * (i / channels) / 22050));
        EXPECT_EQ(ag_ogg_write(path.c_str(), v, 22050, 0.5f, 1, channels), 0);
        kx_sound_t snd;
        kx_sound_load_ogg(&snd, path.c_str());
        return snd;
    }
    // Runs script between init and term and returns what the device wrote.
    template <class F>
    wave_t record(int format_index, F script) {
        kx_audio_init(format_index, 1, 1);
        script();
        kx_audio_term();
        std::ifstream in(out_, std::ios::binary);
        const std::string b(std::istreambuf_iterator<char>(in), {});
        const size_t data = std::min(b.find("data") + 8, b.size());  // the samples run to the end
        wave_t w{std::vector<int16_t>((b.size() - data) / 2)};
        std::memcpy(w.s.data(), b.data() + data, w.s.size() * 2);
        return w;
    }
    const fs::path dir_ = fs::temp_directory_path() / ("ironvale_wave_" + std::to_string(getpid()));
    const fs::path out_ = dir_ / "out.wav";
};

TEST_F(Audio, RotationRunsFromAboveFirstSourceToTheLastAndWraps) {
    for (const int first : {1, 0, 30, 31}) {  // 1 is the game's
        kx_audio_init(1, 1, first);
        kx_sound_t snd = tone(1, 0.05, 440, 1);
        EXPECT_EQ(snd.source, first);
        for (int k = 0; k < 34; k++) {
            const int expected = first + (k + 1) % (32 - first);  // first + 1, ..., 31, first, first + 1
            kx_sound_play(&snd);
            EXPECT_EQ(snd.source, expected) << "first " << first;
            ALint held = 0;
            alGetSourcei(kx_audio.sources[expected], AL_BUFFER, &held);
            EXPECT_EQ(held, static_cast<ALint>(snd.buffer));
        }
        kx_sound_unload(&snd);
        kx_audio_term();
    }
}

// What init, load, the plays and term leave in the records, in OpenAL and in the log.
TEST_F(Audio, RecordsSourcesAndBuffersAfterInitLoadPlayAndTerm) {
    const struct {
        int format_index, freq_index, first, channels, rate;  // init arguments, the file
        int format, freq, bits, al_channels, frame_bytes;     // the buffer, the default rate
        int first_source, rotation[2];                        // where the rotating plays land
    } cases[] = {
        // clang-format off
        {1, 1, 1, 1, 44100,  AL_FORMAT_MONO16,   22050, 16, 1, 2, 1, {2, 3}},
        {0, 2, 3, 1, 22050,  AL_FORMAT_MONO8,    44100, 8,  1, 1, 3, {4, 5}},
        {1, 0, 0, 2, 11025,  AL_FORMAT_STEREO16, 11025, 16, 2, 4, 0, {1, 2}},
        {1, 1, 1, 3, 22050,  AL_FORMAT_MONO16,   22050, 16, 1, 2, 1, {2, 3}},  // three channels mixed to one
        // Indices out of range are held to the nearest valid one.
        {7, -2, 40, 1, 22050, AL_FORMAT_MONO16,  11025, 16, 1, 2, 31, {31, 31}},
        {-1, 7, -5, 1, 22050, AL_FORMAT_MONO8,   44100, 8,  1, 1, 0, {1, 2}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channels * 100000 + c.rate);
        testing::internal::CaptureStdout();
        kx_audio_init(c.format_index, c.freq_index, c.first);
        const std::string path = (dir_ / "t.ogg").string();
        const int frames = c.rate / 10;
        std::vector<float> v(static_cast<size_t>(frames) * c.channels, 0.25f);
        ASSERT_EQ(ag_ogg_write(path.c_str(), v, c.rate, 0.5f, 1, c.channels), 0);
        kx_sound_t snd{};
        kx_sound_load_ogg(&snd, path.c_str());
        const std::string log = testing::internal::GetCapturedStdout();
        for (const std::string& line : std::vector<std::string>{
                 "AUDIO: Init Start\nAUDIO: OpenAL has been initialized, sources count = 32 \nAUDIO: max "
                 "sources: mono=",
                 "AUDIO: Loading OGG (" + path + "): " + std::to_string(c.freq) + " (snd " +
                     std::to_string(c.rate) + ") (" + std::to_string(c.channels) + "ch) \n"})
            EXPECT_NE(log.find(line), std::string::npos) << log;
        EXPECT_EQ(log.find("mono=0,"), std::string::npos) << "the device's limits are asked for";
        EXPECT_EQ(log.find("alGetError"), std::string::npos) << "no OpenAL error to report";
        EXPECT_EQ((std::vector<int>{kx_audio.default_format, kx_audio.default_freq, kx_audio.first_source,
                                    kx_audio.source_count, snd.freq, snd.format, snd.source, snd.looping,
                                    snd.playing}),
                  (std::vector<int>{c.bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16, c.freq, c.first_source,
                                    32, c.rate, c.format, c.first_source, 0, 0}));
        ALint freq = 0, bits = 0, channels = 0, size = 0;
        alGetBufferi(snd.buffer, AL_FREQUENCY, &freq);
        alGetBufferi(snd.buffer, AL_BITS, &bits);
        alGetBufferi(snd.buffer, AL_CHANNELS, &channels);
        alGetBufferi(snd.buffer, AL_SIZE, &size);
        EXPECT_EQ((std::vector<int>{freq, bits, channels, size}),
                  (std::vector<int>{c.rate, c.bits, c.al_channels, frames * c.frame_bytes}));

        // Source index: buffer attached?, looping, gain.
        const auto source_state = [&](int index) {
            ALint buffer = 0, looping = -1;
            ALfloat gain = -1;
            alGetSourcei(kx_audio.sources[index], AL_BUFFER, &buffer);
            alGetSourcei(kx_audio.sources[index], AL_LOOPING, &looping);
            alGetSourcef(kx_audio.sources[index], AL_GAIN, &gain);
            return std::vector<float>{static_cast<float>(buffer == static_cast<ALint>(snd.buffer)),
                                      static_cast<float>(looping), gain};
        };
        kx_sound_play_ex(&snd, 1, 0, 0.25f);
        EXPECT_EQ((std::vector<int>{snd.source, snd.looping, snd.playing}), (std::vector<int>{0, 1, 1}));
        EXPECT_EQ(source_state(0), (std::vector<float>{1, AL_TRUE, 0.25f}));
        kx_sound_play(&snd);
        EXPECT_EQ((std::vector<int>{snd.source, snd.looping}), (std::vector<int>{c.rotation[0], 0}));
        EXPECT_EQ(source_state(c.rotation[0]), (std::vector<float>{1, AL_FALSE, 1.0f}));
        kx_sound_play_ex(&snd, 0, -1, 0.5f);
        EXPECT_EQ(snd.source, c.rotation[1]);
        EXPECT_EQ(source_state(c.rotation[1]), (std::vector<float>{1, AL_FALSE, 0.5f}));
        // A source index past the table plays nothing anywhere and asks nothing of OpenAL.
        alGetError();
        kx_sound_play_ex(&snd, 0, 32, 0.75f);
        EXPECT_EQ(alGetError(), AL_NO_ERROR);
        for (int i = 0; i < 32; i++) EXPECT_NE(source_state(i)[2], 0.75f) << i;
        // The decoded samples: 0.25 of full scale on every channel, three channels mixed into one.
        std::vector<int16_t> pcm;
        int dec_channels = 0, dec_rate = 0;
        testing::internal::CaptureStdout();
        ASSERT_EQ(kx_sound_decode_ogg(std::fopen(path.c_str(), "rb"), &pcm, &dec_channels, &dec_rate), 1);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(pcm.size(), static_cast<size_t>(frames * c.al_channels));
        EXPECT_EQ(std::tuple(dec_channels, dec_rate), std::tuple(c.al_channels, c.rate));
        EXPECT_NEAR(pcm[pcm.size() / 2], 8192, 300);

        // Unloading one sound deletes its buffer wherever it is attached and leaves another playing.
        kx_sound_t other{};
        kx_sound_load_ogg(&other, path.c_str());
        kx_sound_play_ex(&other, 1, 10, 1.0f);
        const ALuint buffer = snd.buffer;
        kx_sound_unload(&snd);
        ALint state = 0;
        alGetSourcei(kx_audio.sources[10], AL_SOURCE_STATE, &state);
        EXPECT_EQ((std::vector<int>{alIsBuffer(buffer), state, static_cast<int>(snd.buffer)}),
                  (std::vector<int>{AL_FALSE, AL_PLAYING, 0}));
        testing::internal::CaptureStdout();
        kx_sound_unload(&other);
        kx_audio_term();
        EXPECT_EQ(alcGetCurrentContext(), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "kx_audio_t term: \nDelete sources...\nDestroying contexts etc...\ndone.\n");
        EXPECT_EQ((std::vector<int>{kx_audio.source_count, kx_audio.device == nullptr}),
                  (std::vector<int>{0, 1}));
    }
}

TEST_F(Audio, PlayedSoundIsHeardOnceAtItsPitchAndTwoChannelsStayTwo) {
    const struct {
        int format_index, channels, format;
    } cases[] = {
        {1, 1, AL_FORMAT_MONO16},
        {0, 1, AL_FORMAT_MONO8},
        {1, 2, AL_FORMAT_STEREO16},  // the tone is on the left only
    };
    double peak16 = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const wave_t w = record(c.format_index, [&] {
            kx_sound_t snd = tone(c.channels, 0.4, 500, 1);
            EXPECT_EQ(snd.format, c.format);
            kx_sound_play(&snd);
            sleep_ms(700);
            kx_sound_unload(&snd);
        });
        const auto [on, end] = w.loud(0);
        ASSERT_GT(end - on, kRate / 4);
        EXPECT_NEAR(end - on, 0.4 * kRate, 0.03 * kRate) << "played once, whole";
        EXPECT_NEAR(w.pitch(0, on + 2000, end - 2000), 500.0, 15.0);
        EXPECT_EQ(w.loud(1).first >= 0, c.channels == 1) << "mono plays on both sides, two channels stay two";
        // 8-bit samples come out centred (a step is 256) and as loud as 16-bit ones.
        double sum = 0, peak = 0;
        for (int f = on + 2000; f < end - 2000; f++)
            sum += w.at(f, 0), peak = std::max(peak, std::abs(1.0 * w.at(f, 0)));
        EXPECT_NEAR(sum / (end - on - 4000), 0.0, 150.0);  // 8-bit rounding leaves under half a step
        if (c.format == AL_FORMAT_MONO16) peak16 = peak;
        if (c.format == AL_FORMAT_MONO8) {
            EXPECT_NEAR(peak / peak16, 1.0, 0.05);
        }
    }
}

TEST_F(Audio, ExplicitSourceCutsOnlyItsOwnSound) {
    // A loops on the left on source 0, B loops on the right on a rotating source; a short
    // sound C on source 0 then ends A while B plays on to the end of the recording.
    const wave_t w = record(1, [&] {
        kx_sound_t a = tone(2, 0.5, 400.0, 1), b = tone(2, 0.5, 900.0, 2), c = tone(2, 0.1, 2000.0, 1);
        kx_sound_play_ex(&a, 1, 0, 1.0f);
        kx_sound_play_ex(&b, 1, -1, 1.0f);
        sleep_ms(600);
        kx_sound_play_ex(&c, 0, 0, 1.0f);
        sleep_ms(600);
        for (kx_sound_t* s : {&a, &b, &c}) kx_sound_unload(s);
    });
    const int left_end = w.loud(0).second, n = static_cast<int>(w.s.size() / 2);
    ASSERT_GT(left_end, kRate / 2);
    ASSERT_LT(left_end, n - kRate / 4) << "the left falls silent well before the end: A was cut";
    EXPECT_NEAR(w.pitch(0, left_end - kRate / 15, left_end), 2000.0, 60.0) << "C is what ended there";
    EXPECT_NEAR(w.pitch(0, left_end - kRate / 2, left_end - kRate / 6), 400.0, 12.0) << "A before C";
    EXPECT_NEAR(w.pitch(1, left_end + kRate / 20, n - kRate / 20), 900.0, 27.0) << "B plays on";
}

// Each case in a fresh process (OpenAL Soft reads its configuration once): without a device
// the source count runs down to 0 and plays do nothing; a device of 16 sources gives 16.
TEST(AudioDeath, SourcesAreAsManyAsTheDeviceGives) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path conf = fs::temp_directory_path() / "ironvale_16_sources.conf";  // the child writes it too
    std::ofstream(conf) << "[general]\nsources = 16\n";
    for (const auto& [driver, count, line] :
         {std::tuple("no-such-driver", 0,
                     "FATAL ERROR: Can't create audio sources. \nAUDIO: OpenAL has been "
                     "initialized, sources count = 0 \nAUDIO: max sources: mono=0, stereo=0"),
          std::tuple("null", 16, "alGetError\\(\\)=")}) {
        EXPECT_EXIT(
            {
                setenv("ALSOFT_CONF", conf.c_str(), 1);
                setenv("ALSOFT_DRIVERS", driver, 1);
                testing::internal::CaptureStdout();
                kx_audio_init(1, 1, 1);
                kx_sound_t snd{};
                kx_sound_play(&snd);
                const std::string log = testing::internal::GetCapturedStdout();
                std::fprintf(stderr, "%s\nsources %d next %d played %d", log.c_str(), kx_audio.source_count,
                             kx_audio_next_source(), snd.source);
                kx_audio_term();
                std::exit(0);
            },
            testing::ExitedWithCode(0),
            std::string(line) + "(.|\n)*sources " + std::to_string(count) + " next " +
                (count ? "3 played 2" : "-1 played -1"));
    }
    fs::remove(conf);
}

TEST(AudioDeath, MissingFileEndsTheProgramWithStatusOne) {
    kx_sound_t snd;
    EXPECT_EXIT(kx_sound_load_ogg(&snd, "sounds/does-not-exist.ogg"), testing::ExitedWithCode(1), "");
}

}  // namespace
