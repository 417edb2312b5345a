#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/app/kx_log.h"

namespace {

std::string slurp(const char* path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Log, FileHoldsOnlyTheRunMarkersAndLaterLinesGoToStdoutOnly) {
    const auto dir = std::filesystem::temp_directory_path() / "ironvale_log_test";
    std::filesystem::create_directories(dir);
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);

    testing::internal::CaptureStdout();
    kxLogOpen();
    ASSERT_NE(fp_debug, nullptr);
    kxLog("%s\n", "main start");
    kxLog("timer %d is off! \n", 3);
    kxLogClose();
    EXPECT_EQ(fp_debug, nullptr);
    kxLog("%s\n", "after close");
    kxLogClose();  // a second close is harmless
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_NE(out.find("Opening LOG.txt, fp_debug is "), std::string::npos);
    EXPECT_NE(out.find("main start\ntimer 3 is off! \nafter close\n"), std::string::npos);
    EXPECT_EQ(slurp("log.txt"), "LOG START\nLOG END\n");
    std::filesystem::current_path(old);
}

}  // namespace
