// Ogg Vorbis encoding and wave reading for the audio tests.
#include "audio/ogg_maker.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

bool write_pages(FILE* fp, ogg_stream_state* os, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(os, &page) : ogg_stream_pageout(os, &page)) {
        if (std::fwrite(page.header, 1, page.header_len, fp) != static_cast<size_t>(page.header_len))
            return false;
        if (std::fwrite(page.body, 1, page.body_len, fp) != static_cast<size_t>(page.body_len)) return false;
    }
    return true;
}

}  // namespace

bool ogg_write(const std::string& path, int channels, int rate, int frames,
               const std::function<float(int, int)>& sample) {
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp) return false;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.5f) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(fp);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 12345);

    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    bool ok = write_pages(fp, &os, true);

    const int chunk = 1024;
    for (int done = 0; ok;) {
        const int n = std::min(chunk, frames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, n);
            for (int c = 0; c < channels; c++)
                for (int i = 0; i < n; i++) buffer[c][i] = sample(done + i, c);
            vorbis_analysis_wrote(&vd, n);
            done += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                ok = ok && write_pages(fp, &os, false);
            }
        }
        if (n <= 0) break;
    }
    ok = ok && write_pages(fp, &os, true);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(fp) == 0 && ok;
}

bool ogg_write_tone(const std::string& path, int channels, int rate, double seconds, double hz,
                    std::vector<int> sounding_channels) {
    const int frames = static_cast<int>(seconds * rate);
    return ogg_write(path, channels, rate, frames, [&](int f, int c) {
        for (int s : sounding_channels)
            if (s == c) return static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * f / rate));
        return 0.0f;
    });
}

bool wave_read(const std::string& path, wave_t* out) {
    FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) return false;
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, fp)) > 0;) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(fp);
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, &bytes[at], 4);
        return v;
    };
    auto u16 = [&](size_t at) {
        uint16_t v = 0;
        std::memcpy(&v, &bytes[at], 2);
        return v;
    };
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) || std::memcmp(&bytes[8], "WAVE", 4))
        return false;
    size_t at = 12;
    bool have_fmt = false;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = u32(at + 4);
        const size_t body = at + 8;
        if (!std::memcmp(&bytes[at], "fmt ", 4) && body + 16 <= bytes.size()) {
            out->channels = u16(body + 2);
            out->rate = static_cast<int>(u32(body + 4));
            out->bits = u16(body + 14);
            have_fmt = true;
        } else if (!std::memcmp(&bytes[at], "data", 4)) {
            // The writer patches the data size on close; trust the bytes present if it did not.
            size_t n = std::min<size_t>(size, bytes.size() - body);
            if (size == 0 || size == 0xffffffffu) n = bytes.size() - body;
            out->samples.resize(n / 2);
            std::memcpy(out->samples.data(), &bytes[body], out->samples.size() * 2);
            return have_fmt && out->bits == 16 && out->channels > 0;
        }
        at = body + size + (size & 1);
    }
    return false;
}

double wave_rms(const wave_t& w, int channel, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, w.frames());
    if (to <= from) return 0.0;
    double sum = 0.0;
    for (int f = from; f < to; f++) {
        const double s = w.samples[static_cast<size_t>(f) * w.channels + channel];
        sum += s * s;
    }
    return std::sqrt(sum / (to - from));
}

int wave_onset(const wave_t& w, int threshold, int from) {
    for (int f = std::max(from, 0); f < w.frames(); f++)
        for (int c = 0; c < w.channels; c++)
            if (std::abs(w.samples[static_cast<size_t>(f) * w.channels + c]) > threshold) return f;
    return -1;
}

int wave_last_loud(const wave_t& w, int threshold) {
    for (int f = w.frames() - 1; f >= 0; f--)
        for (int c = 0; c < w.channels; c++)
            if (std::abs(w.samples[static_cast<size_t>(f) * w.channels + c]) > threshold) return f;
    return -1;
}

double wave_pitch(const wave_t& w, int channel, int from, int to) {
    from = std::max(from, 1);
    to = std::min(to, w.frames());
    int crossings = 0;
    for (int f = from; f < to; f++) {
        const int16_t a = w.samples[static_cast<size_t>(f - 1) * w.channels + channel];
        const int16_t b = w.samples[static_cast<size_t>(f) * w.channels + channel];
        if (a < 0 && b >= 0) crossings++;
    }
    return to > from ? crossings * static_cast<double>(w.rate) / (to - from) : 0.0;
}
