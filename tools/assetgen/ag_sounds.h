// Sound synthesis: the game's twelve clips made from noise, oscillators,
// envelopes and filters, each brought to a named loudness ("<name>.level_db",
// the RMS of its loudest 50 ms) and kept under a common peak ceiling.
// Depends on ag_params, ag_noise.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/ag_params.h"

constexpr int AG_SOUND_RATE = 22050;

struct ag_sound_t {
    std::string file;            // "single-shot.ogg", under sounds/
    std::vector<float> samples;  // mono, -1..1, at AG_SOUND_RATE
};

// Names of the clips in the order they are generated (file names without ".ogg").
extern const char* const ag_sound_names[12];

// Synthesises clip `index` (0..11) and normalises it; an empty clip on failure.
ag_sound_t ag_sound_make(const ag_params_t& p, int index);

// RMS (0..1) of the loudest window of `window` samples, hopping by window / 4.
float ag_sound_loudest_rms(const std::vector<float>& s, int window);
