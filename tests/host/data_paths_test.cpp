// Asset names, virtual paths and their mapping onto the working folder.
#include "host/data_paths.h"

#include <gtest/gtest.h>

#include "host/glfw/game.h"

namespace {

TEST(DataPathsTest, NamesFixedAndMapped) {
    const struct { const char* in; const char* fixed; const char* mapped; } cases[] = {
        {"graphics/tiles.png", "zephyr://data/graphics/tiles.png", "graphics/tiles.png"},
        {"", "zephyr://data/", ""},
        {"./local.png", "./local.png", "./local.png"},
        {"/abs/file.wav", "/abs/file.wav", "/abs/file.wav"},
        {"http://host/x", "http://host/x", "http://host/x"},
        {"dir/a:/b", "zephyr://data/dir/a:/b", "dir/a:/b"},  // ":/" after the first "/" is no scheme
        {"a:b", "zephyr://data/a:b", "a:b"},
        {"zephyr://data/x", "zephyr://data/x", "./data/x"},
        {"zephyr://internal/save.txt", "zephyr://internal/save.txt", "./internal/save.txt"},
        {"zephyr://external/x", "zephyr://external/x", "./external/x"},
        {"zephyr://other/x", "zephyr://other/x", ""},
        {"zephyr:", "zephyr://data/zephyr:", ""},
        {"zephyr://DATA/x", "zephyr://DATA/x", ""},
        {"zephyr://datax/y", "zephyr://datax/y", ""},
        {"Zephyr://data/x", "Zephyr://data/x", "Zephyr://data/x"},
    };
    KpGlfwGame host;
    for (const auto& c : cases) {
        EXPECT_EQ(kp_data_FixDataPath(String(c.in)).ToUtf8(), c.fixed) << "fix \"" << c.in << "\"";
        EXPECT_EQ(host.PathToFilePath(String(c.in)).ToUtf8(), c.mapped) << "map \"" << c.in << "\"";
        EXPECT_EQ(kp_data_MapVirtualPath(String(c.in)).ToUtf8(), c.mapped) << "map \"" << c.in << "\"";
    }
    EXPECT_EQ(KpGame().PathToFilePath(String("zephyr://other/x")).ToUtf8(), "zephyr://other/x") << "the base host maps nothing";
}

}  // namespace
