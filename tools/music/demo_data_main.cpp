// Writes the demonstration song for the music generator into <folder>/data/:
// the pattern image music/demo_song.png and the instruments inst/*.wav. With
// a second argument, the game's own data folder, every entry of it is linked
// into <folder>/data/ as well, so the game can run from <folder> with music.
#include <stb/stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/cli/command_line.h"
#include "tools/music/demo_song.h"
#include "tools/music/instruments.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: glimmer-music-content OUTPUT_DIR [GAME_DATA_DIR]\n"
    "Writes the demonstration song and its instruments into OUTPUT_DIR/data/ and\n"
    "links in every entry of GAME_DATA_DIR that is not there yet.\n";

void Put(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// 16-bit mono PCM.
bool WriteWav(const fs::path& path, const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<unsigned char> out;
    auto tag = [&](const char* t) { out.insert(out.end(), t, t + 4); };
    tag("RIFF");
    Put(out, 36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    Put(out, 16, 4);
    Put(out, 1, 2);  // PCM
    Put(out, 1, 2);  // mono
    Put(out, music_demo::kSampleRate, 4);
    Put(out, music_demo::kSampleRate * 2, 4);
    Put(out, 2, 2);
    Put(out, 16, 2);
    tag("data");
    Put(out, dataBytes, 4);
    for (int16_t s : samples) Put(out, static_cast<uint16_t>(s), 2);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

// Links each entry of the game's data folder that the demo folder lacks.
bool LinkGameData(const fs::path& gameData, const fs::path& data) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(gameData, error)) {
        const fs::path link = data / entry.path().filename();
        if (fs::exists(fs::symlink_status(link))) continue;
        fs::create_symlink(fs::absolute(entry.path()), link, error);
        if (error) {
            std::fprintf(stderr, "cannot link %s: %s\n", link.c_str(), error.message().c_str());
            return false;
        }
    }
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    ToolCommandLine commandLine(argc, argv, kUsage);
    if (commandLine.NextOption()) commandLine.RefuseOption();
    const std::vector<std::string>& operands = commandLine.Operands(1, 2);
    const fs::path data = fs::path(operands[0]) / "data";
    std::error_code error;
    fs::create_directories(data / "inst", error);
    fs::create_directories(data / "music", error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", data.c_str(), error.message().c_str());
        return 1;
    }

    int width = 0, height = 0;
    const std::vector<unsigned char> image = music_demo::PatternImage(music_demo::ComposeDemoSong(), &width, &height);
    const fs::path song = data / "music" / "demo_song.png";
    if (!stbi_write_png(song.c_str(), width, height, 4, image.data(), width * 4)) {
        std::fprintf(stderr, "cannot write %s\n", song.c_str());
        return 1;
    }
    for (const music_demo::Instrument& instrument : music_demo::SynthesiseInstruments()) {
        if (!WriteWav(data / instrument.file, instrument.samples)) {
            std::fprintf(stderr, "cannot write %s\n", (data / instrument.file).c_str());
            return 1;
        }
    }
    if (operands.size() == 2 && fs::is_directory(operands[1]) && !LinkGameData(operands[1], data)) return 1;
    return 0;
}
