// Input scripts: the keys held during each update, stored as runs.
//
// Text form, one run per line: "<updates> <key> <key> ...", with "-" for a
// run with no key held; lines starting with "#" are comments. A level's
// script starts with the first update after the level is built.
#pragma once

#include <string>
#include <vector>

#include "game/world/replay_file.h"

// The game keys the solver presses are the first seven bits of a replay's
// key set (game/world/replay_file.h): left, right, up, down, grip, jump 1, jump 2.
constexpr int kScriptKeyCount = 7;

int ScriptKeyHostCode(int bit);              // keyboard code of bit index 0..6
const char* ScriptKeyName(int bit);          // "left", "right", "up", "down", "grip", "jumpl", "jumpr"

// A run of updates with the same keys held, as in a replay.
using ScriptRun = ReplayRun;

// The keys of a stretch of play, update by update.
class InputScript {
public:
    void Append(unsigned keys, int updates = 1);      // merges with the last run when the keys match
    void AppendScript(const InputScript& other);
    int Updates() const;                              // total length in updates
    unsigned KeysAt(int update) const;                // keys of update 0..Updates()-1
    const std::vector<ScriptRun>& Runs() const { return runs_; }

    std::string ToText() const;
    // Parses the text form; false (and an error message) on a malformed line.
    bool FromText(const std::string& text, std::string* error);
    bool Save(const std::string& path) const;
    bool Load(const std::string& path, std::string* error);

private:
    std::vector<ScriptRun> runs_;
};
