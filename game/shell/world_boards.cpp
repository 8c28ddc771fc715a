#include "game/shell/world_boards.h"

#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <random>
#include <sstream>

#include "game/world/replay_file.h"
#include "host/http_client.h"

namespace {

constexpr const char* kPlayerHeader = "Glimmer boards 1";
constexpr char kOutboxMagic[4] = {'G', 'L', 'O', 'B'};
constexpr int kOutboxFormat = 1;
constexpr size_t kOutboxHeader = 7;
constexpr size_t kMostReplayBytes = size_t{1} << 20;   // the server takes no larger body
constexpr size_t kNameMin = 2, kNameMax = 24;
constexpr int kKeyLength = 40;
constexpr int kJsonDeepest = 16;

uint32_t Crc(const std::string& text) {
    return kp_replay_Crc32(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

void Put32(std::vector<unsigned char>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}
uint32_t Get32(const unsigned char* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// A JSON value of the server's answers: enough of JSON to read them, and
// refusing anything malformed or nested deeper than they are.
struct Json {
    enum Kind { kNull, kBool, kNumber, kText, kList, kObject } kind = kNull;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    const Json* Get(const char* name) const {
        for (const auto& [key, value] : members) {
            if (key == name) return &value;
        }
        return nullptr;
    }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}
    bool Read(Json* out) {
        if (!Value(out, 0)) return false;
        Space();
        return at_ == s_.size();
    }

private:
    void Space() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\n' || s_[at_] == '\r' || s_[at_] == '\t')) ++at_;
    }
    bool Word(const char* word) {
        const std::string w(word);
        if (s_.compare(at_, w.size(), w) != 0) return false;
        at_ += w.size();
        return true;
    }
    bool Text(std::string* out) {
        if (at_ >= s_.size() || s_[at_] != '"') return false;
        ++at_;
        while (at_ < s_.size() && s_[at_] != '"') {
            const char c = s_[at_++];
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out->push_back(c);
                continue;
            }
            if (at_ >= s_.size()) return false;
            const char e = s_[at_++];
            switch (e) {
                case '"': case '\\': case '/': out->push_back(e); break;
                case 'b': out->push_back('\b'); break;
                case 'f': out->push_back('\f'); break;
                case 'n': out->push_back('\n'); break;
                case 'r': out->push_back('\r'); break;
                case 't': out->push_back('\t'); break;
                case 'u': {
                    if (at_ + 4 > s_.size()) return false;
                    unsigned code = 0;
                    for (int i = 0; i < 4; ++i) {
                        const char h = s_[at_++];
                        const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                        : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
                        if (digit < 0) return false;
                        code = code << 4 | static_cast<unsigned>(digit);
                    }
                    // The names the game shows are ASCII; anything else is drawn as "?".
                    out->push_back(code < 0x80 ? static_cast<char>(code) : '?');
                    break;
                }
                default: return false;
            }
        }
        if (at_ >= s_.size()) return false;
        ++at_;
        return true;
    }
    bool Value(Json* out, int depth) {
        if (depth > kJsonDeepest) return false;
        Space();
        if (at_ >= s_.size()) return false;
        const char c = s_[at_];
        if (c == '{') {
            out->kind = Json::kObject;
            ++at_;
            Space();
            if (at_ < s_.size() && s_[at_] == '}') return ++at_, true;
            for (;;) {
                Space();
                std::pair<std::string, Json> member;
                if (!Text(&member.first)) return false;
                Space();
                if (at_ >= s_.size() || s_[at_++] != ':') return false;
                if (!Value(&member.second, depth + 1)) return false;
                out->members.push_back(std::move(member));
                Space();
                if (at_ >= s_.size()) return false;
                if (s_[at_] == '}') return ++at_, true;
                if (s_[at_++] != ',') return false;
            }
        }
        if (c == '[') {
            out->kind = Json::kList;
            ++at_;
            Space();
            if (at_ < s_.size() && s_[at_] == ']') return ++at_, true;
            for (;;) {
                Json item;
                if (!Value(&item, depth + 1)) return false;
                out->items.push_back(std::move(item));
                Space();
                if (at_ >= s_.size()) return false;
                if (s_[at_] == ']') return ++at_, true;
                if (s_[at_++] != ',') return false;
            }
        }
        if (c == '"') {
            out->kind = Json::kText;
            return Text(&out->text);
        }
        if (Word("null")) return out->kind = Json::kNull, true;
        if (Word("true")) return out->kind = Json::kBool, out->number = 1, true;
        if (Word("false")) return out->kind = Json::kBool, true;
        const size_t start = at_;
        while (at_ < s_.size() && std::string("+-.eE0123456789").find(s_[at_]) != std::string::npos) ++at_;
        if (at_ == start) return false;
        std::istringstream number(s_.substr(start, at_ - start));
        number.imbue(std::locale::classic());
        out->kind = Json::kNumber;
        return static_cast<bool>(number >> out->number) && number.peek() == EOF;
    }

    const std::string& s_;
    size_t at_ = 0;
};

bool ReadJson(const std::string& text, Json* out) { return JsonReader(text).Read(out); }

long long Number(const Json& object, const char* name) {
    const Json* value = object.Get(name);
    return value && value->kind == Json::kNumber ? static_cast<long long>(value->number) : 0;
}
std::string TextOf(const Json& object, const char* name) {
    const Json* value = object.Get(name);
    return value && value->kind == Json::kText ? value->text : std::string();
}

bool ReadEntry(const Json& json, WorldPlace* out) {
    if (json.kind != Json::kObject) return false;
    out->rank = static_cast<int>(Number(json, "rank"));
    out->name = TextOf(json, "name");
    out->updates = static_cast<int>(Number(json, "updates"));
    out->time = TextOf(json, "time");
    out->run = Number(json, "run");
    return out->rank > 0 && !out->name.empty();
}

// A name in a query: everything but letters and digits percent-encoded.
std::string QueryText(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c)) {
            out += static_cast<char>(c);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", c);
            out += code;
        }
    }
    return out;
}

