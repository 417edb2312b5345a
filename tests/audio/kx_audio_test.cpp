// Audio on OpenAL Soft's wave-file backend: source rotation, the buffer each file is
// uploaded as, unloading, the fatal and silent paths, and what is heard, read back from
// the written file and measured (length, pitch, channel balance).
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
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio/kx_sound.h"
#include "tools/assetgen/ag_ogg.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRate = 44100;  // output rate of the wave device
constexpr int kLoud = 1500;   // sample magnitude that counts as sound

// /tmp/ironvale_wave_<pid>, removed when the process that made it exits (a death test's too).
const fs::path& temp_dir() {
    struct owned_dir_t {
        pid_t owner = getpid();
        fs::path path = fs::temp_directory_path() / ("ironvale_wave_" + std::to_string(owner));
        owned_dir_t() { fs::create_directories(path); }
        ~owned_dir_t() {
            std::error_code ec;
            if (getpid() == owner) fs::remove_all(path, ec);
        }
    };
    static const owned_dir_t dir;
    return dir.path;
}

// A sine tone of hz, amplitude 0.5, on the listed channels (the others silent).
std::string tone_file(const std::string& name, int channels, int rate, double seconds, double hz,
                      const std::vector<int>& sounding = {0, 1}) {
    const std::string path = (temp_dir() / name).string();
    std::vector<float> samples(static_cast<size_t>(seconds * rate) * channels, 0.0f);
    for (size_t i = 0; i < samples.size(); i++)
        if (std::count(sounding.begin(), sounding.end(), static_cast<int>(i % channels)))
            samples[i] = static_cast<float>(
                0.5 * std::sin(2.0 * M_PI * hz * static_cast<double>(i / channels) / rate));
    EXPECT_EQ(ag_ogg_write(path.c_str(), samples, rate, 0.5f, 1, channels), 0);
    return path;
}

// The 16-bit stereo file the wave device writes, interleaved.
struct wave_t {
    std::vector<int16_t> s;
    int frames() const { return static_cast<int>(s.size() / 2); }
    int at(int f, int c) const { return s[static_cast<size_t>(f) * 2 + c]; }
    double rms(int c, int from, int to) const {
        double sum = 0.0;
        for (int f = std::max(from, 0); f < std::min(to, frames()); f++) sum += at(f, c) * at(f, c);
        return std::sqrt(sum / std::max(1, to - from));
    }
    int loud(int threshold, int c, bool last) const {  // first or last loud frame; -1 none
        for (int i = 0; i < frames(); i++) {
            const int f = last ? frames() - 1 - i : i;
            if (std::abs(at(f, c)) > threshold) return f;
        }
        return -1;
    }
    double pitch(int c, int from, int to) const {  // from upward zero crossings
        int crossings = 0;
        for (int f = std::max(from, 1); f < std::min(to, frames()); f++)
            crossings += at(f - 1, c) < 0 && at(f, c) >= 0;
        return crossings * static_cast<double>(kRate) / std::max(1, to - from);
    }
};

ALint source_int(int index, ALenum what) {
    ALint v = 0;
    alGetSourcei(kx_audio.sources[index], what, &v);
    return v;
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class Audio : public testing::Test {
   protected:
    // OpenAL Soft reads its configuration once per process, before the first device opens.
    void SetUp() override {
        const fs::path conf = temp_dir() / "alsoft.conf";
        std::ofstream(conf) << "[general]\ndrivers = wave\nfrequency = " << kRate
                            << "\nchannels = stereo\nsample-type = int16\nperiod_size = 256\n[wave]\nfile = "
                            << out_.string() << "\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        setenv("ALSOFT_DRIVERS", "wave", 1);
    }
    void TearDown() override {
        if (kx_audio.device) kx_audio_term();
    }
    static void init(int format_index, int first_source) {
        if (kx_audio.device) kx_audio_term();
        kx_audio_init(format_index, 1, first_source);
    }
    // Runs script between init and term and returns what the device wrote.
    wave_t record(int format_index, const std::function<void()>& script) {
        init(format_index, 1);
        script();
        kx_audio_term();
        std::ifstream in(out_, std::ios::binary);
        const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // RIFF: the "fmt " chunk (PCM, stereo, 44100 Hz, 16-bit), then "data" to the end
        // (the writer patches the data size on close).
        const size_t fmt = b.find("fmt "), data = b.find("data", fmt);
        wave_t w;
        EXPECT_NE(data, std::string::npos);
        EXPECT_EQ(b.substr(fmt + 10, 6) + b.substr(fmt + 22, 2),
                  std::string("\x02\x00\x44\xAC\x00\x00\x10\x00", 8));
        if (data != std::string::npos) w.s.resize((b.size() - data - 8) / 2);
        std::memcpy(w.s.data(), b.data() + data + 8, w.s.size() * 2);
        EXPECT_GT(w.frames(), kRate / 4);
        return w;
    }
    kx_sound_t load(const std::string& path) {
        kx_sound_t snd;
        kx_sound_load_ogg(&snd, path.c_str());
        return snd;
    }
    const fs::path out_ = temp_dir() / "out.wav";
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
        kx_sound_t snd = load(path);
        EXPECT_EQ(snd.source, c.first);
        for (int expected : c.order) {
            kx_sound_play(&snd);
            EXPECT_EQ(snd.source, expected) << "first " << c.first;
            EXPECT_EQ(source_int(snd.source, AL_BUFFER), static_cast<ALint>(snd.buffer));
        }
        EXPECT_EQ(source_int(0, AL_BUFFER), 0) << "source 0 stays out of the rotation";
        kx_sound_unload(&snd);
    }
}

