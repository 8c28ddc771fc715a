// Writes the game's icon as PNG files:
//   glimmer-icon <icons-dir> <window-icon-dir>
// <icons-dir> gets glimmer-N.png for every desktop size; <window-icon-dir>
// (data/icon/ of the build) gets the sizes the game sets on its window.
#include <stb/stb_image_write.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/icon/icon_art.h"

namespace {

bool WriteIcon(const std::filesystem::path& dir, int size) {
    const IconImage image = DrawGlimmerIcon(size);
    const std::filesystem::path path = dir / ("glimmer-" + std::to_string(size) + ".png");
    constexpr int kChannels = 4;
    if (!stbi_write_png(path.string().c_str(), size, size, kChannels, image.rgba.data(), size * kChannels)) {
        std::fprintf(stderr, "glimmer-icon: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

bool MakeFolder(const std::filesystem::path& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) std::fprintf(stderr, "glimmer-icon: cannot create %s: %s\n", dir.string().c_str(), error.message().c_str());
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: glimmer-icon <icons-dir> <window-icon-dir>\n");
        return 2;
    }
    const std::filesystem::path iconsDir = argv[1];
    const std::filesystem::path windowDir = argv[2];
    if (!MakeFolder(iconsDir) || !MakeFolder(windowDir)) return 1;
    bool ok = true;
    for (int size : kIconSizes) ok = WriteIcon(iconsDir, size) && ok;
    for (int size : kWindowIconSizes) ok = WriteIcon(windowDir, size) && ok;
    return ok ? 0 : 1;
}
