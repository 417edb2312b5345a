// Shared by the renderer tests: a GL context per test, a scratch directory for
// generated files, and log capture (the engine log goes to standard output).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/test_gl_context.h"

class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(kSize, kSize)) << "needs DISPLAY and GLX (run under scripts/xvfb.sh)";
        char tmpl[] = "/tmp/kx_render_test_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
        test_gl_close();
    }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void write_file(const std::string& name, const void* data, size_t size) const {
        FILE* f = std::fopen(path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (size > 0) {
            ASSERT_EQ(std::fwrite(data, 1, size, f), size);
        }
        std::fclose(f);
    }
    static constexpr int kSize = 64;
    std::string dir_;
};

// Runs fn and returns what it logged.
template <typename F>
std::string logged(F&& fn) {
    ::testing::internal::CaptureStdout();
    fn();
    return ::testing::internal::GetCapturedStdout();
}

// True when every needle occurs in text, in the given order.
inline bool in_order(const std::string& text, const std::vector<std::string>& needles) {
    size_t at = 0;
    for (const auto& n : needles) {
        const size_t p = text.find(n, at);
        if (p == std::string::npos) return false;
        at = p + n.size();
    }
    return true;
}
