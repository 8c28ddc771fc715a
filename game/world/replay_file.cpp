#include "game/world/replay_file.h"

#include <cstdio>
#include <memory>

#include "game/game_ids.h"
#include "game/world/range_coder.h"

namespace {

constexpr unsigned char kMagic[4] = {'G', 'L', 'R', 'P'};
constexpr int kKeyBits = 8;
constexpr int kMaxLengthBits = 18;        // a coded run is shorter than 2^18 updates (kReplayMaxRun)
constexpr size_t kOverreadAllowed = 4;
constexpr int kCrcBytes = 4;
constexpr char kLinkAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// The predictions of the key-run coder, shared by encoding and decoding so
// that both adapt alike.
struct Model {
    uint16_t keyBit[kKeyBits][2][2];                        // bit, the same bit one and two runs back
    uint16_t lengthSize[2][kMaxLengthBits];                 // unary bit length: keys held or none
    uint16_t lengthBit[kMaxLengthBits][kMaxLengthBits];     // bits below the leading one
    Model() {
        for (auto& a : keyBit) for (auto& b : a) for (uint16_t& p : b) p = kRangeEven;
        for (auto& a : lengthSize) for (uint16_t& p : a) p = kRangeEven;
        for (auto& a : lengthBit) for (uint16_t& p : a) p = kRangeEven;
    }
};

int BitLength(int value) {
    int n = 0;
    while (value > 0) {
        ++n;
        value >>= 1;
    }
    return n;
}

void EncodeRuns(const std::vector<ReplayRun>& runs, std::vector<unsigned char>* out) {
    Model model;
    RangeEncoder coder(out);
    unsigned back1 = 0, back2 = 0;
    for (const ReplayRun& whole : runs) {
        // A stretch longer than a coded run goes as several runs of the same keys.
        for (int left = whole.updates; left > 0; left -= kReplayMaxRun) {
            const int updates = left < kReplayMaxRun ? left : kReplayMaxRun;
            for (int b = 0; b < kKeyBits; ++b) {
                coder.Bit(model.keyBit[b][(back1 >> b) & 1][(back2 >> b) & 1], (whole.keys >> b) & 1);
            }
            const int n = BitLength(updates);
            const int held = whole.keys != 0;
            for (int i = 1; i < kMaxLengthBits; ++i) {
                coder.Bit(model.lengthSize[held][i], i < n);
                if (i >= n) break;
            }
            for (int i = n - 2; i >= 0; --i) coder.Bit(model.lengthBit[n - 1][i], (updates >> i) & 1);
            back2 = back1;
            back1 = whole.keys;
        }
    }
    coder.Finish();
}

void Put32(std::vector<unsigned char>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

uint32_t Get32(const unsigned char* at) {
    return at[0] | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
}

// Where the fields of each format lie.
struct Layout {
    int headerBytes, level, scheme, speed, updates, finalState, bodySize;
};
constexpr Layout kFormat1 = {26, 12, 13, -1, 14, 18, 22};
constexpr Layout kFormat2 = {27, 12, 13, 14, 15, 19, 23};

uint32_t Fnv(uint32_t hash, int32_t value) {
    for (int i = 0; i < 4; ++i) {
        hash ^= (static_cast<uint32_t>(value) >> (8 * i)) & 0xffu;
        hash *= 16777619u;
    }
    return hash;
}

// The value of a link character, -1 for one outside the alphabet.
int LinkValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

// The CRC-32 of each byte value, so that a file of megabytes is checked in milliseconds.
struct CrcTable {
    uint32_t entry[256];
    CrcTable() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t crc = n;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
            entry[n] = crc;
        }
    }
};

}  // namespace

struct ReplayReader::State {
    State(const unsigned char* bytes, size_t size) : coder(bytes, size) {}
    Model model;
    RangeDecoder coder;
    unsigned back1 = 0, back2 = 0;
};

