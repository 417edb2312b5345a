// Loader stages and mailbox (see game_loader.h).
#include "game/game_loader.h"

#include <pthread.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "engine/app/kx_app.h"
#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/render/kx_tx.h"
#include "game/sim/game_world.h"

std::atomic<int> loader_progress{0};
std::atomic<int> loader_active{0};
int loader_stage = 0;

namespace {

struct texture_request_t {
    uint32_t* target;  // null = empty slot
    int width, height, channels, smooth, clamp;
    const unsigned char* pixels;
    char path[256];
};

struct buffer_request_t {
    kx_vbo_t* target;  // null = empty slot
    const float* data;
    uint32_t vertex_count, floats_per_vertex, mode, attrib_count;
    kx_vbo_attrib_t attribs[KX_VBO_MAX_ATTRIBS];
};

// One mutex for both slots, made once: it is never re-initialised while a worker may hold it.
std::mutex mailbox_lock;
texture_request_t texture_slot;
buffer_request_t buffer_slot;

pthread_t stage_thread;
bool thread_running = false;     // main thread only: a stage thread exists and is not joined
std::atomic<int> shutting_down{0};  // set by game_loader_join so waiting posters give up

void set_game_mode(int mode) { std::atomic_ref<int32_t>(game_world.game_mode).store(mode); }

void* stage0(void*) {
    kxLog("%s\n", "-Start Thread-");
    loader_progress = 0;
    kxLog("%s\n", "Loader: Font init...");
    kxLog("%s\n", "Loader: GUI init...");
    loader_progress = 10;
    kxLog("%s\n", "Loader: Models...");
    loader_progress = 13;
    kxLog("%s\n", "Loader: Textures...");
    loader_progress = 65;
    kxLog("%s\n", "Loader: Particles");
    kxLog("%s\n", "Loader: Sounds...");
    loader_progress = 97;
    set_game_mode(0);
    loader_progress = 100;
    kxLog("%s\n", "Loader: DONE. ");
    kxLog("%s\n", "");
    loader_active = 0;
    kxFlagsSet(1);
    return nullptr;
}

void* stage1(void*) {
    kxLog("%s\n", "Loader Stage 1 Start");
    kxFlagsSet(2);
    return nullptr;
}

void empty_slots() {
    std::lock_guard<std::mutex> hold(mailbox_lock);
    texture_slot.target = nullptr;
    buffer_slot.target = nullptr;
}

// Poll every 10 ms until the main thread has emptied the slot the target sits in.
template <class T>
int wait_served(T* const* slot_target) {
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(mailbox_lock);
            if (*slot_target == nullptr) return 1;
        }
        if (shutting_down) return 0;
        kxAppSleep(10);
    }
}

}  // namespace

void game_loader_reset() {
    empty_slots();
    loader_stage = 0;
    loader_active = 0;
}

void game_loader_start(int stage) {
    game_loader_join();
    shutting_down = 0;
    loader_stage = stage;
    empty_slots();
    loader_active = 1;
    if (pthread_create(&stage_thread, nullptr, stage == 0 ? stage0 : stage1, nullptr) != 0) {
        kxLog("Loader: can't start the thread of stage %d \n", stage);
        return;
    }
    thread_running = true;
}

void game_loader_join() {
    if (!thread_running) return;
    shutting_down = 1;
    pthread_join(stage_thread, nullptr);
    thread_running = false;
}

int game_loader_mode() { return std::atomic_ref<int32_t>(game_world.game_mode).load(); }

void game_loader_service() {
    kxCheckGlError("loader check texture mainthread");
    {
        std::lock_guard<std::mutex> hold(mailbox_lock);
        texture_request_t& t = texture_slot;
        if (t.target) {
            *t.target = t.pixels ? kx_tx_create(t.width, t.height, t.channels, t.smooth, t.clamp, t.pixels)
                                 : kx_tx_load_png(t.path, t.smooth, t.clamp, nullptr);
            t.target = nullptr;
        }
    }
    std::lock_guard<std::mutex> hold(mailbox_lock);
    buffer_request_t& b = buffer_slot;
    if (b.target) {
        kx_vbo_create(b.target, b.data, b.vertex_count, b.floats_per_vertex, b.mode, b.attrib_count, b.attribs);
        b.target = nullptr;
    }
}

int game_loader_post_texture(uint32_t* target, int width, int height, int channels, int smooth, int clamp,
                             const unsigned char* pixels, const char* path) {
    {
        std::lock_guard<std::mutex> hold(mailbox_lock);
        texture_request_t& t = texture_slot;
        t.width = width;
        t.height = height;
        t.channels = channels;
        t.smooth = smooth;
        t.clamp = clamp;
        t.pixels = pixels;
        std::strncpy(t.path, path ? path : "", sizeof t.path - 1);
        t.path[sizeof t.path - 1] = 0;
        t.target = target;
    }
    return wait_served(&texture_slot.target);
}

int game_loader_post_buffer(kx_vbo_t* target, const float* data, uint32_t vertex_count, uint32_t floats_per_vertex,
                            uint32_t mode, uint32_t attrib_count, const kx_vbo_attrib_t* attribs) {
    {
        std::lock_guard<std::mutex> hold(mailbox_lock);
        buffer_request_t& b = buffer_slot;
        b.data = data;
        b.vertex_count = vertex_count;
        b.floats_per_vertex = floats_per_vertex;
        b.mode = mode;
        b.attrib_count = attrib_count < uint32_t{KX_VBO_MAX_ATTRIBS} ? attrib_count : uint32_t{KX_VBO_MAX_ATTRIBS};
        std::memcpy(b.attribs, attribs, sizeof(kx_vbo_attrib_t) * b.attrib_count);
        b.target = target;
    }
    return wait_served(&buffer_slot.target);
}
