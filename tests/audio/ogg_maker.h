// Test helpers: tones encoded by the asset generator's Ogg writer, and a reader and
// measures for the 16-bit wave files that OpenAL Soft's wave backend writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// /tmp/ironvale_wave_<pid>, removed when the process that made it exits.
const std::filesystem::path& audio_temp_dir();

// A sine tone of hz, amplitude 0.5, on the listed channels (the others silent); the path.
std::string tone_file(const std::string& name, int channels, int rate, double seconds, double hz,
                      const std::vector<int>& sounding = {0, 1});

struct wave_t {
    int channels = 0, rate = 0;
    std::vector<int16_t> samples;  // interleaved
    int frames() const { return channels ? static_cast<int>(samples.size()) / channels : 0; }
    int at(int frame, int channel) const { return samples[static_cast<size_t>(frame) * channels + channel]; }
};

// A PCM 16-bit wave file; false when it is missing or anything else.
bool wave_read(const std::string& path, wave_t* out);
// Root mean square of one channel over frames [from, to).
double wave_rms(const wave_t& w, int channel, int from, int to);
// First / last frame louder than threshold on the channel (-1: any channel); -1 if none.
int wave_first_loud(const wave_t& w, int threshold, int channel = -1);
int wave_last_loud(const wave_t& w, int threshold, int channel = -1);
// Frequency of one channel over [from, to) from upward zero crossings.
double wave_pitch(const wave_t& w, int channel, int from, int to);