std::string BodyText(const std::vector<unsigned char>& body) { return std::string(body.begin(), body.end()); }

// The server's reason in an error answer, or the status.
std::string Reason(int status, const std::string& body) {
    Json json;
    if (ReadJson(body, &json) && json.kind == Json::kObject && !TextOf(json, "error").empty()) {
        return TextOf(json, "error");
    }
    return "the server answered " + std::to_string(status);
}

}  // namespace

std::string kp_boards_EncodePlayer(const BoardsPlayer& player) {
    std::string text = std::string(kPlayerHeader) + "\n";
    text += "key " + player.key + "\n";
    if (!player.name.empty()) text += "name " + player.name + "\n";
    text += std::string("posting ") +
            (player.posting == Posting::kOn ? "on" : player.posting == Posting::kOff ? "off" : "unasked") + "\n";
    if (!player.server.empty()) text += "server " + player.server + "\n";
    char check[32];
    std::snprintf(check, sizeof check, "check %08x\n", static_cast<unsigned>(Crc(text)));
    return text + check;
}

bool kp_boards_DecodePlayer(const std::string& text, BoardsPlayer* out) {
    const size_t checkAt = text.rfind("check ");
    if (checkAt == std::string::npos || (checkAt > 0 && text[checkAt - 1] != '\n')) return false;
    unsigned check = 0;
    if (std::sscanf(text.c_str() + checkAt, "check %8x", &check) != 1 || check != Crc(text.substr(0, checkAt))) return false;
    std::istringstream lines(text.substr(0, checkAt));
    std::string line;
    if (!std::getline(lines, line) || line != kPlayerHeader) return false;
    BoardsPlayer player;
    while (std::getline(lines, line)) {
        const size_t space = line.find(' ');
        const std::string name = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (name == "key") player.key = value;
        else if (name == "name") player.name = value;
        else if (name == "server") player.server = value;
        else if (name == "posting") player.posting = value == "on" ? Posting::kOn : value == "off" ? Posting::kOff : Posting::kUnasked;
    }
    if (player.key.size() < 32) return false;
    if (!player.name.empty() && !kp_boards_NameProblem(player.name).empty()) player.name.clear();
    *out = player;
    return true;
}

std::string kp_boards_NewKey() {
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(),
                       static_cast<unsigned>(std::chrono::high_resolution_clock::now().time_since_epoch().count())};
    std::mt19937 random(seed);
    std::string key;
    for (int i = 0; i < kKeyLength; ++i) key += kDigits[random() % (sizeof kDigits - 1)];
    return key;
}

