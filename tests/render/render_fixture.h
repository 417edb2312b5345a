// Shared by the renderer tests: a GL context and a scratch directory per test, and
// log capture (the engine log goes to standard output).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/test_gl_context.h"

class GlTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(64, 64)) << "needs DISPLAY and GLX (run under scripts/xvfb.sh)";
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        test_gl_close();
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    // Writes a scratch file and returns its path.
    std::string put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    const std::filesystem::path dir_ =
        std::filesystem::temp_directory_path() / ("kx_render_test_" + std::to_string(getpid()));
};

// Runs fn and returns what it logged.
template <typename F>
std::string logged(F&& fn) {
    ::testing::internal::CaptureStdout();
    fn();
    return ::testing::internal::GetCapturedStdout();
}
