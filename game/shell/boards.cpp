// The world boards in the game: the player file and the outbox beside the
// save, the address of the server, posting new best runs, the name typed
// once, and world runs fetched to watch or to race as a ghost. The requests
// run in the background (host/http_client.h); p_BoardsUpdate takes what has
// come in once an update, so no update ever waits for the network.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/shell/records_layout.h"
#include "game/world/level_map.h"
#include "game/world/level_hash.h"
#include "host/key_codes.h"
#include "input/input_device.h"
#include "runtime/errors.h"

namespace {

constexpr const char* kPlayerFile = ".zephyrboards";
constexpr const char* kOutboxFile = ".zephyroutbox";
// Points the game at a server, over the player file's "server" line: for
// tests, and a player trying a server once.
constexpr const char* kAddressVariable = "GLIMMER_SCORES_URL";
constexpr int kNoteUpdates = 300;

}  // namespace

void c_MyApp::p_LoadBoards() {
    kp_app_RemoveStaleTempsBeside(kPlayerFile);
    kp_app_RemoveStaleTempsBeside(kOutboxFile);
    BoardsPlayer player;
    std::vector<unsigned char> bytes;
    if (kp_app_LoadBeside(kPlayerFile, &bytes) &&
        !kp_boards_DecodePlayer(std::string(bytes.begin(), bytes.end()), &player)) {
        kpPrint(String("Boards Player Invalid: damaged, a new player key is made"));
    }
    // The key is made once; it is written with the player's first choice.
    if (player.key.empty()) player.key = kp_boards_NewKey();
    const char* variable = std::getenv(kAddressVariable);
    m_boardsAddress = variable && *variable ? variable : player.server;
#ifdef __EMSCRIPTEN__
    // A page asks its own origin unless told otherwise: a site serves the board beside the game.
    m_boardsServerSet = true;
#else
    m_boardsServerSet = !m_boardsAddress.empty();
#endif
    m_boards.Configure(player, m_boardsServerSet, m_boardsAddress,
                       [](const std::vector<unsigned char>& outbox) { kp_app_SaveBeside(kOutboxFile, outbox); });
    bytes.clear();
    if (kp_app_LoadBeside(kOutboxFile, &bytes)) {
        std::vector<RunBytes> runs = kp_boards_DecodeOutbox(bytes.data(), bytes.size());
        if (!runs.empty()) {
            kpPrint(String::FromUtf8("Outbox Loaded: " + std::to_string(runs.size()) + " runs waiting to be posted"));
        }
        m_boards.SetOutbox(std::move(runs));
    }
}

void c_MyApp::p_SaveBoardsPlayer() {
    const std::string text = kp_boards_EncodePlayer(m_boards.Player());
    kp_app_SaveBeside(kPlayerFile, std::vector<unsigned char>(text.begin(), text.end()));
}

void c_MyApp::p_QueueWorldRun(const std::vector<unsigned char>& replay) {
    if (m_boards.Player().posting != Posting::kOn || replay.empty()) return;
    for (const RunBytes& waiting : m_boards.Outbox()) {
        if (waiting == replay) return;
    }
    m_boards.Queue(replay);
}

void c_MyApp::p_QueueBestRuns() {
    for (const LevelRecord& record : m_records.levels) p_QueueWorldRun(record.replay);
}

void c_MyApp::p_SwitchPosting() {
    BoardsPlayer player = m_boards.Player();
    if (player.posting == Posting::kOn) {
        player.posting = Posting::kOff;
        m_recordsNote = String(" Your runs are no longer posted");
    } else if (!kp_boards_NameProblem(player.name).empty()) {
        m_naming = true;
        m_nameTyped = player.name;
        m_nameProblem.clear();
        while (kp_input_GetChar() != 0) {   // the key that asked is not the name's first letter
        }
        return;
    } else {
        player.posting = Posting::kOn;
        m_recordsNote = String::FromUtf8(" Your best runs are posted as " + player.name);
    }
    m_recordsNoteTimer = kNoteUpdates;
    m_boards.SetPlayer(player);
    p_SaveBoardsPlayer();
    p_QueueBestRuns();
}

