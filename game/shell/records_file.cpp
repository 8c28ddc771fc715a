#include "game/shell/records_file.h"

#include "game/world/replay_file.h"

namespace {

constexpr unsigned char kMagic[4] = {'G', 'L', 'R', 'C'};
constexpr int kHeaderBytes = 15;
constexpr int kLevelBytes = 12;
constexpr int kCrcBytes = 4;
constexpr unsigned kTimerShown = 1u << 0;
constexpr unsigned kGhostHidden = 1u << 1;

void Put32(std::vector<unsigned char>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

uint32_t Get32(const unsigned char* at) {
    return at[0] | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
}

// A level's entry is whole when its replay is a run of that level on that
// level set taking the best time, or when it holds no run at all.
bool LevelConsistent(const LevelRecord& record, int level, uint32_t levelSet) {
    if (record.replay.empty()) return record.bestUpdates == 0;
    Replay replay;
    return kp_replay_Decode(record.replay.data(), record.replay.size(), &replay, nullptr) && replay.level == level &&
           replay.levelSet == levelSet && replay.updates == record.bestUpdates && record.fewestDeaths >= 0;
}

}  // namespace

std::vector<unsigned char> kp_records_Encode(const GameRecords& records) {
    std::vector<unsigned char> out(kMagic, kMagic + 4);
    out.push_back(kRecordsFormat);
    out.push_back(static_cast<unsigned char>((records.timerShown ? kTimerShown : 0) | (records.ghostShown ? 0 : kGhostHidden)));
    Put32(&out, records.levelSet);
    Put32(&out, static_cast<uint32_t>(records.bestGameUpdates));
    out.push_back(kRecordLevels);
    for (const LevelRecord& level : records.levels) {
        Put32(&out, static_cast<uint32_t>(level.bestUpdates));
        Put32(&out, static_cast<uint32_t>(level.fewestDeaths));
        Put32(&out, static_cast<uint32_t>(level.replay.size()));
        out.insert(out.end(), level.replay.begin(), level.replay.end());
    }
    Put32(&out, kp_replay_Crc32(out.data(), out.size()));
    return out;
}

RecordsRead kp_records_Decode(const unsigned char* bytes, size_t size, uint32_t levelSet, GameRecords* out) {
    *out = GameRecords();
    out->levelSet = levelSet;
    if (size < kHeaderBytes + kCrcBytes || bytes[0] != kMagic[0] || bytes[1] != kMagic[1] || bytes[2] != kMagic[2] ||
        bytes[3] != kMagic[3] || bytes[4] != kRecordsFormat || bytes[14] != kRecordLevels ||
        kp_replay_Crc32(bytes, size - kCrcBytes) != Get32(bytes + size - kCrcBytes)) {
        return kRecordsInvalid;
    }
    GameRecords read;
    read.timerShown = (bytes[5] & kTimerShown) != 0;
    read.ghostShown = (bytes[5] & kGhostHidden) == 0;
    read.levelSet = Get32(bytes + 6);
    read.bestGameUpdates = static_cast<int>(Get32(bytes + 10));
    size_t at = kHeaderBytes;
    const size_t end = size - kCrcBytes;
    for (int i = 0; i < kRecordLevels; ++i) {
        if (end - at < kLevelBytes) return kRecordsInvalid;
        LevelRecord& level = read.levels[i];
        level.bestUpdates = static_cast<int>(Get32(bytes + at));
        level.fewestDeaths = static_cast<int>(Get32(bytes + at + 4));
        const uint32_t length = Get32(bytes + at + 8);
        at += kLevelBytes;
        if (length > end - at) return kRecordsInvalid;
        level.replay.assign(bytes + at, bytes + at + length);
        at += length;
        if (!LevelConsistent(level, i + 1, read.levelSet)) return kRecordsInvalid;
    }
    if (at != end || read.bestGameUpdates < 0) return kRecordsInvalid;
    out->timerShown = read.timerShown;
    out->ghostShown = read.ghostShown;
    if (read.levelSet != levelSet) return kRecordsOtherLevels;
    *out = read;
    return kRecordsLoaded;
}