ReplayReader::ReplayReader(const unsigned char* bytes, const Replay& header) : updates_(header.updates) {
    const Layout& layout = header.format == 1 ? kFormat1 : kFormat2;
    state_ = std::make_unique<State>(bytes + layout.headerBytes, Get32(bytes + layout.bodySize));
}

ReplayReader::~ReplayReader() = default;

bool ReplayReader::Next(ReplayRun* run) {
    if (damaged_ || !state_ || total_ >= updates_) return false;
    State& s = *state_;
    unsigned keys = 0;
    for (int b = 0; b < kKeyBits; ++b) {
        keys |= static_cast<unsigned>(s.coder.Bit(s.model.keyBit[b][(s.back1 >> b) & 1][(s.back2 >> b) & 1])) << b;
    }
    const int held = keys != 0;
    int n = 1;
    while (n < kMaxLengthBits && s.coder.Bit(s.model.lengthSize[held][n])) ++n;
    int length = 1;
    for (int i = n - 2; i >= 0; --i) length = (length << 1) | s.coder.Bit(s.model.lengthBit[n - 1][i]);
    // A whole stream never reads more than the coder's register past its end.
    if (length > updates_ - total_ || s.coder.Overread() > kOverreadAllowed) {
        damaged_ = true;
        return false;
    }
    total_ += length;
    s.back2 = s.back1;
    s.back1 = keys;
    *run = {keys, length};
    return true;
}

void kp_replay_AppendRun(std::vector<ReplayRun>* runs, unsigned keys, int updates) {
    if (updates <= 0) return;
    if (!runs->empty() && runs->back().keys == keys) {
        runs->back().updates += updates;
    } else {
        runs->push_back({keys, updates});
    }
}

void Replay::Append(unsigned keys, int count) {
    kp_replay_AppendRun(&runs, keys, count);
    if (count > 0) updates += count;
}

