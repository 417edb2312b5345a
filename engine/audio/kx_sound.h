// Sounds: a whole Ogg Vorbis file decoded at load time into one OpenAL buffer, and
// played on a source of the audio table (kx_audio.h). No streaming, no 3D position.
// Depends on kx_audio, OpenAL, libvorbisfile and kx_log. Main thread only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// One loaded sound; owned by the caller (usually a global), valid until kx_sound_unload.
struct kx_sound_t {
    int freq;             // sample rate of the buffer
    int format;           // OpenAL format of the buffer
    int source;           // index in kx_audio.sources used by the last play (-1: none exists)
    unsigned int buffer;  // OpenAL buffer name
    int looping;          // loop flag of the last play
    int playing;          // 1 once a play was started; a sound has no finished state
};

// Decode the whole file into a new buffer: mono files in kx_audio.default_format, two-channel
// files in the stereo format of the same sample size, more channels mixed down to mono.
// A missing or undecodable file ends the process with exit status 1.
void kx_sound_load_ogg(kx_sound_t* snd, const char* path);

// Decode a whole Ogg Vorbis stream read from fp (closed here in every case) into 16-bit
// interleaved samples in *pcm; more than two channels are mixed down to mono. Returns 1 with
// *pcm, *channels (1 or 2) and *rate set, or 0 with a log line when the stream is not Ogg
// Vorbis or undecodable. Uses no OpenAL.
int kx_sound_decode_ogg(FILE* fp, std::vector<int16_t>* pcm, int* channels, int* rate);

// Stop the sound wherever it is attached and delete its buffer.
void kx_sound_unload(kx_sound_t* snd);

// Play once at full gain on the next source of the rotation, cutting what that source played.
void kx_sound_play(kx_sound_t* snd);

// Play with a loop flag and gain on source index `source`, or on the next source of the
// rotation when `source` is -1. An index of a source that does not exist plays nothing.
void kx_sound_play_ex(kx_sound_t* snd, int loop, int source, float gain);
