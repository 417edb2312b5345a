// Audio on OpenAL Soft's wave-file backend: buffers and sources read back through OpenAL,
// what is heard read back from the written file and measured (length, pitch, channels).
#include "engine/audio/kx_audio.h"

#include <AL/al.h>
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

TEST_F(Audio, PlayedSoundIsHeardOnceAtItsPitchAndTwoChannelsStayTwo) {
    const struct {
        int format_index, channels, format;
    } cases[] = {
        {1, 1, AL_FORMAT_MONO16},
        {0, 1, AL_FORMAT_MONO8},
        {1, 2, AL_FORMAT_STEREO16},  // the tone is on the left only
    };
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

TEST(AudioDeath, MissingFileEndsTheProgramWithStatusOne) {
    kx_sound_t snd;
    EXPECT_EXIT(kx_sound_load_ogg(&snd, "sounds/does-not-exist.ogg"), testing::ExitedWithCode(1), "");
}

}  // namespace