std::string kp_boards_NameProblem(const std::string& name) {
    if (name.size() < kNameMin || name.size() > kNameMax) return "a name has 2 to 24 characters";
    for (unsigned char c : name) {
        if (c < 0x20 || c > 0x7e) return "a name has letters, digits, spaces and punctuation only";
    }
    if (name.find('/') != std::string::npos) return "a name has no \"/\"";
    if (name.front() == ' ' || name.back() == ' ' || name.find("  ") != std::string::npos) {
        return "a name neither starts nor ends with a space, nor has two in a row";
    }
    return "";
}

std::vector<unsigned char> kp_boards_EncodeOutbox(const std::vector<RunBytes>& runs) {
    std::vector<unsigned char> out(kOutboxMagic, kOutboxMagic + 4);
    out.push_back(kOutboxFormat);
    out.push_back(static_cast<unsigned char>(runs.size() & 0xff));
    out.push_back(static_cast<unsigned char>(runs.size() >> 8));
    for (const RunBytes& run : runs) {
        Put32(out, static_cast<uint32_t>(run.size()));
        out.insert(out.end(), run.begin(), run.end());
        Put32(out, kp_replay_Crc32(run.data(), run.size()));
    }
    return out;
}

std::vector<RunBytes> kp_boards_DecodeOutbox(const unsigned char* bytes, size_t size) {
    std::vector<RunBytes> runs;
    if (size < kOutboxHeader || std::string(reinterpret_cast<const char*>(bytes), 4) != std::string(kOutboxMagic, 4) ||
        bytes[4] != kOutboxFormat) {
        return runs;
    }
    const size_t count = bytes[5] | size_t{bytes[6]} << 8;
    size_t at = kOutboxHeader;
    for (size_t i = 0; i < count && at + 4 <= size; ++i) {
        const size_t length = Get32(bytes + at);
        // A length past the end or beyond any replay: nothing after it can be found.
        if (length > kMostReplayBytes || length + 8 > size - at) break;
        const unsigned char* run = bytes + at + 4;
        if (Get32(run + length) == kp_replay_Crc32(run, length)) runs.emplace_back(run, run + length);
        at += length + 8;
    }
    return runs;
}

bool kp_boards_ParseTop(const std::string& text, WorldTop* out) {
    Json json;
    if (!ReadJson(text, &json) || json.kind != Json::kObject) return false;
    const Json* runs = json.Get("runs");
    if (!runs || runs->kind != Json::kList) return false;
    WorldTop top;
    top.board = TextOf(json, "board");
    for (const Json& item : runs->items) {
        WorldPlace entry;
        if (!ReadEntry(item, &entry)) return false;
        top.runs.push_back(entry);
    }
    const Json* player = json.Get("player");
    top.playerPlaced = player && ReadEntry(*player, &top.player);
    *out = top;
    return true;
}

std::string kp_boards_BoardText(uint32_t levelHash) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(levelHash));
    return text;
}

std::string kp_boards_Address(const std::string& configured) {
    std::string address = configured;
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address;
}

// ---- The client ----

void BoardsClient::Configure(const BoardsPlayer& player, bool hasServer, std::string address,
                             std::function<void(const std::vector<unsigned char>&)> saveOutbox) {
    player_ = player;
    hasServer_ = hasServer;
    address_ = kp_boards_Address(address);
    saveOutbox_ = std::move(saveOutbox);
    state_ = BoardState::kNone;
    retryIn_ = 0;
}

void BoardsClient::SaveOutbox() {
    if (saveOutbox_) saveOutbox_(kp_boards_EncodeOutbox(outbox_));
}

void BoardsClient::Queue(const RunBytes& replay) {
    if (replay.empty() || replay.size() > kMostReplayBytes) return;
    // The run under way is the front: the oldest of the others makes room.
    if (outbox_.size() >= kOutboxMostRuns) outbox_.erase(outbox_.begin() + (posting_ != 0 ? 1 : 0));
    outbox_.push_back(replay);
    SaveOutbox();
    retryIn_ = 0;
}

void BoardsClient::Fetch(uint32_t levelHash) {
    if (!hasServer_) {
        state_ = BoardState::kNotSet;
        return;
    }
    if (topTicket_ != 0) {
        if (fetchingHash_ == levelHash) return;
        abandoned_.push_back(topTicket_);
    }
    HttpRequest request;
    request.url = address_ + "/api/boards/" + kp_boards_BoardText(levelHash) + "/top?limit=" +
                  std::to_string(kBoardTopSize);
    if (!player_.name.empty()) request.url += "&player=" + QueryText(player_.name);
    request.timeoutSeconds = 10;
    topTicket_ = kp_http_Send(request);
    fetchingHash_ = levelHash;
    state_ = BoardState::kFetching;
}

