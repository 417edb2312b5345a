// Ogg Vorbis sounds decoded into OpenAL buffers (see kx_sound.h).
#include "engine/audio/kx_sound.h"

#include <AL/al.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/app/kx_log.h"
#include "engine/audio/kx_audio.h"

namespace {

// The decoder reads through the standard file streams.
size_t file_read(void* ptr, size_t size, size_t count, void* fp) {
    return std::fread(ptr, 1, size * count, static_cast<FILE*>(fp));
}
int file_seek(void* fp, ogg_int64_t offset, int whence) {
    return std::fseek(static_cast<FILE*>(fp), static_cast<long>(offset), whence);
}
int file_close(void* fp) { return std::fclose(static_cast<FILE*>(fp)); }
long file_tell(void* fp) { return std::ftell(static_cast<FILE*>(fp)); }

[[noreturn]] void fail(const char* why) {
    kxLog("%s\n", why);
    std::exit(1);
}

// Samples are decoded as 16-bit; an 8-bit default format gets them as unsigned bytes.
std::vector<uint8_t> to_unsigned8(const int16_t* samples, size_t count) {
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; i++) out[i] = static_cast<uint8_t>((samples[i] >> 8) + 128);
    return out;
}

// Every buffer is 16-bit while decoding; channels beyond two are averaged into one.
size_t mix_to_mono(int16_t* samples, size_t frames, int channels) {
    for (size_t f = 0; f < frames; f++) {
        int sum = 0;
        for (int c = 0; c < channels; c++) sum += samples[f * channels + c];
        samples[f] = static_cast<int16_t>(sum / channels);
    }
    return frames;
}

void stop_and_detach(unsigned int source) {
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
}

void start(kx_sound_t* snd, int loop, float gain) {
    if (!kx_audio_source_valid(snd->source)) return;
    const ALuint src = kx_audio.sources[snd->source];
    alSourceStop(src);
    alSourcei(src, AL_BUFFER, static_cast<ALint>(snd->buffer));
    alSourcei(src, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcef(src, AL_GAIN, gain);
    alSourcePlay(src);
}

}  // namespace

int kx_sound_decode_ogg(FILE* fp, std::vector<int16_t>* pcm, int* channels, int* rate) {
    pcm->clear();
    OggVorbis_File vf;
    const ov_callbacks callbacks = {file_read, file_seek, file_close, file_tell};
    if (ov_open_callbacks(fp, &vf, nullptr, 0, callbacks) != 0) {
        std::fclose(fp);  // the decoder leaves the file to us when it refuses it
        kxLog("%s\n", "not an Ogg Vorbis file.");
        return 0;
    }
    const vorbis_info* info = ov_info(&vf, -1);
    const ogg_int64_t frames = ov_pcm_total(&vf, -1);
    if (!info || info->channels < 1 || frames < 0) {
        ov_clear(&vf);
        kxLog("%s\n", "undecodable.");
        return 0;
    }
    *channels = info->channels;
    *rate = static_cast<int>(info->rate);
    kxLog("%d (snd %d) ", kx_audio.default_freq, *rate);
    kxLog("(%dch) ", *channels);

    // The stream's claimed length bounds the decode but is not trusted for the allocation:
    // a broken file may claim terabytes. Samples are appended as they are decoded.
    const uint64_t claimed = std::min<uint64_t>(static_cast<uint64_t>(frames), uint64_t{1} << 40) *
                             static_cast<uint64_t>(*channels);
    char chunk[8192];
    int bitstream = 0;
    for (uint64_t samples = 0; samples < claimed;) {
        const int want = static_cast<int>(std::min<uint64_t>(sizeof chunk, (claimed - samples) * 2));
        const long got = ov_read(&vf, chunk, want, 0, 2, 1, &bitstream);
        if (got == 0) break;
        if (got == OV_HOLE) continue;  // a gap in the stream; decoding goes on after it
        if (got < 0) break;            // a broken stream keeps what was decoded so far
        const size_t n = static_cast<size_t>(got) / 2;
        pcm->resize(pcm->size() + n);
        std::memcpy(pcm->data() + pcm->size() - n, chunk, n * 2);
        samples += n;
    }
    ov_clear(&vf);
    if (*channels > 2) {
        pcm->resize(mix_to_mono(pcm->data(), pcm->size() / static_cast<size_t>(*channels), *channels));
        *channels = 1;
    }
    return 1;
}

void kx_sound_load_ogg(kx_sound_t* snd, const char* path) {
    kxLog("AUDIO: Loading OGG (%s): ", path);
    snd->freq = kx_audio.default_freq;
    snd->format = kx_audio.default_format;
    snd->source = kx_audio.first_source;
    snd->looping = 0;
    snd->playing = 0;

    FILE* fp = std::fopen(path, "rb");
    if (!fp) fail("file not found.");
    std::vector<int16_t> pcm;
    int channels = 0;
    if (!kx_sound_decode_ogg(fp, &pcm, &channels, &snd->freq)) std::exit(1);
    const size_t count = pcm.size();  // 16-bit samples decoded
    const bool bits8 = kx_audio.default_format == AL_FORMAT_MONO8;
    if (channels == 2) snd->format = bits8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
    else snd->format = bits8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;

    alGenBuffers(1, &snd->buffer);
    if (bits8) {
        const std::vector<uint8_t> bytes = to_unsigned8(pcm.data(), count);
        alBufferData(snd->buffer, snd->format, bytes.data(), static_cast<ALsizei>(count), snd->freq);
    } else {
        alBufferData(snd->buffer, snd->format, pcm.data(), static_cast<ALsizei>(count * 2), snd->freq);
    }
    kxLog("%s", "\n");
    const ALenum err = alGetError();
    if (err != AL_NO_ERROR) kxLog("alGetError = %d \n", err);
}

void kx_sound_unload(kx_sound_t* snd) {
    if (kx_audio_source_valid(snd->source)) alSourceStop(kx_audio.sources[snd->source]);
    // OpenAL refuses to delete a buffer that any source still holds, stopped or not.
    for (int i = 0; i < kx_audio.source_count; i++) {
        ALint held = 0;
        alGetSourcei(kx_audio.sources[i], AL_BUFFER, &held);
        if (snd->buffer != 0 && static_cast<ALuint>(held) == snd->buffer)
            stop_and_detach(kx_audio.sources[i]);
    }
    alDeleteBuffers(1, &snd->buffer);
    snd->buffer = 0;
}

void kx_sound_play(kx_sound_t* snd) {
    snd->playing = 1;
    snd->source = kx_audio_next_source();
    snd->looping = 0;
    start(snd, 0, 1.0f);
}

void kx_sound_play_ex(kx_sound_t* snd, int loop, int source, float gain) {
    snd->playing = 1;
    snd->source = source == -1 ? kx_audio_next_source() : source;
    snd->looping = loop;
    start(snd, loop, gain);
}
