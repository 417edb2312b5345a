// Shared bits of the fuzz harnesses: silence the network log (it goes to
// standard output) and read every byte a parser hands on, so that ASan sees
// any read past what was received.
#pragma once

#include <cstdint>
#include <cstdio>

inline void fuzz_quiet() { std::freopen("/dev/null", "w", stdout); }

// Touch every byte; the result is kept so the reads are not optimised away.
inline volatile uint32_t fuzz_sink = 0;
inline void fuzz_touch(const uint8_t* p, int len) {
    uint32_t s = 0;
    for (int i = 0; i < len; i++) s += p[i];
    fuzz_sink = fuzz_sink + s;
}
