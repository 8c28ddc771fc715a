#include "tools/solver/input_script.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
struct KeyInfo {
    const char* name;
    int hostCode;
};
// Arrow keys, Z (hold), X (first jump) and C (second jump).
constexpr KeyInfo kKeys[kScriptKeyCount] = {
    {"left", 37}, {"right", 39}, {"up", 38}, {"down", 40}, {"grip", 90}, {"jumpl", 88}, {"jumpr", 67},
};
}  // namespace

int ScriptKeyHostCode(int bit) { return bit >= 0 && bit < kScriptKeyCount ? kKeys[bit].hostCode : -1; }

const char* ScriptKeyName(int bit) { return bit >= 0 && bit < kScriptKeyCount ? kKeys[bit].name : "?"; }

void InputScript::Append(unsigned keys, int updates) { kp_replay_AppendRun(&runs_, keys, updates); }

void InputScript::AppendScript(const InputScript& other) {
    for (const ScriptRun& run : other.runs_) Append(run.keys, run.updates);
}

int InputScript::Updates() const {
    int total = 0;
    for (const ScriptRun& run : runs_) total += run.updates;
    return total;
}

unsigned InputScript::KeysAt(int update) const {
    for (const ScriptRun& run : runs_) {
        if (update < run.updates) return run.keys;
        update -= run.updates;
    }
    return 0;
}

std::string InputScript::ToText() const {
    std::string out;
    for (const ScriptRun& run : runs_) {
        out += std::to_string(run.updates);
        if (run.keys == 0) out += " -";
        for (int bit = 0; bit < kScriptKeyCount; ++bit) {
            if (run.keys & (1u << bit)) out += std::string(" ") + kKeys[bit].name;
        }
        out += "\n";
    }
    return out;
}

bool InputScript::FromText(const std::string& text, std::string* error) {
    runs_.clear();
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        long long updates = 0;
        if (!(words >> updates) || updates <= 0 || updates > 10000000) {
            if (error) *error = "line " + std::to_string(lineNumber) + ": expected a positive update count";
            return false;
        }
        unsigned keys = 0;
        std::string word;
        while (words >> word) {
            if (word == "-") continue;
            int found = -1;
            for (int bit = 0; bit < kScriptKeyCount; ++bit) {
                if (word == kKeys[bit].name) found = bit;
            }
            if (found < 0) {
                if (error) *error = "line " + std::to_string(lineNumber) + ": unknown key \"" + word + "\"";
                return false;
            }
            keys |= 1u << found;
        }
        Append(keys, static_cast<int>(updates));
    }
    return true;
}

bool InputScript::Save(const std::string& path) const {
    std::ofstream out(path);
    out << ToText();
    return static_cast<bool>(out);
}

bool InputScript::Load(const std::string& path, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    return FromText(buffer.str(), error);
}