std::vector<unsigned char> kp_replay_Encode(const Replay& replay) {
    if (replay.updates < 1 || replay.updates > kReplayMaxUpdates) return {};
    const bool first = replay.format == 1;
    std::vector<unsigned char> out(kMagic, kMagic + 4);
    out.push_back(first ? 1 : kReplayFormat);
    for (int part : replay.gameVersion) out.push_back(static_cast<unsigned char>(part));
    Put32(&out, first ? replay.levelSet : replay.levelHash);
    out.push_back(static_cast<unsigned char>(replay.level));
    out.push_back(static_cast<unsigned char>(replay.scheme));
    if (!first) out.push_back(static_cast<unsigned char>(replay.speed));
    Put32(&out, static_cast<uint32_t>(replay.updates));
    Put32(&out, replay.finalState);
    std::vector<unsigned char> body;
    EncodeRuns(replay.runs, &body);
    if (body.size() > kReplayMaxBodyBytes) return {};
    Put32(&out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    Put32(&out, kp_replay_Crc32(out.data(), out.size()));
    return out;
}

bool kp_replay_DecodeHeader(const unsigned char* bytes, size_t size, Replay* out, std::string* why) {
    const auto refuse = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    *out = Replay();
    if (size < 4 || bytes[0] != kMagic[0] || bytes[1] != kMagic[1] || bytes[2] != kMagic[2] || bytes[3] != kMagic[3]) {
        return refuse("not a replay file (it does not begin with GLRP)");
    }
    if (size < 5 || (bytes[4] != 1 && bytes[4] != kReplayFormat)) {
        return refuse("replay format " + (size < 5 ? std::string("missing") : std::to_string(bytes[4])) +
                      ", this game reads formats 1 and " + std::to_string(kReplayFormat));
    }
    out->format = bytes[4];
    const Layout& layout = out->format == 1 ? kFormat1 : kFormat2;
    if (size < static_cast<size_t>(layout.headerBytes) + kCrcBytes) {
        return refuse("truncated: " + std::to_string(size) + " bytes is less than a header");
    }
    const uint32_t bodySize = Get32(bytes + layout.bodySize);
    if (bodySize > kReplayMaxBodyBytes) return refuse("damaged: its key runs would take " + std::to_string(bodySize) + " bytes");
    const size_t whole = layout.headerBytes + bodySize + kCrcBytes;
    if (size < whole) return refuse("truncated: " + std::to_string(size) + " of its " + std::to_string(whole) + " bytes");
    if (size > whole) return refuse(std::to_string(size - whole) + " bytes after the end of the replay");
    if (kp_replay_Crc32(bytes, whole - kCrcBytes) != Get32(bytes + whole - kCrcBytes)) {
        return refuse("damaged or edited: its checksum does not match");
    }
    for (int i = 0; i < 3; ++i) out->gameVersion[i] = bytes[5 + i];
    (out->format == 1 ? out->levelSet : out->levelHash) = Get32(bytes + 8);
    out->level = bytes[layout.level];
    out->scheme = bytes[layout.scheme];
    out->speed = layout.speed < 0 ? kReplayNormalSpeed : bytes[layout.speed];
    const uint32_t updates = Get32(bytes + layout.updates);
    out->finalState = Get32(bytes + layout.finalState);
    const int lowestLevel = out->format == 1 ? 1 : 0;
    if (out->level < lowestLevel || out->level > kReplayLevels) {
        return refuse("level " + std::to_string(out->level) + " is not one of " + std::to_string(lowestLevel) + "..15");
    }
    if (out->scheme != 1 && out->scheme != 2) return refuse("jump scheme " + std::to_string(out->scheme) + " is neither 1 nor 2");
    if (out->speed == 0) return refuse("a speed of 0 %");
    if (updates < 1 || updates > static_cast<uint32_t>(kReplayMaxUpdates)) {
        return refuse(std::to_string(updates) + " updates is not a run of 1 to " + std::to_string(kReplayMaxUpdates));
    }
    out->updates = static_cast<int>(updates);
    return true;
}

bool kp_replay_Decode(const unsigned char* bytes, size_t size, Replay* out, std::string* why) {
    if (!kp_replay_DecodeHeader(bytes, size, out, why)) return false;
    ReplayReader reader(bytes, *out);
    for (ReplayRun run; reader.Next(&run);) out->runs.push_back(run);
    if (reader.Damaged() || reader.Updates() != out->updates) {
        if (why) *why = "damaged: its key runs do not add up to its " + std::to_string(out->updates) + " updates";
        out->runs.clear();
        return false;
    }
    return true;
}

uint32_t kp_replay_SealState(uint32_t roundState, const Replay& replay) {
    if (replay.format == 1) return roundState;
    return Fnv(Fnv(roundState, replay.scheme), replay.speed);
}

bool kp_replay_KnownSpeed(int speed) {
    return speed >= kReplaySlowestSpeed && speed <= kReplayNormalSpeed && speed % 10 == 0;
}

std::string kp_replay_LinkText(const std::vector<unsigned char>& bytes) {
    std::string text;
    uint32_t bits = 0;
    int count = 0;
    for (unsigned char byte : bytes) {
        bits = (bits << 8) | byte;
        count += 8;
        while (count >= 6) {
            count -= 6;
            text += kLinkAlphabet[(bits >> count) & 63];
        }
    }
    if (count > 0) text += kLinkAlphabet[(bits << (6 - count)) & 63];
    return text;
}

bool kp_replay_FromLinkText(const std::string& text, std::vector<unsigned char>* bytes) {
    bytes->clear();
    if (text.size() > (kReplayMaxFileBytes * 4 + 2) / 3) return false;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int value = LinkValue(c);
        if (value < 0) return false;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes->push_back(static_cast<unsigned char>(bits >> count));
        }
    }
    return true;
}

uint32_t kp_replay_Crc32(const unsigned char* bytes, size_t size) {
    static const CrcTable table;
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ table.entry[(crc ^ bytes[i]) & 0xffu];
    return ~crc;
}

std::string kp_replay_TimeText(int updates) {
    if (updates < 0) updates = 0;
    const int hundredths = static_cast<int>(static_cast<long long>(updates) * 100 / kUpdatesPerSecond);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%02d", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
    return text;
}
