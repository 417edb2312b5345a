// Vorbis encoding loop: analysis blocks to packets to Ogg pages.
// Depends on libvorbisenc, libogg, kx_log.
#include "tools/assetgen/ag_ogg.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

#include "engine/app/kx_log.h"

static bool write_page(FILE* f, const ogg_page& page) {
    return std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), f) ==
               static_cast<size_t>(page.header_len) &&
           std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), f) ==
               static_cast<size_t>(page.body_len);
}

int ag_ogg_write(const char* path, const std::vector<float>& samples, int rate, float quality, int serial,
                 int channels) {
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        kxLog("assetgen: can't write %s \n", path);
        return -1;
    }
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (channels < 1 || vorbis_encode_init_vbr(&vi, channels, rate, quality)) {
        kxLog("assetgen: vorbis encoder refused %d ch %d Hz q%.2f \n", channels, rate, quality);
        vorbis_info_clear(&vi);
        std::fclose(f);
        return -1;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    bool ok = true;
    ogg_packet header, header_comm, header_code;
    vorbis_analysis_headerout(&vd, &vc, &header, &header_comm, &header_code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &header_comm);
    ogg_stream_packetin(&os, &header_code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page)) ok = ok && write_page(f, page);

    const size_t chunk = 1024, ch = static_cast<size_t>(channels), frames = samples.size() / ch;
    size_t pos = 0;  // in frames
    bool eos = false;
    while (!eos) {
        const size_t n = pos < frames ? std::min(chunk, frames - pos) : 0;
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t c = 0; c < ch; c++)
                for (size_t i = 0; i < n; i++) buffer[c][i] = samples[(pos + i) * ch + c];
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            pos += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (!eos && ogg_stream_pageout(&os, &page)) {
                    ok = ok && write_page(f, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    if (std::fclose(f) != 0 || !ok) {
        kxLog("assetgen: write failed on %s \n", path);
        return -1;
    }
    return 0;
}
