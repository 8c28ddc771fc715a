#include "game/world/level_file.h"

#include "game/world/level_map.h"
#include "game/world/replay_file.h"

namespace {

constexpr unsigned char kMagic[4] = {'G', 'L', 'L', 'V'};
constexpr size_t kCrcBytes = 4;
constexpr size_t kMaxField = 0xffff;

bool Printable(const std::string& text) {
    for (char c : text) {
        if (c < 32 || c > 126) return false;
    }
    return true;
}

void Put16(std::vector<unsigned char>* out, size_t value) {
    out->push_back(static_cast<unsigned char>(value));
    out->push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(std::vector<unsigned char>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// Reads fields front to back; every read checks what is left.
class Reader {
public:
    Reader(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}
    bool Take(size_t n, const unsigned char** at) {
        if (size_ - at_ < n) return false;
        *at = bytes_ + at_;
        at_ += n;
        return true;
    }
    bool Byte(size_t* value) {
        const unsigned char* p = nullptr;
        if (!Take(1, &p)) return false;
        *value = p[0];
        return true;
    }
    bool Word(size_t* value) {
        const unsigned char* p = nullptr;
        if (!Take(2, &p)) return false;
        *value = p[0] | (size_t{p[1]} << 8);
        return true;
    }
    bool Text(size_t n, std::string* out) {
        const unsigned char* p = nullptr;
        if (!Take(n, &p)) return false;
        out->assign(reinterpret_cast<const char*>(p), n);
        return true;
    }
    size_t Left() const { return size_ - at_; }

private:
    const unsigned char* bytes_;
    size_t size_;
    size_t at_ = 0;
};

uint32_t Get32(const unsigned char* at) {
    return at[0] | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
}

}  // namespace

std::vector<unsigned char> kp_levelfile_Encode(const LevelFile& level) {
    std::vector<unsigned char> out(kMagic, kMagic + 4);
    out.push_back(kLevelFormat);
    Put32(&out, kp_level_Hash(level.map));
    const std::string name = kp_levelfile_CleanName(level.name).empty() ? "Untitled" : kp_levelfile_CleanName(level.name);
    const std::string maker = kp_levelfile_CleanName(level.maker);
    out.push_back(static_cast<unsigned char>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(static_cast<unsigned char>(maker.size()));
    out.insert(out.end(), maker.begin(), maker.end());
    const std::vector<unsigned char> packed = kp_level_Pack(level.map);
    Put16(&out, packed.size());
    out.insert(out.end(), packed.begin(), packed.end());
    const size_t proofBytes = level.proof.size() <= kMaxField ? level.proof.size() : 0;
    Put16(&out, proofBytes);
    out.insert(out.end(), level.proof.begin(), level.proof.begin() + static_cast<std::ptrdiff_t>(proofBytes));
    Put32(&out, kp_replay_Crc32(out.data(), out.size()));
    return out;
}

bool kp_levelfile_Decode(const unsigned char* bytes, size_t size, LevelFile* out, std::string* why, bool draft) {
    const auto refuse = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    *out = LevelFile();
    if (size < 4 || bytes[0] != kMagic[0] || bytes[1] != kMagic[1] || bytes[2] != kMagic[2] || bytes[3] != kMagic[3]) {
        return refuse("not a level file (it does not begin with GLLV)");
    }
    if (size > kLevelFileMaxBytes) return refuse("too large for a level: " + std::to_string(size) + " bytes");
    if (size < 5 + 4 + kCrcBytes) return refuse("truncated: " + std::to_string(size) + " bytes is less than a header");
    if (bytes[4] != kLevelFormat) {
        return refuse("level format " + std::to_string(bytes[4]) + ", this game reads format " + std::to_string(kLevelFormat));
    }
    if (kp_replay_Crc32(bytes, size - kCrcBytes) != Get32(bytes + size - kCrcBytes)) {
        return refuse("damaged or edited: its checksum does not match");
    }
    Reader reader(bytes + 9, size - 9 - kCrcBytes);
    size_t nameBytes = 0, makerBytes = 0, codedBytes = 0, proofBytes = 0;
    const unsigned char* packed = nullptr;
    if (!reader.Byte(&nameBytes) || !reader.Text(nameBytes, &out->name) || !reader.Byte(&makerBytes) ||
        !reader.Text(makerBytes, &out->maker) || !reader.Word(&codedBytes) || !reader.Take(codedBytes, &packed) ||
        !reader.Word(&proofBytes)) {
        return refuse("damaged: its fields run past its end");
    }
    const unsigned char* proof = nullptr;
    if (!reader.Take(proofBytes, &proof)) return refuse("damaged: its proof runs past its end");
    if (reader.Left() != 0) return refuse(std::to_string(reader.Left()) + " bytes after its proof");
    if (nameBytes < 1 || nameBytes > kLevelNameBytes || !Printable(out->name)) return refuse("its name is empty, too long or not plain text");
    if (makerBytes > kLevelNameBytes || !Printable(out->maker)) return refuse("its maker's name is too long or not plain text");
    if (!kp_level_Unpack(packed, codedBytes, &out->map)) return refuse("damaged: its map does not unpack to 64 x 64 tiles");
    if (kp_level_Hash(out->map) != Get32(bytes + 5)) return refuse("damaged: its map does not have the level's hash");
    const std::vector<LevelProblem> problems = kp_level_Check(out->map);
    if (!problems.empty() && !draft) return refuse("its map breaks a rule: " + problems.front().text);
    if (proofBytes > 0) {
        Replay run;
        std::string reason;
        if (!kp_replay_Decode(proof, proofBytes, &run, &reason)) return refuse("its proof is no replay: " + reason);
        if (run.format < 2 || run.level != 0 || run.levelHash != kp_level_Hash(out->map)) {
            return refuse("its proof is a run of another level");
        }
        if (run.updates > kLevelProofMaxUpdates) return refuse("its proof is longer than ten minutes");
        if (!problems.empty()) return refuse("its map breaks a rule, yet it has a proof");
    }
    out->proof.assign(proof, proof + proofBytes);
    return true;
}

std::string kp_levelfile_CleanName(const std::string& text) {
    std::string name;
    for (char c : text) {
        if (c >= 32 && c <= 126 && name.size() < static_cast<size_t>(kLevelNameBytes)) name += c;
    }
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

std::string kp_levelfile_FileName(const std::string& name) {
    std::string file;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (plain) {
            file += c;
        } else if (!file.empty() && file.back() != '-') {
            file += '-';
        }
    }
    while (!file.empty() && file.back() == '-') file.pop_back();
    return file.empty() ? "level" : file;
}