bool c_MyApp::p_NameEntry() {
    if (!m_naming) return false;
    bool done = false, cancelled = false;
    for (int c = kp_input_GetChar(); c != 0; c = kp_input_GetChar()) {
        if (c == kKeyBackspace) {
            if (!m_nameTyped.empty()) m_nameTyped.pop_back();
        } else if (c == kKeyEscape) {
            cancelled = true;
        } else if (c == kKeyEnter) {
            done = true;
        } else if (c >= 32 && c <= 126 && m_nameTyped.size() < 24) {
            m_nameTyped += static_cast<char>(c);
        }
    }
    if (kp_input_KeyHit(kKeyEscape) > 0) cancelled = true;
    if (kp_input_KeyHit(kKeyEnter) > 0) done = true;
    if (cancelled) {
        m_naming = false;
    } else if (done) {
        m_nameProblem = kp_boards_NameProblem(m_nameTyped);
        if (m_nameProblem.empty()) {
            BoardsPlayer player = m_boards.Player();
            player.name = m_nameTyped;
            player.posting = Posting::kOn;
            m_boards.SetPlayer(player);
            p_SaveBoardsPlayer();
            p_QueueBestRuns();
            m_naming = false;
            m_recordsNote = String::FromUtf8(" Your best runs are posted as " + player.name);
            m_recordsNoteTimer = kNoteUpdates;
            if (m_recordsSel >= 0 && m_recordsSel < kRecordLevels) m_boards.Fetch(kp_Glimmer_LevelHash(m_recordsSel + 1));
            p_PlaySFX2(kSfxConfirm, 0.5f);
        }
    }
    if (!m_naming) m_keyLatch = m_clickLatch = 1;

    // The panel over the screen.
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    const float k = std::min(1.0f, w / 460);
    p_SetCol(0, 0, 40, 0.92f);
    p_Rect(w / 2 - 220 * k, h / 2 - 70 * k, 440 * k, 140 * k);
    p_SetSize(1.5f * k);
    p_SetCol(150, 200, 255, 1);
    p_Text(w / 2, h / 2 - 45 * k, String(" Your name on the world boards"), 1.0f, 1.0f);
    p_SetCol(255, 255, 255, 1);
    const bool cursor = (kp_app_Millisecs() / 400) % 2 == 0;
    p_Text(w / 2, h / 2 - 10 * k, String::FromUtf8(" " + m_nameTyped + (cursor ? "_" : " ")), 1.0f, 1.0f);
    p_SetSize(1.0f * k);
    p_SetCol(255, 230, 120, 1);
    if (!m_nameProblem.empty()) p_Text(w / 2, h / 2 + 20 * k, String::FromUtf8(" " + m_nameProblem), 1.0f, 1.0f);
    p_SetCol(200, 200, 220, 1);
    p_Text(w / 2, h / 2 + 45 * k, String(" Enter: post my best runs with it   Esc: not now"), 1.0f, 1.0f);
    p_ResetDraw();
    return true;
}

void c_MyApp::p_BoardsUpdate() {
    if (m_screen != kScreenRecords) m_recordsOpen = false;
    m_boards.Update();
    const std::string status = m_boards.TakeStatus();
    if (!status.empty()) {
        kpPrint(String::FromUtf8("Boards: " + status));
        m_recordsNote = String::FromUtf8(" " + status);
        m_recordsNoteTimer = kNoteUpdates;
    }
    RunBytes replay;
    bool failed = false;
    if (m_boards.TakeReplay(&replay, &failed)) {
        const int purpose = m_worldFetch;
        m_worldFetch = 0;
        if (m_screen != kScreenRecords) return;   // the player has gone elsewhere meanwhile
        if (failed) {
            m_recordsNote = String(" That run could not be fetched");
        } else if (purpose == 2) {
            p_StartRace(m_worldFetchLevel, replay);
            return;
        } else if (p_WatchReplay(replay, kScreenRecords)) {
            return;
        } else {
            m_recordsNote = String(" This run does not play the same on this version of the game");
        }
        m_recordsNoteTimer = kNoteUpdates;
    }
}

