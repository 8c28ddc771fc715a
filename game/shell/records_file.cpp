#include "game/shell/records_file.h"

#include "game/world/level_hash.h"
#include "game/world/replay_file.h"

namespace {

constexpr unsigned char kMagic[4] = {'G', 'L', 'R', 'C'};
constexpr int kCrcBytes = 4;
constexpr unsigned kTimerShown = 1u << 0;
constexpr unsigned kGhostHidden = 1u << 1;
// Formats 2 and 3: the header and a row of the index, before their CRC-32s.
struct Layout {
    size_t headerBytes, rowBytes;
    bool assisted;   // format 3: an assisted whole game in the header, a speed in each row
};
constexpr Layout kSecondLayout = {15, 21, false};
constexpr Layout kLayout = {24, 22, true};
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
std::string RecordName(int level, bool assisted) { return LevelName(level) + (assisted ? " (assisted)" : ""); }

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
    if (replay.speed != record.speed) return "its run was played at another game speed";
    return "";
}

bool Assisted(int speed) { return speed < kReplayNormalSpeed; }

// Keeps a level's record in `out` when it can be kept, else says why not.
void Keep(const LevelRecord& record, int level, GameRecords* out, RecordsRead* read) {
    const std::string why = Unkept(record, level);
    if (why.empty()) {
        (Assisted(record.speed) ? out->assisted : out->levels)[level - 1] = record;
    } else {
        read->dropped.push_back(RecordName(level, Assisted(record.speed)) + ": " + why);
    }
}

void KeepGameTime(int updates, uint32_t levelSet, int speed, GameRecords* out, RecordsRead* read) {
    if (updates <= 0) return;
    const bool assisted = Assisted(speed);
    if (levelSet != kp_Glimmer_LevelSetHash()) {
        read->dropped.push_back(std::string("the whole game's time") + (assisted ? " (assisted)" : "") +
                                ": made on other levels");
        return;
    }
    (assisted ? out->bestAssistedGameUpdates : out->bestGameUpdates) = updates;
    (assisted ? out->assistedGameLevelSet : out->gameLevelSet) = levelSet;
    if (assisted) out->assistedGameSpeed = speed;
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
    KeepGameTime(static_cast<int>(Get32(bytes + 10)), levelSet, kReplayNormalSpeed, out, &read);
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

namespace {

bool HasRecord(const LevelRecord& level) { return level.bestUpdates != 0 || level.fewestDeaths != kNoDeathsRecord; }

}  // namespace

std::vector<unsigned char> kp_records_Encode(const GameRecords& records) {
    std::vector<unsigned char> out(kMagic, kMagic + 4);
    out.push_back(kRecordsFormat);
    out.push_back(static_cast<unsigned char>((records.timerShown ? kTimerShown : 0) | (records.ghostShown ? 0 : kGhostHidden)));
    Put32(&out, static_cast<uint32_t>(records.bestGameUpdates));
    Put32(&out, records.gameLevelSet);
    Put32(&out, static_cast<uint32_t>(records.bestAssistedGameUpdates));
    Put32(&out, records.assistedGameLevelSet);
    out.push_back(static_cast<unsigned char>(records.assistedGameSpeed));
    // Each level's record of normal speed, then its assisted one.
    std::vector<std::pair<int, const LevelRecord*>> rows;
    for (int i = 0; i < kRecordLevels; ++i) {
        if (HasRecord(records.levels[i])) rows.push_back({i + 1, &records.levels[i]});
        if (HasRecord(records.assisted[i])) rows.push_back({i + 1, &records.assisted[i]});
    }
    out.push_back(static_cast<unsigned char>(rows.size()));
    Put32(&out, kp_replay_Crc32(out.data(), out.size()));
    size_t offset = kLayout.headerBytes + kCrcBytes + rows.size() * (kLayout.rowBytes + kCrcBytes);
    std::vector<unsigned char> runs;
    for (const auto& [level, record] : rows) {
        const size_t row = out.size();
        out.push_back(static_cast<unsigned char>(level));
        out.push_back(static_cast<unsigned char>(record->speed));
        Put32(&out, record->levelHash);
        Put32(&out, static_cast<uint32_t>(record->bestUpdates));
        Put32(&out, static_cast<uint32_t>(record->fewestDeaths));
        Put32(&out, static_cast<uint32_t>(offset));
        Put32(&out, static_cast<uint32_t>(record->replay.size()));
        Put32(&out, kp_replay_Crc32(out.data() + row, kLayout.rowBytes));
        runs.insert(runs.end(), record->replay.begin(), record->replay.end());
        offset += record->replay.size();
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
    if (bytes[4] != 2 && bytes[4] != kRecordsFormat) return read;
    const Layout layout = bytes[4] == 2 ? kSecondLayout : kLayout;
    if (size < layout.headerBytes + kCrcBytes || !CrcHolds(bytes, layout.headerBytes)) return read;
    read.valid = true;
    ReadSwitches(bytes[5], out);
    KeepGameTime(static_cast<int>(Get32(bytes + 6)), Get32(bytes + 10), kReplayNormalSpeed, out, &read);
    if (layout.assisted) {
        const int speed = bytes[22];
        if (Assisted(speed) && speed > 0) {
            KeepGameTime(static_cast<int>(Get32(bytes + 14)), Get32(bytes + 18), speed, out, &read);
        } else if (Get32(bytes + 14) != 0) {
            read.dropped.push_back("the whole game's time (assisted): its numbers are damaged");
        }
    }
    const int rows = bytes[layout.headerBytes - 1];
    const size_t speedBytes = layout.assisted ? 1 : 0;
    bool seen[2][kRecordLevels] = {};
    for (int r = 0; r < rows; ++r) {
        const size_t row = layout.headerBytes + kCrcBytes + r * (layout.rowBytes + kCrcBytes);
        if (row + layout.rowBytes + kCrcBytes > size || !CrcHolds(bytes + row, layout.rowBytes)) {
            read.dropped.push_back("record " + std::to_string(r + 1) + " of " + std::to_string(rows) + ": damaged");
            continue;
        }
        const int level = bytes[row];
        LevelRecord record;
        record.speed = layout.assisted ? bytes[row + 1] : kReplayNormalSpeed;
        const bool assisted = Assisted(record.speed);
        const size_t at = row + 1 + speedBytes;
        if (level < 1 || level > kRecordLevels || seen[assisted][level - 1] || record.speed > kReplayNormalSpeed ||
            record.speed == 0) {
            read.dropped.push_back(LevelName(level) + ": not a level of this game, or twice");
            continue;
        }
        seen[assisted][level - 1] = true;
        record.levelHash = Get32(bytes + at);
        record.bestUpdates = static_cast<int>(Get32(bytes + at + 4));
        record.fewestDeaths = static_cast<int>(Get32(bytes + at + 8));
        const uint32_t offset = Get32(bytes + at + 12), length = Get32(bytes + at + 16);
        if (offset > size || length > size - offset) {
            read.dropped.push_back(RecordName(level, assisted) + ": its run is cut short");
            continue;
        }
        record.replay.assign(bytes + offset, bytes + offset + length);
        Keep(record, level, out, &read);
    }
    return read;
}