void BoardsClient::FetchReplay(long long run) {
    if (!hasServer_ || replayTicket_ != 0) return;
    HttpRequest request;
    request.url = address_ + "/api/runs/" + std::to_string(run) + "/replay";
    replayTicket_ = kp_http_Send(request);
    replayIn_ = replayFailed_ = false;
}

bool BoardsClient::TakeReplay(RunBytes* bytes, bool* failed) {
    if (!replayIn_) return false;
    replayIn_ = false;
    *failed = replayFailed_;
    bytes->swap(replay_);
    replay_.clear();
    return true;
}

std::string BoardsClient::TakeStatus() {
    std::string status;
    status.swap(status_);
    return status;
}

void BoardsClient::Answered(int status, const std::string& body) {
    if (outbox_.empty()) return;
    if (status == 200 || status == 201) {
        Json json;
        const bool read = ReadJson(body, &json) && json.kind == Json::kObject;
        status_ = "Posted: level " + std::to_string(read ? Number(json, "level") : 0) + ", place " +
                  std::to_string(read ? Number(json, "rank") : 0) + " on the world board";
        outbox_.erase(outbox_.begin());
        SaveOutbox();
        if (shownHash_ != 0 || fetchingHash_ != 0) {
            const uint32_t hash = fetchingHash_ != 0 ? fetchingHash_ : shownHash_;
            if (topTicket_ == 0) Fetch(hash);
        }
        return;
    }
    const std::string reason = Reason(status, body);
    // Refused for what the run is: it never will be taken, so it goes.
    const bool copied = status == 409 && reason.find("posted before") != std::string::npos;
    if (status == 422 || status == 413 || copied) {
        status_ = "Not posted: " + reason;
        outbox_.erase(outbox_.begin());
        SaveOutbox();
        return;
    }
    // Refused for the name: the runs wait until the player chooses another.
    if (status == 400 || status == 409) {
        status_ = "Not posted: " + reason + ": choose another name";
        retryIn_ = INT_MAX;
        return;
    }
    status_ = status == 0 ? "Not posted yet: no server answers; the run is kept for later"
                          : "Not posted yet: " + reason + "; the run is kept for later";
    retryIn_ = kBoardsRetryUpdates;
}

void BoardsClient::Update() {
    HttpAnswer answer;
    for (size_t i = 0; i < abandoned_.size();) {
        if (kp_http_Take(abandoned_[i], &answer)) abandoned_.erase(abandoned_.begin() + static_cast<long>(i));
        else ++i;
    }
    if (posting_ != 0 && kp_http_Take(posting_, &answer)) {
        posting_ = 0;
        Answered(answer.status, BodyText(answer.body));
    }
    if (topTicket_ != 0 && kp_http_Take(topTicket_, &answer)) {
        topTicket_ = 0;
        WorldTop top;
        if (answer.status == 200 && kp_boards_ParseTop(BodyText(answer.body), &top)) {
            top_ = top;
            shownHash_ = fetchingHash_;
            state_ = BoardState::kShown;
        } else {
            state_ = BoardState::kOffline;
        }
        fetchingHash_ = 0;
    }
    if (replayTicket_ != 0 && kp_http_Take(replayTicket_, &answer)) {
        replayTicket_ = 0;
        replayIn_ = true;
        replayFailed_ = answer.status != 200 || answer.body.empty();
        replay_ = std::move(answer.body);
    }
    if (retryIn_ > 0 && retryIn_ != INT_MAX) --retryIn_;
    const bool mayPost = hasServer_ && player_.posting == Posting::kOn && kp_boards_NameProblem(player_.name).empty();
    if (posting_ == 0 && retryIn_ == 0 && mayPost && !outbox_.empty()) {
        HttpRequest request;
        request.method = "POST";
        request.url = address_ + "/api/runs";
        request.headers = {{"X-Glimmer-Name", player_.name}, {"X-Glimmer-Key", player_.key},
                           {"Content-Type", "application/octet-stream"}};
        request.body = outbox_.front();
        request.timeoutSeconds = 60;   // a busy server verifies the run before it answers
        posting_ = kp_http_Send(request);
    }
}
