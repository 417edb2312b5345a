// Signal flags: one byte each, raised by the loader thread and taken by the
// main thread without a lock (each access is a single atomic byte operation).
// Depends on: kx_app (the record declaration).
#include <atomic>
#include <cstdlib>

#include "engine/app/kx_app.h"

kx_flags_t kx_flags;

int kxFlagsCreate(int count) {
    kxFlagsFree();
    if (count <= 0) return 0;
    auto* bytes = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(count), 1));
    if (!bytes) return 0;
    kx_flags.flags = bytes;
    kx_flags.count = count;
    kx_flags.any = 0;
    return 1;
}

void kxFlagsFree() {
    std::free(kx_flags.flags);
    kx_flags.flags = nullptr;
    kx_flags.count = 0;
    kx_flags.any = 0;
}

void kxFlagsSet(int i) {
    if (i < 0 || i >= kx_flags.count) return;
    std::atomic_ref<unsigned char>(kx_flags.flags[i]).store(1, std::memory_order_release);
    std::atomic_ref<int>(kx_flags.any).store(1, std::memory_order_release);
}

int kxFlagsTake(int i) {
    if (i < 0 || i >= kx_flags.count) return 0;
    return std::atomic_ref<unsigned char>(kx_flags.flags[i]).exchange(0, std::memory_order_acquire);
}
