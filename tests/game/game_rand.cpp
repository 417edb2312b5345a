// Scripted rand (see game_rand.h). Linked into the test program, these
// definitions take the place of the C library's for the simulation too.
#include "game_rand.h"

#include <cstdlib>
#include <deque>

namespace {
std::deque<int> queued;
int calls = 0;
unsigned state = 1;
}  // namespace

void rand_script(std::initializer_list<int> values) {
    queued.assign(values.begin(), values.end());
    calls = 0;
}
int rand_calls() { return calls; }
int rand_left() { return static_cast<int>(queued.size()); }

extern "C" int rand() noexcept {
    calls++;
    if (!queued.empty()) {
        const int v = queued.front();
        queued.pop_front();
        return v;
    }
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) & 0x7fff);
}

extern "C" void srand(unsigned seed) noexcept {
    state = seed;
    queued.clear();
}
