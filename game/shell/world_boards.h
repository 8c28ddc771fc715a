// The game's side of the world boards (the score server, glimmer-scores):
// the player's key, name and choice, the outbox of runs waiting to be
// posted, and the client that reads a level's board and posts runs in the
// background through the host's HTTP requests (host/http_client.h). Nothing
// here waits for the network: Update() is called once a game update and
// looks at what has come in.
//
// The player file, ".zephyrboards" beside the save, is text:
//
//   Glimmer boards 1
//   key 3f9c...              the random key of this install (40 letters and digits)
//   name Holly               the name the player chose; absent until chosen
//   posting on               unasked | on | off
//   server http://host:8080  the server's address; absent: the default
//   check 1a2b3c4d           CRC-32 of every byte before this line
//
// The outbox, ".zephyroutbox" beside the save, holds the runs waiting to be
// posted, all numbers little-endian:
//
//   "GLOB", format 1 (one byte), the number of runs (2 bytes),
//   then for each run: its length (4 bytes), the replay file, CRC-32 of the file (4 bytes).
//
// A damaged run is dropped alone; the others are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int kBoardTopSize = 10;
constexpr size_t kOutboxMostRuns = 64;       // the oldest run waiting goes when a newer one would be the 65th
constexpr int kBoardsRetryUpdates = 60 * 30; // a failed post is tried again after 30 seconds

enum class Posting { kUnasked, kOn, kOff };

struct BoardsPlayer {
    std::string key;
    std::string name;
    Posting posting = Posting::kUnasked;
    std::string server;
};

std::string kp_boards_EncodePlayer(const BoardsPlayer& player);
// False (and `out` untouched) for a damaged file.
bool kp_boards_DecodePlayer(const std::string& text, BoardsPlayer* out);
// A new random player key: 40 letters and digits.
std::string kp_boards_NewKey();
// Why the server would refuse the name ("" when it takes its form): 2 to 24
// printable ASCII characters, no "/", no space at either end nor two in a row.
std::string kp_boards_NameProblem(const std::string& name);

using RunBytes = std::vector<unsigned char>;
std::vector<unsigned char> kp_boards_EncodeOutbox(const std::vector<RunBytes>& runs);
std::vector<RunBytes> kp_boards_DecodeOutbox(const unsigned char* bytes, size_t size);

// One place of a board.
struct WorldPlace {
    int rank = 0;
    std::string name;
    int updates = 0;
    std::string time;
    long long run = 0;   // the run's id: its replay is /api/runs/ID/replay
};

// A board's top as the server gives it, with the player's own place.
struct WorldTop {
    std::string board;   // the level's hash, 8 hex digits
    std::vector<WorldPlace> runs;
    bool playerPlaced = false;
    WorldPlace player;
};
// Reads the answer of /api/boards/HASH/top; false when it is not one.
bool kp_boards_ParseTop(const std::string& json, WorldTop* out);
// The board of a level's hash: "1591e70d".
std::string kp_boards_BoardText(uint32_t levelHash);
// The server's address as given (a trailing "/" dropped); the browser's default is its own origin, "".
std::string kp_boards_Address(const std::string& configured);

// Where a board read stands.
enum class BoardState { kNone, kFetching, kShown, kOffline, kNotSet };

class BoardsClient {
public:
    // `saveOutbox` keeps the outbox's bytes (beside the save, atomically);
    // `hasServer` false: no address is set (a desktop game without one).
    BoardsClient() = default;
    void Configure(const BoardsPlayer& player, bool hasServer, std::string address,
                   std::function<void(const std::vector<unsigned char>&)> saveOutbox);
    void SetOutbox(std::vector<RunBytes> runs) { outbox_ = std::move(runs); }
    const std::vector<RunBytes>& Outbox() const { return outbox_; }
    // A new name or choice; runs held back for a refused name are tried again.
    void SetPlayer(const BoardsPlayer& player) {
        player_ = player;
        retryIn_ = 0;
    }
    const BoardsPlayer& Player() const { return player_; }

    // Keeps a new best run for posting; it is written to the outbox at once.
    void Queue(const RunBytes& replay);
    // Reads a level's board (its hash's), with the player's place.
    void Fetch(uint32_t levelHash);
    // Fetches a run's replay to watch or race; Replay() holds it once in.
    void FetchReplay(long long run);
    // A board as if it had just been read (the pictures of the screen show one without a server).
    void Shown(uint32_t levelHash, const WorldTop& top) {
        top_ = top;
        shownHash_ = levelHash;
        state_ = BoardState::kShown;
    }
    void RetryNow() { retryIn_ = 0; }
    // Takes what has come in; sends the next run of the outbox when posting is on.
    void Update();

    BoardState State() const { return state_; }
    const WorldTop& Top() const { return top_; }
    uint32_t ShownHash() const { return shownHash_; }
    bool ReplayWaiting() const { return replayTicket_ != 0; }
    bool TakeReplay(RunBytes* bytes, bool* failed);   // true once the fetched replay is in (or failed)
    // The last post's outcome for a status line; cleared by TakeStatus.
    std::string TakeStatus();
    bool PostUnderWay() const { return posting_ != 0; }

private:
    void SaveOutbox();
    void Answered(int status, const std::string& body);

    BoardsPlayer player_;
    bool hasServer_ = false;
    std::string address_;
    std::function<void(const std::vector<unsigned char>&)> saveOutbox_;
    std::vector<RunBytes> outbox_;
    int posting_ = 0;               // the ticket of the post under way
    int retryIn_ = 0;               // updates until the outbox is tried again
    int topTicket_ = 0;
    std::vector<int> abandoned_;    // reads of a board no longer wanted: their answers are dropped
    uint32_t fetchingHash_ = 0, shownHash_ = 0;
    BoardState state_ = BoardState::kNone;
    WorldTop top_;
    int replayTicket_ = 0;
    bool replayIn_ = false, replayFailed_ = false;
    RunBytes replay_;
    std::string status_;
};
