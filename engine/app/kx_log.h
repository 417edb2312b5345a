// Logging: one printf-like function for every subsystem, plus the log.txt
// file that marks the start and end of a run. No levels, no timestamps.
// Depends on nothing, so the server and tools link it without GL.
#pragma once

#include <cstdio>

// The open log file, or null; owned by this module (open from kxLogOpen to kxLogClose).
extern FILE* fp_debug;

// Open log.txt in the current directory (truncated) and write "LOG START".
// On failure fp_debug stays null and logging goes on to standard output.
void kxLogOpen();

// printf-like; writes to standard output (and, on Windows, to log.txt while open).
// Each call is one formatted-output call per stream, so lines from two threads
// interleave whole.
#ifdef _WIN32
// MinGW's own printf (__USE_MINGW_ANSI_STDIO) takes the C99 formats (%zu, %lld).
void kxLog(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
#else
void kxLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
#endif

// Write "LOG END" and close the file; later lines go to standard output only.
void kxLogClose();