TEST_F(Audio, UnloadDeletesTheBufferEvenWhenSeveralSourcesHoldIt) {
    init(1, 1);
    kx_sound_t snd = load(tone_file("a.ogg", 1, 22050, 1.0, 440)),
               other = load(tone_file("b.ogg", 1, 11025, 1.0, 440));
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

TEST_F(Audio, MissingOrBrokenFileEndsTheProgramWithStatusOneAndNoDeviceMeansSilence) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: OpenAL reads its settings anew
    const std::string garbage = (temp_dir() / "garbage.ogg").string(),
                      empty = (temp_dir() / "empty.ogg").string();
    std::ofstream(garbage) << "OggS but not really a vorbis stream, just text";
    std::ofstream{empty};
    for (const std::string& path : {std::string("sounds/does-not-exist.ogg"), garbage, empty})
        EXPECT_EXIT((kx_audio_init(1, 1, 1), load(path)), testing::ExitedWithCode(1), "") << path;
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

TEST_F(Audio, PlayedSoundIsUploadedInItsFormatAndHeardOnceAtItsRateAndPitch) {
    const struct {
        int format_index, channels, rate;
        double hz;
        std::vector<int> sounding;
        int format, al_channels, bits;
    } cases[] = {
        {1, 1, 22050, 440, {0}, AL_FORMAT_MONO16, 1, 16},
        {1, 1, 44100, 1000, {0}, AL_FORMAT_MONO16, 1, 16},
        {1, 1, 11025, 300, {0}, AL_FORMAT_MONO16, 1, 16},
        {0, 1, 22050, 440, {0}, AL_FORMAT_MONO8, 1, 8},
        {1, 2, 22050, 500, {0}, AL_FORMAT_STEREO16, 2, 16},  // two channels stay two: heard on the left only
        {0, 2, 22050, 500, {0}, AL_FORMAT_STEREO8, 2, 8},
        {1, 4, 22050, 600, {0, 1, 2, 3}, AL_FORMAT_MONO16, 1, 16},  // more than two are mixed to one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << "ch " << c.rate << " Hz fmt " << c.format_index);
        const std::string path = tone_file("tone.ogg", c.channels, c.rate, 0.4, c.hz, c.sounding);
        const wave_t w = record(c.format_index, [&] {
            kx_sound_t snd = load(path);
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
            EXPECT_EQ(size, static_cast<int>(0.4 * c.rate) * c.al_channels * c.bits / 8)
                << "every frame decoded";
            kx_sound_play(&snd);
            sleep_ms(700);
            kx_sound_unload(&snd);
        });
        const int onset = w.loud(kLoud, 0, false), end = w.loud(kLoud, 0, true);
        ASSERT_GE(onset, 0);
        EXPECT_NEAR((end - onset) / static_cast<double>(kRate), 0.4, 0.03) << "played once, whole";
        EXPECT_NEAR(w.pitch(0, onset + 2000, end - 2000), c.hz, c.hz * 0.03);
        EXPECT_GT(w.rms(0, onset, end), 4000.0);
        if (c.al_channels == 2) {
            EXPECT_LT(w.rms(1, onset, end), w.rms(0, onset, end) / 20) << "the right stays quiet";
        } else {
            EXPECT_NEAR(w.pitch(1, onset + 2000, end - 2000), c.hz, c.hz * 0.03)
                << "mono plays on both sides";
        }
    }
}

TEST_F(Audio, ExplicitSourceCutsOnlyItsOwnSound) {
    // A loops on the left on source 0, B loops on the right on a rotating source; a short
    // sound C on source 0 then ends A while B plays on to the end of the recording.
    const std::string a_path = tone_file("a.ogg", 2, 22050, 0.5, 400.0, {0});
    const std::string b_path = tone_file("b.ogg", 2, 22050, 0.5, 900.0, {1});
    const std::string c_path = tone_file("c.ogg", 2, 22050, 0.1, 2000.0, {0});
    const wave_t w = record(1, [&] {
        kx_sound_t a = load(a_path), b = load(b_path), c = load(c_path);
        kx_sound_play_ex(&a, 1, 0, 1.0f);
        kx_sound_play_ex(&b, 1, -1, 1.0f);
        sleep_ms(600);
        kx_sound_play_ex(&c, 0, 0, 1.0f);
        EXPECT_EQ(source_int(0, AL_BUFFER), static_cast<ALint>(c.buffer));
        EXPECT_EQ(source_int(0, AL_LOOPING), AL_FALSE);
        sleep_ms(600);
        for (kx_sound_t* s : {&a, &b, &c}) kx_sound_unload(s);
    });
    const int left_end = w.loud(kLoud, 0, true), n = w.frames(), c_start = left_end - kRate / 10;
    ASSERT_GT(left_end, kRate / 2);
    EXPECT_LT(left_end, n - kRate / 4) << "the left falls silent well before the end: A was cut";
    EXPECT_NEAR(w.pitch(0, left_end - kRate / 15, left_end), 2000.0, 60.0) << "C is what ended there";
    EXPECT_NEAR(w.pitch(0, c_start - kRate / 3, c_start - kRate / 20), 400.0, 12.0) << "A before C";
    EXPECT_NEAR(w.pitch(1, c_start - kRate / 3, c_start), 900.0, 27.0) << "B before C";
    EXPECT_GT(w.rms(1, left_end + kRate / 20, n - kRate / 20), 5000.0) << "B plays on";
    EXPECT_NEAR(w.pitch(1, left_end + kRate / 20, n - kRate / 20), 900.0, 27.0);
    EXPECT_LT(w.rms(0, left_end + kRate / 20, n), 200.0);
}

}  // namespace