void c_MyApp::p_StartRace(int level, const std::vector<unsigned char>& ghost) {
    m_pauseShown = 0;
    m_score = 0;
    m_quitGame = 0;
    m_gameOverTimer = 0;
    m_screen = kScreenPlaying;
    m_mapWidth = kLevelSide;
    m_mapHeight = kLevelSide;
    m_gameUpdates = 0;
    m_raceLevel = level;
    m_raceGhost = ghost;
    m_keyLatch = m_clickLatch = 1;
    p_BeginLevel(level);
}

// The chosen level's world board: its ten places and the player's own, or
// why it is not shown.
void c_MyApp::p_DrawWorldBoard(float x, float y, float row, float k) {
    const float size = 1.2f * k;
    p_SetSize(size);
    const auto line = [&](int index, const std::string& text, float r, float g, float b) {
        p_SetCol(r, g, b, 1);
        p_Text(x, y + index * row, String::FromUtf8(text), 0.0f, 1.0f);
    };
    const uint32_t wanted = kp_Glimmer_LevelHash(m_recordsSel + 1);
    const BoardState state = m_boards.State();
    if (state == BoardState::kNotSet) {
        line(0, "No server is set", 200, 200, 220);
        line(1, "(README: World boards)", 150, 150, 170);
    } else if (state == BoardState::kOffline) {
        line(0, "offline", 250, 150, 150);
        line(1, "no server answers", 150, 150, 170);
    } else if (state == BoardState::kFetching || m_boards.ShownHash() != wanted) {
        // A spinner: eight dots, one bright, going round.
        const int lit = (kp_app_Millisecs() / 100) % 8;
        for (int i = 0; i < 8; ++i) {
            const float angle = i * 3.14159265f / 4;
            p_SetCol(255, 255, 255, i == lit ? 1.0f : 0.3f);
            p_Oval(x + 14 * k + 9 * k * std::cos(angle), y + row / 2 + 9 * k * std::sin(angle), 2 * k, 2 * k);
        }
        line(0, "      fetching", 200, 200, 220);
    } else {
        const WorldTop& top = m_boards.Top();
        if (top.runs.empty()) line(0, "No runs yet: be the first", 200, 200, 220);
        for (size_t i = 0; i < top.runs.size() && i < static_cast<size_t>(kBoardTopSize); ++i) {
            const WorldPlace& entry = top.runs[i];
            const float rowY = y + static_cast<float>(i) * row;
            if (m_recordsColumn == 2 && static_cast<int>(i) == m_worldSel) {
                p_SetCol(255, 255, 255, 0.18f);
                p_Rect(x - 4 * k, rowY - row / 2, 220 * k, row);
            }
            const bool mine = top.playerPlaced && entry.rank == top.player.rank && entry.name == top.player.name;
            p_SetSize(size);
            if (mine) p_SetCol(255, 230, 120, 1); else p_SetCol(255, 255, 255, 1);
            char rank[8];
            std::snprintf(rank, sizeof rank, "%2d.", entry.rank);
            p_Text(x, rowY, String::FromUtf8(rank), 0.0f, 1.0f);
            std::string name = entry.name.size() > 13 ? entry.name.substr(0, 12) + "." : entry.name;
            p_Text(x + 30 * k, rowY, String::FromUtf8(name), 0.0f, 1.0f);
            p_Text(x + 215 * k, rowY, String::FromUtf8(entry.time), 2.0f, 1.0f);
        }
        const BoardsPlayer& player = m_boards.Player();
        std::string you;
        if (player.name.empty()) you = "You: choose a name (N)";
        else if (top.playerPlaced) you = "You: " + std::to_string(top.player.rank) + ". " + top.player.time;
        else you = "You: not on this board yet";
        line(kWorldRows - 1, you, 255, 230, 120);
    }
    const size_t waiting = m_boards.Outbox().size();
    if (waiting > 0 && state != BoardState::kNotSet) {
        p_SetSize(size * 0.8f);
        p_SetCol(150, 150, 170, 1);
        const std::string waits = std::to_string(waiting) + (waiting == 1 ? " run waits" : " runs wait") + " to be posted";
        p_Text(x, y + (kWorldRows - 2) * row, String::FromUtf8(waits), 0.0f, 1.0f);
    }
    p_SetSize(1.5f * k);
}
