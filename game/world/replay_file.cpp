#include "game/world/replay_file.h"

#include <cstdio>

#include "game/world/range_coder.h"

namespace {

constexpr unsigned char kMagic[4] = {'G', 'L', 'R', 'P'};
constexpr int kKeyBits = 8;
constexpr int kMaxLengthBits = 18;        // 2^18 > kReplayMaxUpdates
constexpr int kCrcBytes = 4;
constexpr int kUpdatesPerSecond = 60;
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
    for (const ReplayRun& run : runs) {
        for (int b = 0; b < kKeyBits; ++b) {
            coder.Bit(model.keyBit[b][(back1 >> b) & 1][(back2 >> b) & 1], (run.keys >> b) & 1);
        }
        const int n = BitLength(run.updates);
        const int held = run.keys != 0;
        for (int i = 1; i < kMaxLengthBits; ++i) {
            coder.Bit(model.lengthSize[held][i], i < n);
            if (i >= n) break;
        }
        for (int i = n - 2; i >= 0; --i) coder.Bit(model.lengthBit[n - 1][i], (run.updates >> i) & 1);
        back2 = back1;
        back1 = run.keys;
    }
    coder.Finish();
}

bool DecodeRuns(const unsigned char* bytes, size_t size, int updates, std::vector<ReplayRun>* runs) {
    Model model;
    RangeDecoder coder(bytes, size);
    unsigned back1 = 0, back2 = 0;
    int total = 0;
    while (total < updates) {
        unsigned keys = 0;
        for (int b = 0; b < kKeyBits; ++b) {
            keys |= static_cast<unsigned>(coder.Bit(model.keyBit[b][(back1 >> b) & 1][(back2 >> b) & 1])) << b;
        }
        const int held = keys != 0;
        int n = 1;
        while (n < kMaxLengthBits && coder.Bit(model.lengthSize[held][n])) ++n;
        int length = 1;
        for (int i = n - 2; i >= 0; --i) length = (length << 1) | coder.Bit(model.lengthBit[n - 1][i]);
        total += length;
        if (total > updates) return false;
        runs->push_back({keys, length});
        back2 = back1;
        back1 = keys;
    }
    return true;
}

void Put32(std::vector<unsigned char>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

uint32_t Get32(const unsigned char* at) {
    return at[0] | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
}

}  // namespace

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
    std::vector<unsigned char> out(kMagic, kMagic + 4);
    out.push_back(kReplayFormat);
    for (int part : replay.gameVersion) out.push_back(static_cast<unsigned char>(part));
    Put32(&out, replay.levelSet);
    out.push_back(static_cast<unsigned char>(replay.level));
    out.push_back(static_cast<unsigned char>(replay.scheme));
    Put32(&out, static_cast<uint32_t>(replay.updates));
    Put32(&out, replay.finalState);
    std::vector<unsigned char> body;
    EncodeRuns(replay.runs, &body);
    Put32(&out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    Put32(&out, kp_replay_Crc32(out.data(), out.size()));
    return out;
}

bool kp_replay_Decode(const unsigned char* bytes, size_t size, Replay* out, std::string* why) {
    const auto refuse = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    *out = Replay();
    if (size < 4 || bytes[0] != kMagic[0] || bytes[1] != kMagic[1] || bytes[2] != kMagic[2] || bytes[3] != kMagic[3]) {
        return refuse("not a replay file (it does not begin with GLRP)");
    }
    if (size < kReplayHeaderBytes + kCrcBytes) return refuse("truncated: " + std::to_string(size) + " bytes is less than a header");
    if (bytes[4] != kReplayFormat) {
        return refuse("replay format " + std::to_string(bytes[4]) + ", this game reads format " + std::to_string(kReplayFormat));
    }
    const uint32_t bodySize = Get32(bytes + 22);
    if (bodySize > kReplayMaxBytes) return refuse("damaged: its key runs would take " + std::to_string(bodySize) + " bytes");
    const size_t whole = kReplayHeaderBytes + bodySize + kCrcBytes;
    if (size < whole) return refuse("truncated: " + std::to_string(size) + " of its " + std::to_string(whole) + " bytes");
    if (size > whole) return refuse(std::to_string(size - whole) + " bytes after the end of the replay");
    if (kp_replay_Crc32(bytes, whole - kCrcBytes) != Get32(bytes + whole - kCrcBytes)) {
        return refuse("damaged or edited: its checksum does not match");
    }
    for (int i = 0; i < 3; ++i) out->gameVersion[i] = bytes[5 + i];
    out->levelSet = Get32(bytes + 8);
    out->level = bytes[12];
    out->scheme = bytes[13];
    const uint32_t updates = Get32(bytes + 14);
    out->finalState = Get32(bytes + 18);
    if (out->level < 0 || out->level > kReplayLevels) return refuse("level " + std::to_string(out->level) + " is not one of 0..15");
    if (out->scheme != 1 && out->scheme != 2) return refuse("jump scheme " + std::to_string(out->scheme) + " is neither 1 nor 2");
    if (updates < 1 || updates > static_cast<uint32_t>(kReplayMaxUpdates)) {
        return refuse(std::to_string(updates) + " updates is not a run of 1 to " + std::to_string(kReplayMaxUpdates));
    }
    out->updates = static_cast<int>(updates);
    if (!DecodeRuns(bytes + kReplayHeaderBytes, bodySize, out->updates, &out->runs)) {
        return refuse("damaged: its key runs do not add up to its " + std::to_string(updates) + " updates");
    }
    return true;
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
    if (text.size() > kReplayMaxBytes) return false;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        int value = -1;
        for (int i = 0; i < 64; ++i) {
            if (kLinkAlphabet[i] == c) value = i;
        }
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
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string kp_replay_TimeText(int updates) {
    if (updates < 0) updates = 0;
    const int hundredths = static_cast<int>(static_cast<long long>(updates) * 100 / kUpdatesPerSecond);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%02d", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
    return text;
}
