// The loader: stage threads that report progress and hand the game to the menus
// through the signal flags, and the mailbox through which a worker has GL objects
// made on the thread that owns the context.
#include "game/game_loader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/render/kx_gl.h"
#include "game/sim/game_world.h"
#include "support/test_gl_context.h"

namespace {

// Take flag i, polling for at most two seconds.
bool take_flag(int i) {
    for (int k = 0; k < 400; k++) {
        if (kxFlagsTake(i)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(GameLoader, StagesHandOverThroughTheFlags) {
    ASSERT_EQ(kxFlagsCreate(16), 1);
    game_world.game_mode = 2;
    game_loader_reset();
    EXPECT_EQ(loader_active.load(), 0);
    game_loader_start(0);
    EXPECT_EQ(loader_stage, 0);
    ASSERT_TRUE(take_flag(1));
    // Stage 0 has switched to the menus and finished its report.
    EXPECT_EQ(
        (std::vector<int>{game_loader_mode(), loader_progress.load(), loader_active.load(), kxFlagsTake(2)}),
        (std::vector<int>{0, 100, 0, 0}));

    game_loader_start(1);
    EXPECT_EQ(loader_stage, 1);
    ASSERT_TRUE(take_flag(2));
    // Stage 1 leaves the mailbox open; the flag is raised once.
    EXPECT_EQ(loader_active.load(), 1);
    EXPECT_FALSE(take_flag(2));
    game_loader_join();
    kxFlagsFree();
}

TEST(GameLoader, MailboxMakesTexturesAndBuffersOnTheMainThread) {
    if (!test_gl_open(64, 64)) GTEST_SKIP() << "no GL";
    game_loader_reset();
    loader_active = 1;
    static const unsigned char pixels[4 * 4 * 3] = {255, 0, 0};
    static const float tri[3 * 4] = {0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1};
    const kx_vbo_attrib_t pos = {4, GL_FLOAT, 0, KX_SH_A_POS};
    uint32_t from_pixels = 0, from_file = 0;
    kx_vbo_t mesh{};
    std::atomic<int> served{0};
    std::thread worker([&] {
        served += game_loader_post_texture(&from_pixels, 4, 4, 3, 0, 1, pixels, nullptr);
        served += game_loader_post_texture(&from_file, 0, 0, 0, 1, 0, nullptr, "no/such/file.png");
        served += game_loader_post_buffer(&mesh, tri, 3, 4, GL_TRIANGLES, 1, &pos);
    });
    for (int i = 0; i < 2000 && served < 3; i++) {
        game_loader_service();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker.join();
    // A missing file gives texture 0.
    EXPECT_EQ((std::vector<unsigned>{static_cast<unsigned>(served.load()), glIsTexture(from_pixels),
                                     from_file, mesh.count, mesh.buffer != 0}),
              (std::vector<unsigned>{3, GL_TRUE, 0, 3, 1}));
    kx_vbo_destroy(&mesh);
    glDeleteTextures(1, &from_pixels);
    test_gl_close();
}

}  // namespace
