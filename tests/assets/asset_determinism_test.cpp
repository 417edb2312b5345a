// The generator makes the same bytes every run: two runs into two fresh
// directories give identical trees (no timestamps, fixed seeds and serials).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets/asset_read.h"

namespace fs = std::filesystem;

namespace {

int run_generator(const fs::path& out) {
    const std::string build = std::getenv("IRONVALE_BUILD_DIR") ? std::getenv("IRONVALE_BUILD_DIR") : "..";
    const std::string cmd = "ASAN_OPTIONS=detect_leaks=0 '" + build + "/bin/assetgen' '" +
                            IRONVALE_ASSET_SOURCES + "' '" + out.string() + "' '" + IRONVALE_FONT_FILE +
                            "' > '" + out.string() + ".log' 2>&1";
    return std::system(cmd.c_str());
}

TEST(AssetGenerator, TwoRunsGiveTheSameBytes) {
    const fs::path base = fs::temp_directory_path() / ("assetgen_det_" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base);
    const fs::path a = base / "a", b = base / "b";
    ASSERT_EQ(run_generator(a), 0);
    ASSERT_EQ(run_generator(b), 0);
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(a)) {
        if (!entry.is_regular_file()) continue;
        const fs::path rel = fs::relative(entry.path(), a);
        const auto bytes_a = read_bytes(entry.path().string());
        const auto bytes_b = read_bytes((b / rel).string());
        EXPECT_FALSE(bytes_a.empty()) << rel;
        EXPECT_TRUE(bytes_a == bytes_b) << rel << " differs between runs";
        files++;
    }
    EXPECT_EQ(files, 46);
    fs::remove_all(base);
}

TEST(AssetGenerator, RefusesAMissingParameterTable) {
    const fs::path base = fs::temp_directory_path() / ("assetgen_bad_" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "src" / "params");
    const std::string build = std::getenv("IRONVALE_BUILD_DIR") ? std::getenv("IRONVALE_BUILD_DIR") : "..";
    const std::string cmd = "ASAN_OPTIONS=detect_leaks=0 '" + build + "/bin/assetgen' '" +
                            (base / "src").string() + "' '" + (base / "out").string() + "' '" +
                            IRONVALE_FONT_FILE + "' > /dev/null 2>&1";
    EXPECT_NE(std::system(cmd.c_str()), 0);
    fs::remove_all(base);
}

}  // namespace
