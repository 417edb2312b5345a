// Synthesised sound effects. Building blocks: seeded white noise, one-pole and
// biquad filters, exponential envelopes, swept sines and short metallic clicks
// (a burst of noise exciting a few damped partials). Depends on ag_params, ag_noise.
#include "tools/assetgen/ag_sounds.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/ag_noise.h"

const char* const ag_sound_names[12] = {"single-shot", "healthkit-mono", "shot-and-reload", "reload-mono",
                                        "hit",         "player-hit",     "explosion",       "player-shot",
                                        "step0",       "step1",          "step2",           "step3"};

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kRate = static_cast<float>(AG_SOUND_RATE);

using buf_t = std::vector<float>;

buf_t silence(float seconds) { return buf_t(static_cast<size_t>(seconds * kRate), 0.0f); }

buf_t noise(float seconds, uint64_t seed) {
    ag_rng_t r = ag_rng(seed);
    buf_t b = silence(seconds);
    for (float& s : b) s = ag_rng_signed(&r);
    return b;
}

// Attack (linear) then exponential decay to -60 dB after `decay_ms`.
void envelope(buf_t* b, float attack_ms, float decay_ms) {
    const float a = attack_ms * kRate / 1000.0f;
    const float k = 6.9f / (decay_ms * kRate / 1000.0f);
    for (size_t i = 0; i < b->size(); i++) {
        const float t = static_cast<float>(i);
        const float g = t < a ? t / a : std::exp(-(t - a) * k);
        (*b)[i] *= g;
    }
}

