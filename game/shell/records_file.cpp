#include "game/shell/records_file.h"

#include "game/world/level_hash.h"
#include "game/world/replay_file.h"

namespace {

constexpr unsigned char kMagic[4] = {'G', 'L', 'R', 'C'};
constexpr int kCrcBytes = 4;
constexpr unsigned kTimerShown = 1u << 0;
constexpr unsigned kGhostHidden = 1u << 1;
// Format 2: the header, and a row of the index.
constexpr size_t kHeaderBytes = 15;
constexpr size_t kRowBytes = 21;
// Format 1: the header, and a level's fields before its run.
constexpr size_t kFirstHeaderBytes = 15;
constexpr size_t kFirstLevelBytes = 12;

void Put32(std::vector<unsigned char>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

uint32_t Get32(const unsigned char* at) {
    return at[0] | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
}

bool CrcHolds(const unsigned char* bytes, size_t size) {
    return kp_replay_Crc32(bytes, size) == Get32(bytes + size);
}

std::string LevelName(int level) { return "level " + std::to_string(level); }

// Why a level's record cannot be kept, or "" when it can: its run must be a
// run of that level, made on the level the record names, taking the best
// time; a record without a run keeps its time and deaths alone.
std::string Unkept(const LevelRecord& record, int level) {
    if (record.bestUpdates < 0 || record.fewestDeaths < kNoDeathsRecord) return "its numbers are damaged";
    if (record.bestUpdates > 0 && record.fewestDeaths < 0) return "its numbers are damaged";
    if (record.levelHash != kp_Glimmer_LevelHash(level)) return "made on another version of the level";
    if (record.replay.empty()) return "";
    Replay replay;
    std::string why;
    if (!kp_replay_Decode(record.replay.data(), record.replay.size(), &replay, &why)) return "its run is refused (" + why + ")";
    uint32_t runLevel = replay.levelHash;
    if (replay.format == 1 && !kp_Glimmer_EarlierLevelHash(replay.levelSet, level, &runLevel)) {
        return "its run was made on levels this game does not know";
    }
    if (replay.level != level || runLevel != record.levelHash) return "its run is of another level";
    if (replay.updates != record.bestUpdates) return "its run does not take its best time";
    return "";
}

// Keeps a level's record in `out` when it can be kept, else says why not.
void Keep(const LevelRecord& record, int level, GameRecords* out, RecordsRead* read) {
    const std::string why = Unkept(record, level);
    if (why.empty()) {
        out->levels[level - 1] = record;
    } else {
        read->dropped.push_back(LevelName(level) + ": " + why);
    }
}

void KeepGameTime(int updates, uint32_t levelSet, GameRecords* out, RecordsRead* read) {
    if (updates <= 0) return;
    if (levelSet != kp_Glimmer_LevelSetHash()) {
        read->dropped.push_back("the whole game's time: made on other levels");
        return;
    }
    out->bestGameUpdates = updates;
    out->gameLevelSet = levelSet;
}

void ReadSwitches(unsigned char bits, GameRecords* out) {
    out->timerShown = (bits & kTimerShown) != 0;
    out->ghostShown = (bits & kGhostHidden) == 0;
}

RecordsRead DecodeFirstFormat(const unsigned char* bytes, size_t size, GameRecords* out) {
    RecordsRead read;
    if (size < kFirstHeaderBytes + kCrcBytes || bytes[14] != kRecordLevels || !CrcHolds(bytes, size - kCrcBytes)) {
        return read;
    }
    const uint32_t levelSet = Get32(bytes + 6);
    GameRecords file;
    size_t at = kFirstHeaderBytes;
    const size_t end = size - kCrcBytes;
    for (int i = 0; i < kRecordLevels; ++i) {
        if (end - at < kFirstLevelBytes) return read;
        LevelRecord& level = file.levels[i];
        level.bestUpdates = static_cast<int>(Get32(bytes + at));
        level.fewestDeaths = static_cast<int>(Get32(bytes + at + 4));
        const uint32_t length = Get32(bytes + at + 8);
        at += kFirstLevelBytes;
        if (length > end - at) return read;
        level.replay.assign(bytes + at, bytes + at + length);
        at += length;
    }
    if (at != end) return read;
    read.valid = true;
    ReadSwitches(bytes[5], out);
    KeepGameTime(static_cast<int>(Get32(bytes + 10)), levelSet, out, &read);
    for (int i = 0; i < kRecordLevels; ++i) {
        LevelRecord& level = file.levels[i];
        if (level.bestUpdates == 0 && level.fewestDeaths == kNoDeathsRecord && level.replay.empty()) continue;
        // Format 1 kept no run without a time: an entry without one is of no finished run.
        if (level.replay.empty() && level.bestUpdates != 0) {
            read.dropped.push_back(LevelName(i + 1) + ": its numbers are damaged");
            continue;
        }
        if (!kp_Glimmer_EarlierLevelHash(levelSet, i + 1, &level.levelHash)) {
            read.dropped.push_back(LevelName(i + 1) + ": made on levels this game does not know");
            continue;
        }
        Keep(level, i + 1, out, &read);
    }
    return read;
}

}  // namespace

std::vector<unsigned char> kp_records_Encode(const GameRecords& records) {
    std::vector<unsigned char> out(kMagic, kMagic + 4);
    out.push_back(kRecordsFormat);
    out.push_back(static_cast<unsigned char>((records.timerShown ? kTimerShown : 0) | (records.ghostShown ? 0 : kGhostHidden)));
    Put32(&out, static_cast<uint32_t>(records.bestGameUpdates));
    Put32(&out, records.gameLevelSet);
    int rows = 0;
    for (const LevelRecord& level : records.levels) rows += level.bestUpdates != 0 || level.fewestDeaths != kNoDeathsRecord;
    out.push_back(static_cast<unsigned char>(rows));
    Put32(&out, kp_replay_Crc32(out.data(), out.size()));
    size_t offset = kHeaderBytes + kCrcBytes + rows * (kRowBytes + kCrcBytes);
    std::vector<unsigned char> runs;
    for (int i = 0; i < kRecordLevels; ++i) {
        const LevelRecord& level = records.levels[i];
        if (level.bestUpdates == 0 && level.fewestDeaths == kNoDeathsRecord) continue;
        const size_t row = out.size();
        out.push_back(static_cast<unsigned char>(i + 1));
        Put32(&out, level.levelHash);
        Put32(&out, static_cast<uint32_t>(level.bestUpdates));
        Put32(&out, static_cast<uint32_t>(level.fewestDeaths));
        Put32(&out, static_cast<uint32_t>(offset));
        Put32(&out, static_cast<uint32_t>(level.replay.size()));
        Put32(&out, kp_replay_Crc32(out.data() + row, kRowBytes));
        runs.insert(runs.end(), level.replay.begin(), level.replay.end());
        offset += level.replay.size();
    }
    out.insert(out.end(), runs.begin(), runs.end());
    return out;
}

RecordsRead kp_records_Decode(const unsigned char* bytes, size_t size, GameRecords* out) {
    *out = GameRecords();
    RecordsRead read;
    if (size < 5 || bytes[0] != kMagic[0] || bytes[1] != kMagic[1] || bytes[2] != kMagic[2] || bytes[3] != kMagic[3]) {
        return read;
    }
    if (bytes[4] == 1) return DecodeFirstFormat(bytes, size, out);
    if (bytes[4] != kRecordsFormat || size < kHeaderBytes + kCrcBytes || !CrcHolds(bytes, kHeaderBytes)) return read;
    read.valid = true;
    ReadSwitches(bytes[5], out);
    KeepGameTime(static_cast<int>(Get32(bytes + 6)), Get32(bytes + 10), out, &read);
    const int rows = bytes[14];
    bool seen[kRecordLevels] = {};
    for (int r = 0; r < rows; ++r) {
        const size_t row = kHeaderBytes + kCrcBytes + r * (kRowBytes + kCrcBytes);
        if (row + kRowBytes + kCrcBytes > size || !CrcHolds(bytes + row, kRowBytes)) {
            read.dropped.push_back("record " + std::to_string(r + 1) + " of " + std::to_string(rows) + ": damaged");
            continue;
        }
        const int level = bytes[row];
        if (level < 1 || level > kRecordLevels || seen[level - 1]) {
            read.dropped.push_back(LevelName(level) + ": not a level of this game, or twice");
            continue;
        }
        seen[level - 1] = true;
        LevelRecord record;
        record.levelHash = Get32(bytes + row + 1);
        record.bestUpdates = static_cast<int>(Get32(bytes + row + 5));
        record.fewestDeaths = static_cast<int>(Get32(bytes + row + 9));
        const uint32_t offset = Get32(bytes + row + 13), length = Get32(bytes + row + 17);
        if (offset > size || length > size - offset) {
            read.dropped.push_back(LevelName(level) + ": its run is cut short");
            continue;
        }
        record.replay.assign(bytes + offset, bytes + offset + length);
        Keep(record, level, out, &read);
    }
    return read;
}
