// Logging to standard output and the log.txt run marker.
#include "engine/app/kx_log.h"

#include <cstdarg>

FILE* fp_debug = nullptr;

void kxLogOpen() {
    fp_debug = std::fopen("log.txt", "w+");
    if (fp_debug) std::fputs("LOG START\n", fp_debug);
    std::printf("Opening LOG.txt, fp_debug is %p \n", static_cast<void*>(fp_debug));
}

void kxLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
#ifdef _WIN32
    // The Windows build keeps every line in the file too.
    va_list again;
    va_copy(again, args);
    std::vprintf(format, args);
    // Flushed line by line: after a crash the file is all the player has to send.
    if (fp_debug) {
        std::vfprintf(fp_debug, format, again);
        std::fflush(fp_debug);
    }
    va_end(again);
#else
    std::vprintf(format, args);
#endif
    va_end(args);
}

void kxLogClose() {
    if (!fp_debug) return;
    std::fputs("LOG END\n", fp_debug);
    std::fclose(fp_debug);
    fp_debug = nullptr;
}
