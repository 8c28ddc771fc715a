// glimmer-level: level files made, converted, checked and linked without a window.
//
//   glimmer-level export [--proof SCRIPT] N OUT    level N (1..15) as a level file
//   glimmer-level to-text FILE OUT                 the map as 64 lines of tile characters
//   glimmer-level from-text [--name NAME] [--maker NAME] [--proof SCRIPT] TEXT OUT
//   glimmer-level verify FILE...                   each file's proof played again
//   glimmer-level link FILE                        the text of the level's "#level=" link
//
// A proof is a solver script (levelNN.keys form) recorded on the level's own
// map; it must reach the exit. verify prints one line per file, status 0 when
// every file is proved, 1 when any is not, 2 for a usage error.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "framework/program.h"
#include "game/shell/my_app.h"
#include "game/world/level_file.h"
#include "game/world/level_map.h"
#include "game/world/level_store.h"
#include "host/headless/game.h"
#include "tools/cli/command_line.h"
#include "tools/solver/input_script.h"

namespace {

constexpr const char* kUsage =
    "usage: glimmer-level export [--proof SCRIPT] N OUT\n"
    "       glimmer-level to-text FILE OUT\n"
    "       glimmer-level from-text [--name NAME] [--maker NAME] [--proof SCRIPT] TEXT OUT\n"
    "       glimmer-level verify FILE...\n"
    "       glimmer-level link FILE\n"
    "export writes level N (1..15) as a level file; to-text and from-text convert\n"
    "between level files and the text maps of tools/levels (64 lines of 64 tiles).\n"
    "--proof records a solver script (levelNN.keys) on the level as its proof.\n"
    "verify plays each file's proof again without a window (status 0 all proved,\n"
    "1 any not, 2 usage); link prints the level's #level= link text.\n";

bool ReadBytes(const std::string& path, std::vector<unsigned char>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    // Never more than a level file can be: a huge file is refused as it is.
    std::vector<char> block(kLevelFileMaxBytes + 1);
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    bytes->assign(block.begin(), block.begin() + in.gcount());
    return !in.bad();
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())));
}

int Fail(const std::string& problem) {
    std::fprintf(stderr, "glimmer-level: %s\n", problem.c_str());
    return 1;
}

// The game on a windowless host, its save in a private folder.
class Game {
public:
    Game() {
        setenv("ALSOFT_DRIVERS", "null", 0);
        host_.UsePrivateFolder("level");
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

// A solver script recorded on the map as level 0; false when it does not reach the exit.
bool RecordProof(const std::string& scriptPath, LevelFile* level, std::string* why) {
    InputScript script;
    if (!script.Load(scriptPath, why)) return false;
    Game game;
    c_MyApp& app = game.app();
    app.m_playerMap = level->map;
    app.m_playerPlay = PlayerLevelPlay();
    app.m_playerPlay.hash = kp_level_Hash(level->map);
    Replay run;
    run.level = 0;
    for (const ScriptRun& step : script.Runs()) run.Append(step.keys, step.updates);
    if (!app.p_RecordReplay(&run)) {
        *why = scriptPath + " does not reach the level's exit";
        return false;
    }
    level->proof = kp_replay_Encode(run);
    return true;
}

int Export(int n, const std::string& proof, const std::string& out) {
    LevelFile level;
    if (!kp_level_Decode(kp_Levels_FetchLevel(n).ToCString(), &level.map)) return Fail("level " + std::to_string(n) + " does not decode");
    level.name = "Level " + std::to_string(n);
    level.maker = "Glimmer";
    std::string why;
    if (!proof.empty() && !RecordProof(proof, &level, &why)) return Fail(why);
    const std::vector<unsigned char> bytes = kp_levelfile_Encode(level);
    if (!WriteBytes(out, bytes)) return Fail("cannot write " + out);
    std::printf("%s: level %d, %s, %zu bytes\n", out.c_str(), n, proof.empty() ? "unproved" : "proved", bytes.size());
    return 0;
}

int ToText(const std::string& file, const std::string& out) {
    std::vector<unsigned char> bytes;
    LevelFile level;
    std::string why;
    if (!ReadBytes(file, &bytes)) return Fail("cannot read " + file);
    if (!kp_levelfile_Decode(bytes.data(), bytes.size(), &level, &why)) return Fail(file + ": " + why);
    std::string text = "# name: " + level.name + "\n# maker: " + level.maker + "\n";
    for (int y = 0; y < kLevelSide; ++y) text += level.map.substr(static_cast<size_t>(y * kLevelSide), kLevelSide) + "\n";
    if (!WriteBytes(out, std::vector<unsigned char>(text.begin(), text.end()))) return Fail("cannot write " + out);
    return 0;
}

int FromText(const std::string& path, const std::string& name, const std::string& maker, const std::string& proof,
             const std::string& out) {
    std::ifstream in(path);
    if (!in) return Fail("cannot read " + path);
    LevelFile level;
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("# name: ", 0) == 0) level.name = line.substr(8);
        if (line.rfind("# maker: ", 0) == 0) level.maker = line.substr(9);
        if (line.empty() || line[0] == '#') continue;
        if (line.size() != static_cast<size_t>(kLevelSide) || ++rows > kLevelSide) return Fail(path + ": expected 64 rows of 64 tiles");
        level.map += line;
    }
    if (rows != kLevelSide) return Fail(path + ": expected 64 rows of 64 tiles, found " + std::to_string(rows));
    if (!name.empty()) level.name = name;
    if (!maker.empty()) level.maker = maker;
    level.name = kp_levelfile_CleanName(level.name);
    level.maker = kp_levelfile_CleanName(level.maker);
    if (level.name.empty()) level.name = "Untitled";
    for (const LevelProblem& problem : kp_level_Check(level.map)) return Fail(path + ": " + problem.text);
    std::string why;
    if (!proof.empty() && !RecordProof(proof, &level, &why)) return Fail(why);
    if (!WriteBytes(out, kp_levelfile_Encode(level))) return Fail("cannot write " + out);
    return 0;
}

