// Audio device and source table on OpenAL (see kx_audio.h).
#include "engine/audio/kx_audio.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>

#include "engine/app/kx_log.h"

kx_audio_t kx_audio;

void kx_audio_init(int format_index, int freq_index, int first_source) {
    static const int formats[2] = {AL_FORMAT_MONO8, AL_FORMAT_MONO16};
    static const int freqs[3] = {11025, 22050, 44100};
    kx_audio = kx_audio_t{};
    kx_audio.default_format = formats[std::clamp(format_index, 0, 1)];
    kx_audio.default_freq = freqs[std::clamp(freq_index, 0, 2)];
    kxLog("%s\n", "AUDIO: Init Start");

    ALCdevice* device = alcOpenDevice(nullptr);
    kx_audio.device = device;
    if (device) {
        ALCcontext* context = alcCreateContext(device, nullptr);
        kx_audio.context = context;
        if (context) alcMakeContextCurrent(context);
    }

    kx_audio.first_source = std::clamp(first_source, 0, KX_AUDIO_MAX_SOURCES - 1);
    kx_audio.next_source = kx_audio.first_source + 1;
    kx_audio.source_count = KX_AUDIO_MAX_SOURCES;
    alGetError();  // start from a clean error state
    alGenSources(kx_audio.source_count, kx_audio.sources);
    // Without a context every call fails, so this counts down to zero and the game runs silent.
    for (ALenum err = alGetError(); err != AL_NO_ERROR; err = alGetError()) {
        kxLog("alGetError()=%d \n", err);
        kx_audio.source_count--;
        if (kx_audio.source_count <= 0) {
            kx_audio.source_count = 0;
            kxLog("%s\n", "AUDIO: FATAL ERROR: Can't create audio sources. ");
            break;
        }
        alGenSources(kx_audio.source_count, kx_audio.sources);
    }
    if (kx_audio.next_source >= kx_audio.source_count) kx_audio.next_source = kx_audio.first_source;
    kxLog("AUDIO: OpenAL has been initialized, sources count = %d \n", kx_audio.source_count);

    ALCint mono = 0, stereo = 0;
    if (device) {
        alcGetIntegerv(device, ALC_MONO_SOURCES, 1, &mono);
        alcGetIntegerv(device, ALC_STEREO_SOURCES, 1, &stereo);
    }
    kxLog("AUDIO: max sources: mono=%d, stereo=%d \n", mono, stereo);
}

int kx_audio_source_valid(int index) { return index >= 0 && index < kx_audio.source_count; }

int kx_audio_next_source() {
    // Sources that were never created are left out of the rotation: their names are 0.
    const int last = std::min(KX_AUDIO_MAX_SOURCES, kx_audio.source_count) - 1;
    if (kx_audio.first_source > last) return -1;
    int index = kx_audio.next_source;
    if (index > last || index < kx_audio.first_source) index = kx_audio.first_source;
    kx_audio.next_source = index + 1 > last ? kx_audio.first_source : index + 1;
    return index;
}

void kx_audio_term() {
    kxLog("%s\n", "kx_audio_t term: ");
    for (int i = 0; i < kx_audio.source_count; i++) alSourceStop(kx_audio.sources[i]);
    kxLog("%s\n", "Delete sources...");
    if (kx_audio.source_count > 0) alDeleteSources(kx_audio.source_count, kx_audio.sources);
    kx_audio.source_count = 0;
    kxLog("%s\n", "Destroying contexts etc...");
    ALCcontext* context = alcGetCurrentContext();
    ALCdevice* device = context ? alcGetContextsDevice(context) : static_cast<ALCdevice*>(kx_audio.device);
    alcMakeContextCurrent(nullptr);
    if (context) alcDestroyContext(context);
    if (device) alcCloseDevice(device);
    kx_audio.context = nullptr;
    kx_audio.device = nullptr;
    kxLog("%s\n", "done.");
}
