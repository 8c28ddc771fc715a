// glimmer-replay: replay files checked, made and linked without a window.
//
//   glimmer-replay verify FILE...            each run played again on these levels; a level file
//                                            among them is the level of the player's-level runs after it
//   glimmer-replay record [--scheme 1|2] [--speed PERCENT] LEVEL SCRIPT OUT
//                                            a solver script (levelNN.keys) as a replay file
//   glimmer-replay link FILE                 the text of a "#replay=" link to the run
//
// verify prints one line per file: its level, jump scheme and time, and
// whether it completes the level with its recorded final state (a run made
// with the game-speed assist says so, with its speed); a file made
// on another version of its level, a truncated, edited or random one, a
// folder or anything larger than a replay can be is refused with the reason.
// Status 0 when every file is valid, 1 when any is not, 2 for a usage error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <algorithm>

#include "framework/program.h"
#include "game/shell/my_app.h"
#include "game/world/level_file.h"
#include "game/world/level_map.h"
#include "host/headless/game.h"
#include "tools/cli/command_line.h"
#include "tools/solver/input_script.h"

namespace {

constexpr const char* kUsage =
    "usage: glimmer-replay verify FILE...\n"
    "       glimmer-replay record [--scheme 1|2] [--speed PERCENT] LEVEL SCRIPT OUT\n"
    "       glimmer-replay link FILE\n"
    "verify plays each replay again without a window and says whether it completes\n"
    "its level with its recorded final state (status 0 all valid, 1 any not, 2 usage);\n"
    "the runs of a player's level follow its level file.\n"
    "record writes the replay of a solver script (levelNN.keys) from the level's start\n"
    "to its exit, played at a game speed of 50 to 100 percent (below 100 an assisted\n"
    "run); link prints the replay as the text of a #replay= link.\n";

// Reads a file of at most the largest replay's size; a folder, a device
// that never ends or a larger file is refused without reading more.
bool ReadBytes(const std::string& path, std::vector<unsigned char>* bytes, std::string* why) {
    bytes->clear();
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        *why = "a folder, not a replay file";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *why = "cannot be read: " + std::string(std::strerror(errno));
        return false;
    }
    unsigned char block[4096];
    for (size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) {
        bytes->insert(bytes->end(), block, block + n);
        if (bytes->size() > kReplayMaxFileBytes) break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *why = "cannot be read";
        return false;
    }
    if (bytes->size() > kReplayMaxFileBytes) {
        *why = "larger than any replay (" + std::to_string(kReplayMaxFileBytes) + " bytes)";
        return false;
    }
    return true;
}

// The game on a windowless host, its state file in a folder of its own so
// that the player's save and records are never read or touched; nothing is
// loaded, since checking a run draws and plays nothing.
class Game {
public:
    Game() {
        setenv("ALSOFT_DRIVERS", "null", 0);  // no sound device is opened
        host_.UsePrivateFolder("replay");
        kp_std_main(0, nullptr);
        app_ = static_cast<c_MyApp*>(kp_app__app);
        host_.Start();
        app_->m_loadStep = 0;
    }
    c_MyApp& app() { return *app_; }

private:
    KpHeadlessGame host_;
    c_MyApp* app_ = nullptr;
};

int Verify(const std::vector<std::string>& files) {
    Game game;
    int status = 0;
    for (const std::string& file : files) {
        std::vector<unsigned char> bytes;
        Replay replay;
        bool valid = false;
        LevelFile level;
        std::string why;
        const bool read = ReadBytes(file, &bytes, &why);
        if (read && bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "GLLV")) {
            // A player's level: the runs of level 0 after it are played on its map.
            if (!kp_levelfile_Decode(bytes.data(), bytes.size(), &level, &why)) {
                std::printf("%s: refused: %s\n", file.c_str(), why.c_str());
                status = 1;
                continue;
            }
            game.app().m_playerMap = level.map;
            game.app().m_playerPlay.hash = kp_level_Hash(level.map);
            std::printf("%s: the level \"%s\" (%08x) for the runs after it\n", file.c_str(), level.name.c_str(),
                        game.app().m_playerPlay.hash);
            continue;
        }
        const std::string line = read
                                     ? game.app().p_CheckReplay(bytes, &replay, &valid).ToUtf8()
                                     : "refused: " + why;
        std::printf("%s: %s\n", file.c_str(), line.c_str());
        if (!valid) status = 1;
    }
    return status;
}

int Record(ToolCommandLine& commandLine, int scheme, int speed, const std::vector<std::string>& operands) {
    const int level = std::atoi(operands[1].c_str());
    if (level < 1 || level > kReplayLevels) commandLine.Refuse("LEVEL must be 1..15");
    InputScript script;
    std::string error;
    if (!script.Load(operands[2], &error)) {
        std::fprintf(stderr, "glimmer-replay: %s\n", error.c_str());
        return 1;
    }
    Game game;
    Replay recorded;
    recorded.level = level;
    recorded.scheme = scheme;
    recorded.speed = speed;
    for (const ScriptRun& run : script.Runs()) recorded.Append(run.keys, run.updates);
    if (!game.app().p_RecordReplay(&recorded)) {
        std::fprintf(stderr, "glimmer-replay: %s does not reach level %d's exit\n", operands[2].c_str(), level);
        return 1;
    }
    const std::vector<unsigned char> bytes = kp_replay_Encode(recorded);
    std::ofstream out(operands[3], std::ios::binary);
    if (!out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        std::fprintf(stderr, "glimmer-replay: cannot write %s\n", operands[3].c_str());
        return 1;
    }
    std::printf("%s: level %d, %d updates%s, %zu bytes\n", operands[3].c_str(), level, recorded.updates,
                speed < kReplayNormalSpeed ? (", assisted at " + std::to_string(speed) + " % speed").c_str() : "",
                bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ToolCommandLine commandLine(argc, argv, kUsage);
    int scheme = 1, speed = kReplayNormalSpeed;
    while (commandLine.NextOption()) {
        if (commandLine.Is("--scheme")) {
            scheme = std::atoi(commandLine.Value().c_str());
            if (scheme != 1 && scheme != 2) commandLine.Refuse("--scheme must be 1 or 2");
        } else if (commandLine.Is("--speed")) {
            speed = std::atoi(commandLine.Value().c_str());
            if (!kp_replay_KnownSpeed(speed)) commandLine.Refuse("--speed must be 50, 60, 70, 80, 90 or 100");
        } else {
            commandLine.RefuseOption();
        }
    }
    const std::vector<std::string>& operands = commandLine.Operands(1, 1 << 20);
    const std::string& command = operands[0];
    if (command == "verify") {
        if (operands.size() < 2) commandLine.Refuse("verify needs at least one FILE");
        return Verify(std::vector<std::string>(operands.begin() + 1, operands.end()));
    }
    if (command == "record") {
        if (operands.size() != 4) commandLine.Refuse("record needs LEVEL, SCRIPT and OUT");
        return Record(commandLine, scheme, speed, operands);
    }
    if (command == "link") {
        if (operands.size() != 2) commandLine.Refuse("link needs one FILE");
        std::vector<unsigned char> bytes;
        std::string why;
        if (!ReadBytes(operands[1], &bytes, &why)) {
            std::fprintf(stderr, "glimmer-replay: %s: %s\n", operands[1].c_str(), why.c_str());
            return 1;
        }
        std::printf("%s\n", kp_replay_LinkText(bytes).c_str());
        return 0;
    }
    commandLine.Refuse("unknown command \"" + command + "\"");
}
