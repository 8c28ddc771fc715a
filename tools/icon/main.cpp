// Writes the game's icon as PNG files and one Windows icon file:
//   glimmer-icon <icons-dir> <window-icon-dir>
// <icons-dir> gets glimmer-N.png for every desktop size and glimmer.ico with
// all of them; <window-icon-dir> (data/icon/ of the build) gets the sizes the
// game sets on its window.
#include <stb/stb_image_write.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/cli/command_line.h"
#include "tools/icon/icon_art.h"
#include "tools/icon/ico_file.h"

namespace {

constexpr const char* kUsage =
    "usage: glimmer-icon ICONS_DIR WINDOW_ICON_DIR\n"
    "Draws the game's icon at every desktop size into ICONS_DIR (PNG files and\n"
    "glimmer.ico, for Windows) and at the window's sizes into WINDOW_ICON_DIR.\n";

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

bool WriteIco(const std::filesystem::path& dir) {
    std::vector<IconImage> images;
    for (int size : kIconSizes) images.push_back(DrawGlimmerIcon(size));
    const std::vector<unsigned char> bytes = EncodeIco(images);
    const std::filesystem::path path = dir / "glimmer.ico";
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (bytes.empty() || !file.flush()) {
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
    ToolCommandLine commandLine(argc, argv, kUsage);
    if (commandLine.NextOption()) commandLine.RefuseOption();
    const std::vector<std::string>& operands = commandLine.Operands(2, 2);
    const std::filesystem::path iconsDir = operands[0];
    const std::filesystem::path windowDir = operands[1];
    if (!MakeFolder(iconsDir) || !MakeFolder(windowDir)) return 1;
    bool ok = true;
    for (int size : kIconSizes) ok = WriteIcon(iconsDir, size) && ok;
    ok = WriteIco(iconsDir) && ok;
    for (int size : kWindowIconSizes) ok = WriteIcon(windowDir, size) && ok;
    return ok ? 0 : 1;
}