// RBJ biquad, applied in place. kind: 0 low-pass, 1 high-pass, 2 band-pass.
void biquad(buf_t* b, int kind, float freq, float q) {
    const float w = 2 * kPi * freq / kRate, cw = std::cos(w), alpha = std::sin(w) / (2 * q);
    float b0, b1, b2;
    if (kind == 0) {
        b0 = (1 - cw) / 2, b1 = 1 - cw, b2 = (1 - cw) / 2;
    } else if (kind == 1) {
        b0 = (1 + cw) / 2, b1 = -(1 + cw), b2 = (1 + cw) / 2;
    } else {
        b0 = alpha, b1 = 0, b2 = -alpha;
    }
    const float a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (float& s : *b) {
        const float y = (b0 * s + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
        x2 = x1, x1 = s, y2 = y1, y1 = y;
        s = y;
    }
}

// A low-pass whose cutoff falls exponentially from f0 to f1 over the clip.
void sweep_lowpass(buf_t* b, float f0, float f1) {
    float y = 0;
    for (size_t i = 0; i < b->size(); i++) {
        const float t = static_cast<float>(i) / b->size();
        const float f = f0 * std::pow(f1 / f0, t);
        const float a = 1 - std::exp(-2 * kPi * f / kRate);
        y += a * ((*b)[i] - y);
        (*b)[i] = y;
    }
}

// A sine whose pitch glides exponentially from f0 to f1, decaying over decay_ms.
buf_t thump(float seconds, float f0, float f1, float decay_ms) {
    buf_t b = silence(seconds);
    float phase = 0;
    for (size_t i = 0; i < b.size(); i++) {
        const float t = static_cast<float>(i) / b.size();
        phase += 2 * kPi * f0 * std::pow(f1 / f0, t) / kRate;
        b[i] = std::sin(phase);
    }
    envelope(&b, 1.0f, decay_ms);
    return b;
}

// A metallic click: a few damped partials struck by a short noise burst.
buf_t click(float base_hz, float decay_ms, uint64_t seed) {
    buf_t b = silence(decay_ms / 1000.0f * 1.2f + 0.01f);
    const float partials[4] = {1.0f, 2.76f, 5.4f, 8.93f};
    for (int k = 0; k < 4; k++) {
        const float f = base_hz * partials[k];
        if (f > kRate * 0.45f) continue;
        const float k_decay = 6.9f / (decay_ms / (1 + k * 0.6f) * kRate / 1000.0f);
        for (size_t i = 0; i < b.size(); i++)
            b[i] += std::sin(2 * kPi * f * i / kRate) * std::exp(-k_decay * i) / (1 + k);
    }
    buf_t n = noise(0.004f, seed);
    biquad(&n, 1, 2000, 0.7f);
    for (size_t i = 0; i < n.size() && i < b.size(); i++)
        b[i] += n[i] * (1 - static_cast<float>(i) / n.size());
    return b;
}

// Adds `src` times `gain` into `dst` starting at `at_s` seconds (grows dst).
void mix_at(buf_t* dst, const buf_t& src, float at_s, float gain) {
    const size_t start = static_cast<size_t>(at_s * kRate);
    if (dst->size() < start + src.size()) dst->resize(start + src.size(), 0.0f);
    for (size_t i = 0; i < src.size(); i++) (*dst)[start + i] += src[i] * gain;
}

float db_to_gain(float db) { return std::pow(10.0f, db / 20.0f); }

// ---- the clips ----

buf_t spread_blast(const ag_params_t& p, uint64_t seed) {
    const float decay = ag_param(p, "blast.decay_ms");
    buf_t body = noise(decay / 1000.0f * 1.3f, seed);
    sweep_lowpass(&body, ag_param(p, "blast.bright_hz"), 300);
    envelope(&body, 0.5f, decay);
    buf_t crack = noise(0.03f, seed + 1);
    biquad(&crack, 1, 1500, 0.7f);
    envelope(&crack, 0.1f, 25);
    buf_t boom = thump(0.5f, ag_param(p, "blast.thump_hz"), 40, decay * 0.8f);
    buf_t out;
    mix_at(&out, body, 0, 1.0f);
    mix_at(&out, crack, 0, 0.8f);
    mix_at(&out, boom, 0, 0.9f);
    return out;
}

buf_t pump_reload(const ag_params_t& p, uint64_t seed) {
    buf_t out;
    const float pitch = ag_param(p, "reload.click_hz");
    mix_at(&out, click(pitch * 0.8f, 60, seed), 0.0f, 0.7f);
    buf_t slide = noise(0.09f, seed + 7);
    biquad(&slide, 2, 1800, 1.2f);
    envelope(&slide, 30, 80);
    mix_at(&out, slide, 0.01f, 0.35f);
    mix_at(&out, click(pitch, 70, seed + 3), 0.12f, 1.0f);
    return out;
}

buf_t make_clip(const ag_params_t& p, int index) {
    const uint64_t seed = 1000 + static_cast<uint64_t>(index) * 77;
    buf_t out;
    switch (index) {
        case 0:  // single-shot: somebody else's spread gun, a blast with a roomy tail
            out = spread_blast(p, seed);
            mix_at(&out, silence(0.1f), static_cast<float>(out.size()) / kRate, 0);
            break;
        case 1: {  // healthkit: a bright rising chime
            const float notes[4] = {523.25f, 659.25f, 783.99f, 1046.5f};
            const float step = ag_param(p, "healthkit.note_ms") / 1000.0f;
            for (int i = 0; i < 4; i++) {
                buf_t n = silence(0.45f);
                for (size_t k = 0; k < n.size(); k++) {
                    const float t = k / kRate;
                    n[k] = std::sin(2 * kPi * notes[i] * t) + 0.3f * std::sin(4 * kPi * notes[i] * t);
                }
                envelope(&n, 6, 380);
                mix_at(&out, n, i * step, 0.6f);
            }
            break;
        }
        case 2:  // shot-and-reload: the own spread gun, then the pump
            out = spread_blast(p, seed);
            out.resize(static_cast<size_t>(ag_param(p, "blast.pump_at_ms") / 1000.0f * kRate), 0.0f);
            mix_at(&out, pump_reload(p, seed + 5), static_cast<float>(out.size()) / kRate, db_to_gain(-6));
            break;
        case 3: {  // reload: magazine out, magazine in, bolt back and forward
            const float pitch = ag_param(p, "reload.click_hz");
            mix_at(&out, click(pitch * 0.7f, 50, seed), 0.0f, 0.6f);
            mix_at(&out, click(pitch * 0.55f, 80, seed + 1), 0.28f, 1.0f);
            mix_at(&out, pump_reload(p, seed + 2), 0.5f, 0.9f);
            break;
        }
        case 4: {  // hit: a short sharp impact on stone or armour
            buf_t n = noise(0.12f, seed);
            biquad(&n, 2, ag_param(p, "hit.band_hz"), 1.5f);
            envelope(&n, 0.2f, ag_param(p, "hit.decay_ms"));
            mix_at(&out, n, 0, 1.0f);
            mix_at(&out, click(ag_param(p, "hit.band_hz") * 0.9f, 40, seed + 1), 0, 0.3f);
            mix_at(&out, thump(0.1f, 220, 120, 40), 0, 0.4f);
            break;
        }
        case 5: {  // player-hit: a dull body blow with a muffled crunch
            mix_at(&out,
                   thump(0.35f, ag_param(p, "player_hit.thump_hz"), 45, ag_param(p, "player_hit.decay_ms")),
                   0, 1.0f);
            buf_t n = noise(0.2f, seed);
            biquad(&n, 0, 700, 0.8f);
            envelope(&n, 1, 90);
            mix_at(&out, n, 0, 0.8f);
            break;
        }
        case 6: {  // explosion: a long falling roar over a deep boom
            const float decay = ag_param(p, "explosion.decay_ms");
            buf_t n = noise(decay / 1000.0f * 1.1f, seed);
            sweep_lowpass(&n, 3500, 120);
            envelope(&n, 4, decay);
            buf_t crackle = noise(decay / 2000.0f, seed + 1);
            ag_rng_t r = ag_rng(seed + 2);
            for (float& s : crackle) s *= ag_rng_float(&r) < 0.02f ? 1.0f : 0.0f;
            biquad(&crackle, 1, 1200, 0.7f);
            envelope(&crackle, 2, decay * 0.4f);
            mix_at(&out, n, 0, 1.0f);
            mix_at(&out, thump(1.0f, 90, 30, decay * 0.6f), 0, 1.0f);
            mix_at(&out, crackle, 0.02f, 0.8f);
            break;
        }
        case 7: {  // player-shot: a machine-gun round, short and cracking
            const float decay = ag_param(p, "mg.decay_ms");
            buf_t n = noise(decay / 1000.0f * 1.5f, seed);
            biquad(&n, 2, ag_param(p, "mg.band_hz"), 0.8f);
            envelope(&n, 0.3f, decay);
            mix_at(&out, n, 0, 1.0f);
            mix_at(&out, thump(0.2f, 170, 70, decay * 1.2f), 0, 0.8f);
            buf_t tail = noise(0.25f, seed + 9);
            biquad(&tail, 0, 900, 0.7f);
            envelope(&tail, 5, 200);
            mix_at(&out, tail, 0.01f, 0.25f);
            break;
        }
        default: {  // step0..3: heel and toe on stone, each step a little different
            const int k = index - 8;
            ag_rng_t r = ag_rng(seed);
            const float low = ag_param(p, "step.low_hz") * (0.85f + 0.3f * ag_rng_float(&r));
            buf_t heel = noise(0.12f, seed + 1);
            biquad(&heel, 0, low, 1.2f);
            envelope(&heel, 2, ag_param(p, "step.decay_ms"));
            buf_t grit = noise(0.06f, seed + 2);
            biquad(&grit, 2, 1800 + 500.0f * k, 1.5f);
            envelope(&grit, 1, 25);
            mix_at(&out, heel, 0, 1.0f);
            mix_at(&out, grit, 0.0f, ag_param(p, "step.grit"));
            mix_at(&out, heel, 0.045f + 0.012f * k, 0.45f);  // toe
            mix_at(&out, grit, 0.05f + 0.012f * k, ag_param(p, "step.grit") * 0.6f);
            mix_at(&out, silence(0.05f), static_cast<float>(out.size()) / kRate, 0);
            break;
        }
    }
    return out;
}

// Short fades at both ends so no clip starts or stops with a click.
void fade_ends(buf_t* b) {
    const size_t n = std::min<size_t>(b->size() / 2, 64);
    for (size_t i = 0; i < n; i++) {
        const float g = static_cast<float>(i) / n;
        (*b)[i] *= std::min(1.0f, g * 4);
        (*b)[b->size() - 1 - i] *= g;
    }
}

}  // namespace

