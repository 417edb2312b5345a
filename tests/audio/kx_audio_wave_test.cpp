// Audio heard through OpenAL Soft's wave-file backend: what the sound layer plays is
// read back from the written file and measured (length, pitch, channel balance).
#include <AL/al.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "audio/ogg_maker.h"
#include "engine/audio/kx_audio.h"
#include "engine/audio/kx_sound.h"

namespace {

constexpr int kRate = 44100;  // output rate of the wave device
constexpr int kLoud = 1500;   // sample magnitude that counts as sound

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Runs script between init and term on the wave device and returns what it wrote.
// OpenAL Soft reads its configuration once per process, so each case runs in its own.
wave_t record(int format_index, const std::function<void()>& script) {
    const auto conf = audio_temp_dir() / "alsoft.conf", out = audio_temp_dir() / "out.wav";
    std::ofstream(conf) << "[general]\ndrivers = wave\nfrequency = " << kRate
                        << "\nchannels = stereo\nsample-type = int16\nperiod_size = 256\n[wave]\nfile = "
                        << out.string() << "\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    kx_audio_init(format_index, 1, 1);
    script();
    kx_audio_term();
    wave_t w;
    EXPECT_TRUE(wave_read(out.string(), &w));
    EXPECT_EQ(w.rate, kRate);
    EXPECT_EQ(w.channels, 2);
    return w;
}

TEST(AudioWave, PlayedSoundLandsInTheOutputOnceAtItsOwnRateAndPitch) {
    const struct {
        int format_index, rate;
        double hz;
    } cases[] = {{1, 22050, 440.0}, {1, 44100, 1000.0}, {1, 11025, 300.0}, {0, 22050, 440.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz fmt " << c.format_index);
        const std::string path = tone_file("tone.ogg", 1, c.rate, 0.4, c.hz);
        kx_sound_t snd;
        const wave_t w = record(c.format_index, [&] {
            kx_sound_load_ogg(&snd, path.c_str());
            kx_sound_play(&snd);
            sleep_ms(700);
            kx_sound_unload(&snd);
        });
        const int onset = wave_first_loud(w, kLoud), end = wave_last_loud(w, kLoud);
        ASSERT_GE(onset, 0);
        EXPECT_NEAR((end - onset) / static_cast<double>(kRate), 0.4, 0.03) << "played once, whole";
        for (int ch = 0; ch < 2; ch++)
            EXPECT_NEAR(wave_pitch(w, ch, onset + 2000, end - 2000), c.hz, c.hz * 0.03) << ch;
        EXPECT_GT(wave_rms(w, 0, onset, end), 4000.0);
    }
}

TEST(AudioWave, TwoChannelFilePlaysAsStereo) {
    // Left only: heard on the left, hardly on the right, at its own length and pitch.
    const std::string path = tone_file("left.ogg", 2, 22050, 0.5, 500.0, {0});
    kx_sound_t snd;
    const wave_t w = record(1, [&] {
        kx_sound_load_ogg(&snd, path.c_str());
        kx_sound_play(&snd);
        sleep_ms(800);
        kx_sound_unload(&snd);
    });
    EXPECT_EQ(snd.format, AL_FORMAT_STEREO16);
    const int onset = wave_first_loud(w, kLoud), end = wave_last_loud(w, kLoud);
    ASSERT_GE(onset, 0);
    EXPECT_NEAR((end - onset) / static_cast<double>(kRate), 0.5, 0.03);
    const double left = wave_rms(w, 0, onset, end), right = wave_rms(w, 1, onset, end);
    EXPECT_GT(left, 5000.0);
    EXPECT_LT(right, left / 20) << "left " << left << " right " << right;
    EXPECT_NEAR(wave_pitch(w, 0, onset + 1000, end - 1000), 500.0, 15.0);
}

TEST(AudioWave, ExplicitSourceCutsOnlyItsOwnSound) {
    // A loops on the left on source 0, B loops on the right on a rotating source; a short
    // sound C on source 0 then ends A while B plays on to the end of the recording.
    const std::string a_path = tone_file("a.ogg", 2, 22050, 0.5, 400.0, {0});
    const std::string b_path = tone_file("b.ogg", 2, 22050, 0.5, 900.0, {1});
    const std::string c_path = tone_file("c.ogg", 2, 22050, 0.1, 2000.0, {0});
    kx_sound_t a, b, c;
    const wave_t w = record(1, [&] {
        kx_sound_load_ogg(&a, a_path.c_str());
        kx_sound_load_ogg(&b, b_path.c_str());
        kx_sound_load_ogg(&c, c_path.c_str());
        kx_sound_play_ex(&a, 1, 0, 1.0f);
        kx_sound_play_ex(&b, 1, -1, 1.0f);
        sleep_ms(600);
        kx_sound_play_ex(&c, 0, 0, 1.0f);
        sleep_ms(600);
        for (kx_sound_t* s : {&a, &b, &c}) kx_sound_unload(s);
    });
    const int left_end = wave_last_loud(w, kLoud, 0), n = w.frames();
    ASSERT_GT(left_end, kRate / 2);
    EXPECT_LT(left_end, n - kRate / 4) << "the left falls silent well before the end: A was cut";
    EXPECT_NEAR(wave_pitch(w, 0, left_end - kRate / 15, left_end), 2000.0, 60.0) << "C is what ended there";
    const int c_start = left_end - kRate / 10;
    EXPECT_NEAR(wave_pitch(w, 0, c_start - kRate / 3, c_start - kRate / 20), 400.0, 12.0) << "A before C";
    EXPECT_NEAR(wave_pitch(w, 1, c_start - kRate / 3, c_start), 900.0, 27.0) << "B before C";
    EXPECT_GT(wave_rms(w, 1, left_end + kRate / 20, n - kRate / 20), 5000.0) << "B plays on";
    EXPECT_NEAR(wave_pitch(w, 1, left_end + kRate / 20, n - kRate / 20), 900.0, 27.0);
    EXPECT_LT(wave_rms(w, 0, left_end + kRate / 20, n), 200.0);
}

}  // namespace