int Verify(const std::vector<std::string>& files) {
    Game game;
    int status = 0;
    for (const std::string& file : files) {
        std::vector<unsigned char> bytes;
        LevelFile level;
        std::string why;
        std::string line;
        bool proved = false;
        if (!ReadBytes(file, &bytes)) {
            line = "refused: cannot be read";
        } else if (!kp_levelfile_Decode(bytes.data(), bytes.size(), &level, &why)) {
            line = "refused: " + why;
        } else {
            line = "\"" + level.name + "\" by " + (level.maker.empty() ? "-" : level.maker) + ", " +
                   game.app().p_CheckLevelProof(level, &proved).ToUtf8();
        }
        std::printf("%s: %s\n", file.c_str(), line.c_str());
        if (!proved) status = 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    ToolCommandLine commandLine(argc, argv, kUsage);
    std::string proof, name, maker;
    while (commandLine.NextOption()) {
        if (commandLine.Is("--proof")) {
            proof = commandLine.Value();
        } else if (commandLine.Is("--name")) {
            name = commandLine.Value();
        } else if (commandLine.Is("--maker")) {
            maker = commandLine.Value();
        } else {
            commandLine.RefuseOption();
        }
    }
    const std::vector<std::string>& operands = commandLine.Operands(1, 1 << 20);
    const std::string& command = operands[0];
    if (command == "export") {
        if (operands.size() != 3) commandLine.Refuse("export needs N and OUT");
        const int n = std::atoi(operands[1].c_str());
        if (n < 1 || n > kReplayLevels) commandLine.Refuse("N must be 1..15");
        return Export(n, proof, operands[2]);
    }
    if (command == "to-text") {
        if (operands.size() != 3) commandLine.Refuse("to-text needs FILE and OUT");
        return ToText(operands[1], operands[2]);
    }
    if (command == "from-text") {
        if (operands.size() != 3) commandLine.Refuse("from-text needs TEXT and OUT");
        return FromText(operands[1], name, maker, proof, operands[2]);
    }
    if (command == "verify") {
        if (operands.size() < 2) commandLine.Refuse("verify needs at least one FILE");
        return Verify(std::vector<std::string>(operands.begin() + 1, operands.end()));
    }
    if (command == "link") {
        if (operands.size() != 2) commandLine.Refuse("link needs one FILE");
        std::vector<unsigned char> bytes;
        LevelFile level;
        std::string why;
        if (!ReadBytes(operands[1], &bytes)) return Fail("cannot read " + operands[1]);
        if (!kp_levelfile_Decode(bytes.data(), bytes.size(), &level, &why)) return Fail(operands[1] + ": " + why);
        std::printf("#%s%s\n", kLevelLinkKey, kp_replay_LinkText(bytes).c_str());
        return 0;
    }
    commandLine.Refuse("unknown command \"" + command + "\"");
}
