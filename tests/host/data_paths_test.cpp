// Asset names, virtual paths and their mapping onto the working folder.
#include "host/data_paths.h"

#include <gtest/gtest.h>

#include "host/glfw_game.h"

namespace {

TEST(DataPathsTest, FixDataPath) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"graphics/tiles.png", "zephyr://data/graphics/tiles.png"},
        {"tiles.png", "zephyr://data/tiles.png"},
        {"", "zephyr://data/"},
        {"./local.png", "./local.png"},
        {"/abs/file.wav", "/abs/file.wav"},
        {"zephyr://data/x", "zephyr://data/x"},
        {"http://host/x", "http://host/x"},
        {"c:/x", "c:/x"},
        // ":/" whose "/" is not the first slash of the name is no scheme.
        {"dir/a:/b", "zephyr://data/dir/a:/b"},
        {"a:b", "zephyr://data/a:b"},
    };
    for (const Case& c : cases) {
        String got = kp_data_FixDataPath(String(c.in));
        EXPECT_EQ(got.ToUtf8(), c.out) << "FixDataPath(\"" << c.in << "\")";
    }
}

TEST(DataPathsTest, VirtualPathsMapOntoTheWorkingFolder) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"zephyr://data/graphics/tiles.png", "./data/graphics/tiles.png"},
        {"zephyr://internal/save.txt", "./internal/save.txt"},
        {"zephyr://external/x", "./external/x"},
        {"zephyr://data/", "./data/"},
        {"zephyr://other/x", ""},
        {"zephyr:", ""},
        {"zephyr://DATA/x", ""},
        {"zephyr://datax/y", ""},
        {"./data/x", "./data/x"},
        {"plain.txt", "plain.txt"},
        {"Zephyr://data/x", "Zephyr://data/x"},
    };
    KpGlfwGame host;
    for (const Case& c : cases) {
        EXPECT_EQ(kp_data_MapVirtualPath(String(c.in)).ToUtf8(), c.out) << "map \"" << c.in << "\"";
        EXPECT_EQ(host.PathToFilePath(String(c.in)).ToUtf8(), c.out) << "window host, \"" << c.in << "\"";
    }
}

TEST(DataPathsTest, BaseHostLeavesPathsUnchanged) {
    KpGame host;
    EXPECT_EQ(host.PathToFilePath(String("zephyr://other/x")).ToUtf8(), "zephyr://other/x");
}

TEST(DataPathsTest, FixedNamesMapIntoTheDataFolder) {
    KpGlfwGame host;
    String mapped = host.PathToFilePath(kp_data_FixDataPath(String("graphics/tiles.png")));
    EXPECT_EQ(mapped.ToUtf8(), "./data/graphics/tiles.png");
}

}  // namespace
