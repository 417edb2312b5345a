// Audio device and source table: one OpenAL device and context, up to 32 sources
// handed out in rotation above a range that callers may name directly.
// Depends on OpenAL and kx_log. Main thread only.
#pragma once

constexpr int KX_AUDIO_MAX_SOURCES = 32;

// The one audio record; lives from kx_audio_init to kx_audio_term.
struct kx_audio_t {
    void* device;        // ALCdevice*, null when no device could be opened
    void* context;       // ALCcontext*, made current at init
    int default_format;  // OpenAL format for new sounds: 4352 mono 8-bit or 4353 mono 16-bit
    int default_freq;    // 11025, 22050 or 44100
    unsigned int sources[KX_AUDIO_MAX_SOURCES];
    int source_count;  // sources actually created, 0 to 32
    int next_source;   // index the next rotating play takes
    int first_source;  // lowest index of the rotation; the ones below are for callers that name a source
};

extern kx_audio_t kx_audio;

// Open the default device, make a context current and create as many of the 32 sources
// as the device allows (source_count says how many; 0 means silent, plays do nothing).
// format_index 0/1 = mono 8/16-bit, freq_index 0/1/2 = 11025/22050/44100.
void kx_audio_init(int format_index, int freq_index, int first_source);

// Stop and delete every source, release the context and close the device.
void kx_audio_term();

// Index of the source the next rotating play uses, advancing the rotation
// (first_source .. min(31, source_count - 1), wrapping). -1 when no source exists.
int kx_audio_next_source();

// 1 when index names a source that was created.
int kx_audio_source_valid(int index);
