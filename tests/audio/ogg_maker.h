// Test helpers: real Ogg Vorbis files encoded with libvorbisenc, and a reader for the
// 16-bit wave files that OpenAL Soft's wave backend writes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Encode frames of sample(frame, channel) (-1..1) into an Ogg Vorbis file. False on I/O error.
bool ogg_write(const std::string& path, int channels, int rate, int frames,
               const std::function<float(int frame, int channel)>& sample);

// A sine tone of hz on the listed channels (others silent), amplitude 0.5.
bool ogg_write_tone(const std::string& path, int channels, int rate, double seconds, double hz,
                    std::vector<int> sounding_channels = {0, 1});

struct wave_t {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<int16_t> samples;  // interleaved
    int frames() const { return channels ? static_cast<int>(samples.size()) / channels : 0; }
};

// Read a PCM 16-bit wave file. False when it is missing or not 16-bit PCM.
bool wave_read(const std::string& path, wave_t* out);

// Root mean square of one channel over frames [from, to).
double wave_rms(const wave_t& w, int channel, int from, int to);

// First frame whose sample on any channel exceeds threshold in magnitude; -1 if none.
int wave_onset(const wave_t& w, int threshold, int from = 0);

// Last frame whose sample on any channel exceeds threshold in magnitude; -1 if none.
int wave_last_loud(const wave_t& w, int threshold);

// Frequency estimate of one channel over [from, to) from upward zero crossings.
double wave_pitch(const wave_t& w, int channel, int from, int to);
