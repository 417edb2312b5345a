// Audio heard through OpenAL Soft's wave-file backend: what the sound layer plays is
// decoded from the written file and measured (onset, length, pitch, channel balance).
#include <AL/al.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "audio/ogg_maker.h"
#include "engine/audio/kx_audio.h"
#include "engine/audio/kx_sound.h"

namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

constexpr int kRate = 44100;  // output rate of the wave device
constexpr int kLoud = 1500;   // sample magnitude that counts as sound

const fs::path& temp_dir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("ironvale_wave_" + std::to_string(getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// OpenAL Soft reads its configuration once per process, before the first device opens.
void use_wave_backend() {
    const fs::path conf = temp_dir() / "alsoft.conf";
    std::ofstream(conf) << "[general]\ndrivers = wave\nfrequency = " << kRate
                        << "\nchannels = stereo\nsample-type = int16\nperiod_size = 256\n"
                        << "[wave]\nfile = " << (temp_dir() / "out.wav").string() << "\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
}

std::string tone_file(const std::string& name, int channels, int rate, double seconds, double hz,
                      std::vector<int> sounding) {
    const std::string path = (temp_dir() / name).string();
    EXPECT_TRUE(ogg_write_tone(path, channels, rate, seconds, hz, sounding));
    return path;
}

// Runs script between init and term and returns the written output.
wave_t record(int format_index, const std::function<void()>& script) {
    use_wave_backend();
    testing::internal::CaptureStdout();
    kx_audio_init(format_index, 1, 1);
    script();
    kx_audio_term();
    testing::internal::GetCapturedStdout();
    wave_t w;
    EXPECT_TRUE(wave_read((temp_dir() / "out.wav").string(), &w));
    EXPECT_EQ(w.rate, kRate);
    EXPECT_EQ(w.channels, 2);
    return w;
}

double seconds_between(clock_type::time_point a, clock_type::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

TEST(AudioWave, PlayedSoundsLandInTheOutputAtTheirOwnRateLengthAndPitch) {
    const struct {
        int format_index, channels, rate;
        double hz;
    } cases[] = {
        {1, 1, 22050, 440.0}, {1, 1, 44100, 1000.0},
        {1, 1, 11025, 300.0}, {0, 1, 22050, 440.0},  // 8-bit buffers
        {1, 2, 22050, 600.0},                        // both channels sounding
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << "ch " << c.rate << " Hz fmt " << c.format_index);
        const double seconds = 0.4;
        const std::string path = tone_file("tone.ogg", c.channels, c.rate, seconds, c.hz, {0, 1});
        // A short click first: the file's clock starts before init returns, so the sound's
        // place is measured from the click, not from the start of the file.
        const std::string click_path = tone_file("click.ogg", 1, 22050, 0.03, 3000.0, {0});
        kx_sound_t snd, click;
        clock_type::time_point clicked, played;
        const wave_t w = record(c.format_index, [&] {
            kx_sound_load_ogg(&snd, path.c_str());
            kx_sound_load_ogg(&click, click_path.c_str());
            clicked = clock_type::now();
            kx_sound_play_ex(&click, 0, 0, 1.0f);
            sleep_ms(300);
            played = clock_type::now();
            kx_sound_play(&snd);
            sleep_ms(700);
            kx_sound_unload(&snd);
            kx_sound_unload(&click);
        });
        const int click_onset = wave_onset(w, kLoud);
        ASSERT_GE(click_onset, 0);
        const int onset = wave_onset(w, kLoud, click_onset + kRate / 10);
        ASSERT_GT(onset, 0);
        EXPECT_NEAR(onset - click_onset, seconds_between(clicked, played) * kRate, 0.1 * kRate)
            << "silence between the click and the play";
        const int end = wave_last_loud(w, kLoud);
        EXPECT_NEAR((end - onset) / static_cast<double>(kRate), seconds, 0.03) << "played once, whole";
        EXPECT_NEAR(wave_pitch(w, 0, onset + 2000, end - 2000), c.hz, c.hz * 0.03);
        EXPECT_NEAR(wave_pitch(w, 1, onset + 2000, end - 2000), c.hz, c.hz * 0.03);
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
    EXPECT_EQ(snd.format, 0x1103);
    const int onset = wave_onset(w, kLoud);
    const int end = wave_last_loud(w, kLoud);
    ASSERT_GE(onset, 0);
    EXPECT_NEAR((end - onset) / static_cast<double>(kRate), 0.5, 0.03);
    const double left = wave_rms(w, 0, onset, end), right = wave_rms(w, 1, onset, end);
    EXPECT_GT(left, 5000.0);
    EXPECT_LT(right, left / 20) << "left " << left << " right " << right;
    EXPECT_NEAR(wave_pitch(w, 0, onset + 1000, end - 1000), 500.0, 15.0);
}

TEST(AudioWave, ExplicitSourceCutsOnlyItsOwnSound) {
    // A loops on the left on source 0, B loops on the right on a rotating source; a short
    // sound on source 0 then ends A while B plays on to the end of the recording.
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
    // The end of the left channel's sound is the end of C, which replaced A.
    int left_end = -1;
    for (int f = w.frames() - 1; f >= 0 && left_end < 0; f--)
        if (std::abs(w.samples[static_cast<size_t>(f) * 2]) > kLoud) left_end = f;
    ASSERT_GT(left_end, kRate / 2);
    EXPECT_LT(left_end, w.frames() - kRate / 4) << "the left falls silent well before the end: A was cut";
    EXPECT_NEAR(wave_pitch(w, 0, left_end - kRate / 15, left_end), 2000.0, 60.0) << "C is what ended there";
    const int c_start = left_end - kRate / 10;
    EXPECT_NEAR(wave_pitch(w, 0, c_start - kRate / 3, c_start - kRate / 20), 400.0, 12.0) << "A before C";
    EXPECT_NEAR(wave_pitch(w, 1, c_start - kRate / 3, c_start), 900.0, 27.0) << "B before C";
    EXPECT_GT(wave_rms(w, 1, left_end + kRate / 20, w.frames() - kRate / 20), 5000.0) << "B plays on";
    EXPECT_NEAR(wave_pitch(w, 1, left_end + kRate / 20, w.frames() - kRate / 20), 900.0, 27.0);
    EXPECT_LT(wave_rms(w, 0, left_end + kRate / 20, w.frames()), 200.0);
}

}  // namespace
