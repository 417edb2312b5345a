// The asset loader: a worker thread per loading stage that reports progress
// and switches the game to the menus, and a mutex-guarded two-slot mailbox
// through which a worker has textures and vertex buffers created on the main
// thread (the only GL user). Stage 0 ends by raising signal flag 1, stage 1
// by raising flag 2; the frame starts stage 1 when it takes flag 1.
// Depends on kx_app (flags, sleep), kx_tx, kx_vbo, game_world (game_mode), kx_log.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/render/kx_vbo.h"

// Shared with the stage thread. Lifetime: the whole run.
extern std::atomic<int> loader_progress;  // 0..100, colours the loading screen
extern std::atomic<int> loader_active;    // 1 while a stage may post requests
extern int loader_stage;                  // stage last started (main thread only)

// Empty both slots; stage 0; not active.
void game_loader_reset();
// Join the previous stage thread, then start stage `stage` (0 or 1) on a new one.
// A thread that cannot be created is logged; loader_active stays 1.
void game_loader_start(int stage);
// Main thread, once per frame while loader_active: serve the texture slot, then the buffer slot.
void game_loader_service();
// Wait for the running stage thread to end (game term). Posting workers give up.
void game_loader_join();
// game_mode as the main thread reads it while a stage may write it.
int game_loader_mode();

// Worker side: post a texture request and wait until the main thread has served it.
// With pixels the texture is made from them, otherwise loaded from path. The name is
// stored through target. Returns 1 when served, 0 when the loader is shutting down.
int game_loader_post_texture(uint32_t* target, int width, int height, int channels, int smooth, int clamp,
                             const unsigned char* pixels, const char* path);
// Worker side: post a buffer request (the arguments of kx_vbo_create) and wait likewise.
int game_loader_post_buffer(kx_vbo_t* target, const float* data, uint32_t vertex_count, uint32_t floats_per_vertex,
                            uint32_t mode, uint32_t attrib_count, const kx_vbo_attrib_t* attribs);
