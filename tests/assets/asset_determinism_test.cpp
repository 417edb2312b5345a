// The generator makes the same bytes every run: two runs into two fresh directories
// give identical trees (no timestamps, fixed seeds and serials). A source tree without
// its parameter tables is refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets/asset_read.h"

namespace fs = std::filesystem;

namespace {

int run_generator(const std::string& sources, const fs::path& out) {
    const char* build = std::getenv("IRONVALE_BUILD_DIR");
    const std::string cmd = "'" + std::string(build ? build : "..") +
                            "/bin/assetgen' '" + sources + "' '" + out.string() + "' '" + IRONVALE_FONT_FILE +
                            "' > '" + out.string() + ".log' 2>&1";
    return std::system(cmd.c_str());
}

TEST(AssetGenerator, TwoRunsGiveTheSameBytesAndMissingParametersAreRefused) {
    const fs::path base = fs::temp_directory_path() / ("assetgen_det_" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "bad" / "params");
    ASSERT_EQ(run_generator(IRONVALE_ASSET_SOURCES, base / "a"), 0);
    ASSERT_EQ(run_generator(IRONVALE_ASSET_SOURCES, base / "b"), 0);
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(base / "a")) {
        if (!entry.is_regular_file()) continue;
        const fs::path rel = fs::relative(entry.path(), base / "a");
        const auto bytes = read_bytes(entry.path().string());
        EXPECT_FALSE(bytes.empty()) << rel;
        EXPECT_TRUE(bytes == read_bytes((base / "b" / rel).string())) << rel << " differs between runs";
        files++;
    }
    EXPECT_EQ(files, 50);
    EXPECT_NE(run_generator((base / "bad").string(), base / "c"), 0);
    fs::remove_all(base);
}

}  // namespace
