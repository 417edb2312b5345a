// Ogg Vorbis writer (libvorbisenc, VBR); the game's sounds are mono. The stream's serial
// number is given by the caller and no comment tags are written, so the same
// samples always give the same bytes.
// Depends on libvorbisenc, libogg.
#pragma once

#include <vector>

// Encodes `samples` (-1..1, `channels` interleaved) at `rate` Hz; returns 0, or -1 after a log line.
int ag_ogg_write(const char* path, const std::vector<float>& samples, int rate, float quality, int serial,
                 int channels = 1);
