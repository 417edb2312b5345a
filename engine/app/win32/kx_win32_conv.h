// Win32 shell arithmetic that needs no Windows header, so it builds and is
// tested on every platform: the performance-counter clock and the mapping of
// typed UTF-16 characters to the Windows-1251 codes the game's text uses.
// Depends on nothing.
#pragma once

#include <cstdint>

// Milliseconds of a performance-counter reading: counter * 1000 / frequency,
// computed as whole seconds and remainder so no product overflows 64 bits.
// 0 when frequency is 0.
uint64_t kx_win32_conv_clock_ms(uint64_t counter, uint64_t frequency);

// The Windows-1251 code (1..255) of one UTF-16 code unit as WM_CHAR delivers
// it; 0 when the character has no code there (it is then dropped) or is 0.
int kx_win32_conv_cp1251(unsigned int ch);