float ag_sound_loudest_rms(const std::vector<float>& s, int window) {
    float best = 0;
    const size_t w = static_cast<size_t>(window);
    for (size_t start = 0; start + w <= s.size() || start == 0; start += w / 4) {
        double sum = 0;
        const size_t end = std::min(s.size(), start + w);
        for (size_t i = start; i < end; i++) sum += static_cast<double>(s[i]) * s[i];
        best = std::max(best, static_cast<float>(std::sqrt(sum / w)));
        if (end == s.size()) break;
    }
    return best;
}

ag_sound_t ag_sound_make(const ag_params_t& p, int index) {
    ag_sound_t snd;
    snd.file = std::string(ag_sound_names[index]) + ".ogg";
    buf_t b = make_clip(p, index);
    if (b.empty()) return snd;
    fade_ends(&b);
    const float target =
        db_to_gain(ag_param(p, std::string(index >= 8 ? "step" : ag_sound_names[index]) + ".level_db"));
    const float rms = ag_sound_loudest_rms(b, AG_SOUND_RATE / 20);
    float gain = rms > 0 ? target / rms : 1.0f;
    float peak = 0;
    for (float s : b) peak = std::max(peak, std::fabs(s));
    const float ceiling = db_to_gain(ag_param(p, "sounds.peak_ceiling_db"));
    if (peak * gain > ceiling) gain = ceiling / peak;  // level gives way to the ceiling
    for (float& s : b) s *= gain;
    snd.samples = std::move(b);
    return snd;
}
