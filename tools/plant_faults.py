#!/usr/bin/env python3
"""Plants realistic faults in the product code, one at a time, and runs the
quick tests for each: every fault must make them fail.

    tools/plant_faults.py [--list] [--ctest ARGS] [--windows] [FAULT...]

Each fault is a literal edit of one source file (every occurrence of a short
text). The file must have no uncommitted change; it is put back after its
run, also when the run is interrupted. For each fault the tool builds with
`scripts/test.sh` (the quick run) and prints the tests that failed; it ends
with status 1 when a fault went unnoticed or no longer applies (the code it
edits has changed: update the fault here).

The faults of the Windows platform layer (WINDOWS_FAULTS: code only the
Windows build compiles, or that only Windows output shows) are planted with
--windows instead: the Windows test build is made (`scripts/windows.sh
--tests`) and its host and game suites run under Wine
(`tests/windows/wine_suites.sh`).
"""
import argparse
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# name: (file, text, replacement, what the fault is)
FAULTS = {
    "step-off-by-one": (
        "game/world/player.cpp",
        "return offset < -15 || offset >= kTilePixels;",
        "return offset < -15 || offset > kTilePixels;",
        "a move to the right carries the hero one pixel past his tile"),
    "swapped-stick": (
        "game/shell/controls.cpp",
        "case kGameKeyUp: return sy > kStickThreshold;",
        "case kGameKeyUp: return sy < -kStickThreshold;",
        "the stick pushed down works the up key"),
    "checksum-weight": (
        "game/shell/save_data.cpp",
        "wrap_mul(m_settings.Get(n), n)",
        "wrap_mul(m_settings.Get(n), n + 1)",
        "the settings checksum weighs setting n by n + 1, on saving and loading alike"),
    "missed-batch-flush": (
        "graphics/renderer.cpp",
        "int gxtkGraphics::SetBlend(int mode) {\n    Flush();\n",
        "int gxtkGraphics::SetBlend(int mode) {\n",
        "a blend change leaves the batch drawn so far to the new mode"),
    "mark-omission": (
        "game/shell/my_app.cpp",
        "    gc_mark_q(m_touchX);\n",
        "",
        "the application's touch positions are not marked"),
    "framework-mark-omission": (
        "input/input_device.cpp",
        "    gc_mark_q(m__keyHit);\n",
        "",
        "the input device's hit counts are not marked"),
    "barrier-omission": (
        "runtime/array.h",
        "            if constexpr (kIsObject) gc_mark_q(value);\n",
        "",
        "an object stored into an array element skips the write barrier"),
    "missed-save-on-close": (
        "game/shell/save_data.cpp",
        "int c_MyApp::p_OnClose() {\n    p_Save();\n",
        "int c_MyApp::p_OnClose() {\n",
        "a close request ends the program without saving the settings"),
    "unscaled-click": (
        "game/shell/screen_flow.cpp",
        "m_touchX[n] = static_cast<int>((kp_input_TouchX(n) - kp_Glimmer_overscan) / m_scaleX);",
        "m_touchX[n] = static_cast<int>(kp_input_TouchX(n) - kp_Glimmer_overscan);",
        "pointer and touch x positions are not scaled to the virtual screen"),
    "pause-runs-on": (
        "game/world/game_round.cpp",
        "bool c_MyApp::p_RoundFrozen() { return (m_pauseShown == 1 && m_pauseDir != -1) || m_quitGame > 0; }",
        "bool c_MyApp::p_RoundFrozen() { return m_quitGame > 0; }",
        "the round goes on behind the pause panel"),
    "pause-snow-draws": (
        "game/world/game_round.cpp",
        "    std::swap(kp_random_Seed, m_pauseSeed);\n    p_AddSnow();\n    std::swap(kp_random_Seed, m_pauseSeed);\n",
        "    p_AddSnowFrom(m_roundSeed);\n",
        "the snow of a paused round draws from the round's random sequence"),
    "tie-is-a-highscore": (
        "game/world/game_round.cpp",
        "if (m_score > m_hiScores.Get(at)) {",
        "if (m_score >= m_hiScores.Get(at)) {",
        "a score equal to an entry, 0 among zeros, ranks as a new highscore"),
    "replays-score": (
        "game/world/game_round.cpp",
        "    if (p_LivePlay()) m_score += points;",
        "    m_score += points;",
        "a replay played for the ghost or watched adds its points to the player's score"),
    "records-unchecked": (
        "game/shell/records_file.cpp",
        "    return kp_replay_Crc32(bytes, size) == Get32(bytes + size);",
        "    return true;",
        "the records file's checksums are not compared"),
    "replay-run-short": (
        "game/world/replay_file.cpp",
        "    total_ += length;",
        "    total_ += length + (length > 40);",
        "a long run of keys reads back one update short of what was recorded"),
    "replay-long-run-overflows": (
        "game/world/replay_file.cpp",
        "for (int left = whole.updates; left > 0; left -= kReplayMaxRun) {\n"
        "            const int updates = left < kReplayMaxRun ? left : kReplayMaxRun;",
        "for (int left = whole.updates; left > 0; left = 0) {\n            const int updates = left;",
        "keys unchanged for more than 2^18 updates are coded as one run, past the coder's tables"),
    "replay-an-hour-at-most": (
        "game/world/replay_file.h",
        "constexpr int kReplayMaxUpdates = 24 * 60 * 60 * 60;",
        "constexpr int kReplayMaxUpdates = 60 * 60 * 60;",
        "a replay holds an hour, so a first finish after an hour keeps a run the reader refuses"),
    "scheme-unsealed": (
        "game/world/replay_file.cpp",
        "    if (replay.format == 1) return roundState;\n",
        "    return roundState;\n",
        "the final state leaves the jump scheme and the speed out: an edited scheme verifies"),
    "one-bad-record-drops-all": (
        "game/shell/records_file.cpp",
        "        Keep(record, level, out, &read);\n    }\n    return read;",
        "        Keep(record, level, out, &read);\n        if (!read.dropped.empty()) return RecordsRead();\n"
        "    }\n    return read;",
        "one record that cannot be kept makes the whole records file invalid"),
    "records-of-the-whole-set": (
        "game/shell/records_file.cpp",
        "        if (!kp_Glimmer_EarlierLevelHash(levelSet, i + 1, &level.levelHash)) {",
        "        if (levelSet != kp_Glimmer_LevelSetHash() || !kp_Glimmer_EarlierLevelHash(levelSet, i + 1, &level.levelHash)) {",
        "records of an earlier level set are dropped although their levels did not change"),
    "replay-played-at-once": (
        "game/world/replay_run.cpp",
        "!p_StepHiddenRun(kHiddenRunSlice, kHiddenRunMillis)) return;",
        "!p_StepHiddenRun(kReplayMaxUpdates)) return;",
        "a replay being watched, the ghost or a link is played through in one update, freezing the window"),
    "round-not-restarted": (
        "game/world/replay_run.cpp",
        "    RestartRound();\n    m_level = n;",
        "    m_level = n;",
        "entering a level leaves the round's latches and clocks as the last level left them"),
    "hash-skips-a-latch": (
        "game/world/round_state.h",
        "visit(m_jumpLatch, RoundField::kDecides);",
        "visit(m_jumpLatch, RoundField::kKept);",
        "the final-state hash leaves the jump latch out"),
    "temporaries-kept": (
        "game/shell/records.cpp",
        "    kp_app_RemoveStaleTempsBeside(kReplayFolder);\n",
        "",
        "the replays' temporary files left by a crash are never removed"),
    "replays-folder-unchecked": (
        "host/game_host.cpp",
        "        if (!kp_file_MakeFolder(path.substr(0, slash))) return kStateNoFolder;",
        "        kp_file_MakeFolder(path.substr(0, slash));",
        "a replays folder that cannot be made goes untold"),
    "pause-flag-off-the-game": (
        "game/shell/screen_flow.cpp",
        "    if (m_screen != kScreenPlaying) {",
        "    if (m_screen < kScreenPlaying) {",
        "a focus lost on the Records screen or the ending sets the pause flag"),
    "window-icons-not-given": (
        "framework/app.cpp",
        "void c_GameDelegate::StartGame() {\n    GiveWindowIcons();\n",
        "void c_GameDelegate::StartGame() {\n",
        "the framework no longer hands the host the window's icons"),
    "shipped-ogg-not-found": (
        "audio/audio_device.cpp",
        "if (!KpGame::_game->LoadFileBytes(file, kMaxAudioBytes, &bytes) && wave) {",
        "if (!KpGame::_game->LoadFileBytes(file, kMaxAudioBytes, &bytes) && false) {",
        "a sound asked for as a wave file is not looked for as the Ogg Vorbis file shipped in its place"),
    "verify-reads-a-folder": (
        "tools/replay/main.cpp",
        "    if (std::filesystem::is_directory(path, error)) {",
        "    if (false) {",
        "glimmer-replay verify reads a folder as a file"),
    "plunger-window-short": (
        "game/world/player.cpp",
        "constexpr int kPlungerTime = 480;",
        "constexpr int kPlungerTime = 450;",
        "a plunger's window lasts half a second less"),
    "launcher-rhythm": (
        "game/world/objects.cpp",
        "constexpr int kLauncherLast = 119;",
        "constexpr int kLauncherLast = 111;",
        "launchers fire every 112 updates instead of 120"),
    "pause-keeps-keys": (
        "game/shell/menus.cpp",
        "        m_staleKeys = closingKey;",
        "        m_staleKeys = p_LiveRoundKeys();",
        "keys held through the pause count as released on resume: Pipkin drops from his bar"),
    "slide-out-frozen": (
        "game/world/game_round.cpp",
        "return (m_pauseShown == 1 && m_pauseDir != -1) || m_quitGame > 0;",
        "return m_pauseShown == 1 || m_quitGame > 0;",
        "the round stays frozen while the pause panel slides away"),
    "pause-key-latched": (
        "game/world/game_round.cpp",
        "    if (m_pauseShown == 1 && m_pauseDir == 1) {\n        m_pauseDir = -1;",
        "    if (m_pauseShown == 1 && m_pauseDir == 1 && p_LiveRoundKeys() == kReplayOther) {\n        m_pauseDir = -1;",
        "the pause key closes the panel only while no other key is held"),
    "caption-at-edge": (
        "game/world/game_round.cpp",
        "p_Text(kp_Glimmer_jscrw - 8, 20,",
        "p_Text(kp_Glimmer_jscrw - 2, 20,",
        "the level caption touches the window's right edge"),
    "plunger-cue-hidden": (
        "game/world/game_round.cpp",
        "            p_DrawImg(kImageTiles, kPlungerHudX, kPlungerHudY, kPlungerFrame + left / 120);\n",
        "",
        "the running plunger is no longer drawn beside the pause button"),
    "unchecked-crc": (
        "graphics/image_data.cpp",
        "!= ReadBe32(data + chunkLength)) return kImageBadCrc;",
        "!= ReadBe32(data + chunkLength)) {}",
        "chunk CRCs are computed but not compared"),
    "board-rank-from-zero": (
        "server/score_store.cpp",
        "return static_cast<int>(rows.Int(0, 0)) + 1;",
        "return static_cast<int>(rows.Int(0, 0));",
        "a board's places count from 0: the fastest run is told it is 0th"),
    "slower-run-ranked": (
        "server/score_store.cpp",
        "WHERE excluded.updates < board_bests.updates",
        "WHERE excluded.updates > board_bests.updates",
        "a player's slower run replaces the best on the board"),
    "stored-board-unchecked": (
        "server/run_verifier.cpp",
        "    if (storedBoard && *storedBoard != verdict.board) {",
        "    if (false) {",
        "reverification believes a run that plays another level than its board's"),
    "hour-limit-off-by-one": (
        "server/score_api.cpp",
        "    if (header.updates > kBoardMaxUpdates) {",
        "    if (header.updates >= kBoardMaxUpdates) {",
        "a run of exactly the hour a board takes is refused unplayed"),
    "run-not-committed": (
        "server/score_store.cpp",
        "        }\n        transaction.Commit();\n        return result;",
        "        }\n        return result;",
        "a run answered 201 is rolled back, never stored"),
    "key-kept-plain": (
        "server/players.cpp",
        "    EVP_Digest(key.data(), key.size(), digest, &length, EVP_sha256(), nullptr);",
        "    return key;",
        "the server keeps players' keys themselves instead of their hashes"),
    "names-case-sensitive": (
        "server/players.cpp",
        "    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));\n",
        "",
        "\"Holly\" and \"hOLLY\" are two players"),
    "no-limit-per-key": (
        "server/score_api.cpp",
        "    if (!postsByKey_.Allow(keyHash)) {",
        "    if (false) {",
        "a key flooding from many addresses is never limited"),
    "queue-one-over": (
        "server/verification_queue.cpp",
        "if (stopping_ || jobs_.size() >= capacity_) return std::nullopt;",
        "if (stopping_ || jobs_.size() > capacity_) return std::nullopt;",
        "the verification queue takes one run more than its bound"),
    "stop-drops-queued": (
        "server/verification_queue.cpp",
        "            if (jobs_.empty()) return;  // stopping, and every queued job is done",
        "            if (stopping_) return;",
        "a stop drops the runs still waiting for verification"),
    "reverify-keeps-best": (
        "server/score_store.cpp",
        "db.Run(\"DELETE FROM board_bests WHERE board_hash = $1 AND player_id = $2\", {board, run.player});",
        "(void)board;",
        "a run refused by reverification stays on its board"),
    "tile-not-drawn": (
        "game/world/scenery.cpp",
        "if (tile >= 1 && tile <= 64) p_DrawImg(kImageTiles, sx, sy, frame);",
        "if (tile >= 1 && tile <= 64 && tile != kTileLadder) p_DrawImg(kImageTiles, sx, sy, frame);",
        "ladders are not drawn, though Pipkin still climbs them"),
    "time-without-hundredths": (
        "game/world/replay_file.cpp",
        '"%d:%02d.%02d", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);',
        '"%d:%02d", hundredths / 6000, hundredths / 100 % 60);',
        "times are shown without their hundredths"),
    "other-scheme-hint": (
        "game/shell/tutorial.cpp",
        "const bool twoButton = m_settings.Get(1) == 2;",
        "const bool twoButton = m_settings.Get(1) != 2;",
        "the tutorial tells the jump buttons of the other jump scheme"),
    "records-row-offset": (
        "game/shell/records.cpp",
        "static_cast<int>(std::floor((y - top + row / 2) / row));",
        "static_cast<int>(std::floor((y - top) / row));",
        "a click or tap on the Records screen selects the row half a row above"),
    "records-switches-overlap": (
        "game/shell/records_layout.cpp",
        "x(firstSwitch + i * l.switchStep)",
        "x(firstSwitch + i * 26)",
        "the Records screen's timer and ghost switches overlap"),
    "controls-under-pause": (
        "game/shell/touch_controls.cpp",
        "screen == kScreenPlaying && pauseShown == 0 && quitGame == 0;",
        "screen == kScreenPlaying && quitGame == 0;",
        "the on-screen controls stay live under the pause panel"),
    "worse-time-kept": (
        "game/shell/records.cpp",
        "m_levelUpdates < record.bestUpdates",
        "m_levelUpdates > record.bestUpdates",
        "a slower finish replaces the best time and its run"),
    "more-deaths-kept": (
        "game/shell/records.cpp",
        "m_levelDeaths < record.fewestDeaths",
        "m_levelDeaths > record.fewestDeaths",
        "a finish with more deaths replaces the fewest deaths"),
    "bonus-wrong-clock": (
        "game/shell/records.cpp",
        "TimeBonus(m_level, m_levelUpdates)",
        "TimeBonus(m_level, m_gameUpdates)",
        "the time bonus is reckoned from the whole game's clock, not the level's"),
    "hidden-run-unmarked": (
        "game/world/replay_run.cpp",
        "    game.m_simulating = true;\n    game.m_watching = true;\n",
        "    game.m_watching = true;\n",
        "a run played without a picture (the ghost's) is not marked as such"),
    "verify-last-status": (
        "tools/replay/main.cpp",
        "if (!valid) status = 1;",
        "status = valid ? 0 : 1;",
        "glimmer-replay verify ends with the status of its last file alone"),
    "undo-in-order": (
        "game/world/level_edit.cpp",
        "for (auto c = step.rbegin(); c != step.rend(); ++c) level_.map[static_cast<size_t>(c->index)] = c->before;",
        "for (auto c = step.begin(); c != step.end(); ++c) level_.map[static_cast<size_t>(c->index)] = c->before;",
        "undo puts a step's tiles back first to last, so a move over itself leaves tiles behind"),
    "edit-keeps-proof": (
        "game/world/level_edit.cpp",
        "    redo_.clear();\n    level_.proof.clear();\n",
        "    redo_.clear();\n",
        "an edit in the editor leaves the proof of the map before it"),
    "spike-row-off-by-one": (
        "game/world/level_map.h",
        "constexpr int kLevelSpikeRow = kLevelSide - 2;",
        "constexpr int kLevelSpikeRow = kLevelSide - 3;",
        "the rules look for the spike row one row too high"),
    "launcher-limit-off-by-one": (
        "game/world/level_map.cpp",
        "if (launchers > kLevelMaxLaunchers) {",
        "if (launchers >= kLevelMaxLaunchers) {",
        "a level with exactly as many launchers as the mover records hold is refused"),
    "proof-from-cursor": (
        "game/shell/player_levels.cpp",
        "if (m_playerPlay.fromCursor || m_playerPlay.revision",
        "if (m_playerPlay.revision",
        "a test from the editor's cursor proves the level"),
    "unproved-level-records": (
        "game/shell/player_levels.cpp",
        "if (!m_playerPlay.proved || m_playerPlay.index < 0",
        "if (m_playerPlay.index < 0",
        "an unproved player's level keeps a best run"),
    "unpack-wrong-neighbour": (
        "game/world/level_map.cpp",
        "                c = n.above;\n",
        "                c = n.upperLeft;\n",
        "a packed map's tile that repeats the one above it unpacks as the one above-left"),
    "level-hash-unchecked": (
        "game/world/level_file.cpp",
        "if (kp_level_Hash(out->map) != Get32(bytes + 5))",
        "if (false)",
        "a level file whose map is not the level its hash names is read"),
    "test-death-stays": (
        "game/shell/player_levels.cpp",
        "const bool died = m_playerPlay.testing &&",
        "const bool died = false &&",
        "a death in a test from the editor rebuilds the level instead of going back to the editor"),
    "route-proves-unplayed": (
        "game/shell/route_search.cpp",
        "        m_route.checking = true;\n        p_QueueLevelCheck({LevelRunKind::kRoute, m_editor.edit.Map(), run, m_route.revision, {}, false}, true);",
        "        m_editor.edit.SetProof(run);",
        "a route the solver found proves the level without being played again on its map"),
    "route-search-no-limit": (
        "game/shell/route_search.cpp",
        "} else if (kp_app_Millisecs() - m_route.startMillis >= kRouteSearchSeconds * kMillisPerSecond) {",
        "} else if (kp_app_Millisecs() - m_route.startMillis > 10 * kRouteSearchSeconds * kMillisPerSecond) {",
        "the route search runs on past its minute"),
    "route-search-left-running": (
        "game/shell/editor.cpp",
        "        p_StopRouteSearch(std::string());\n        edit.EndStroke();",
        "        edit.EndStroke();",
        "leaving the editor leaves the solver searching"),
    "level-list-check-unsliced": (
        "game/shell/player_levels.cpp",
        "    if (!started) p_LevelRunChecked(false, refusal);",
        "    if (!started) p_LevelRunChecked(false, refusal);\n    while (started && !p_StepHiddenRun(kReplayMaxUpdates)) {\n    }",
        "the list of levels plays each proof whole in one update"),
    "checked-run-by-hash-alone": (
        "game/shell/player_levels.cpp",
        "    CheckedRuns()[RunKey(kp_level_Hash(check.map), check.run)] = valid;",
        "    CheckedRuns()[RunKey(kp_level_Hash(check.map), check.run)] = valid;\n"
        "    for (const PlayerLevel& entry : m_playerLevels) {\n"
        "        if (kp_level_Hash(entry.level.map) == kp_level_Hash(check.map)) CheckedRuns()[RunKey(kp_level_Hash(check.map), entry.level.proof)] = valid;\n"
        "    }",
        "a proof played on a map counts for every level file of the same map"),
    "palette-below-tools": (
        "game/shell/editor.cpp",
        "if ((kindCount + paletteColumns - 1) / paletteColumns * cellSize > paletteRoom) {",
        "if (false) {",
        "on a short screen the palette's last squares fall under the tools and off the screen"),
    "editor-pad-place": (
        "game/shell/editor.cpp",
        "Hit(kKeySpace) || Hit(kKeyEnter) || PadHit(kPadPlace)",
        "Hit(kKeySpace) || Hit(kKeyEnter)",
        "the gamepad's bottom button places nothing in the editor"),
    "editor-work-lost-on-suspend": (
        "game/shell/screen_flow.cpp",
        "    p_Save();\n    p_KeepEditorWork();\n",
        "    p_Save();\n",
        "the level being edited is not written when the window loses the focus"),
    "level-verify-last-status": (
        "tools/level/main.cpp",
        "if (!proved) status = 1;",
        "status = proved ? 0 : 1;",
        "glimmer-level verify ends with the status of its last file alone"),
    "settings-check-ignored": (
        "game/shell/settings_file.cpp",
        "if (checkText != Hex(check) + \"\\n\" && checkText != Hex(check)) return false;",
        "",
        "a settings file edited without its check is read as it is"),
    "setting-not-saved": (
        "game/shell/options_screen.cpp",
        "        choice.Set(m_playerSettings, next);\n        p_SavePlayerSettings();\n",
        "        choice.Set(m_playerSettings, next);\n",
        "a setting changed on the Options screen is not written to the settings file"),
    "speed-ignored": (
        "game/world/assists.cpp",
        "if (due(n) > due(n - 1)) return false;",
        "if (due(n) >= due(n - 1)) return false;",
        "the round never stands still: a slower game speed plays at normal speed"),
    "paced-tap-lost": (
        "game/world/assists.cpp",
        "    if (!m_watching) m_pacedKeys |= p_LiveRoundKeys() & ~m_staleKeys;\n",
        "",
        "a key tapped while a slower round stands still is lost"),
    "speed-unsealed": (
        "game/world/replay_file.cpp",
        "return Fnv(Fnv(roundState, replay.scheme), replay.speed);",
        "return Fnv(roundState, replay.scheme);",
        "a replay's speed byte is not sealed: an edited speed verifies"),
    "assisted-mixed": (
        "game/shell/records.cpp",
        "    const bool assisted = m_recording.speed < kReplayNormalSpeed;\n    LevelRecord& record",
        "    const bool assisted = false;\n    LevelRecord& record",
        "an assisted run is kept as a record of normal speed"),
    "assisted-row-unmarked": (
        "game/shell/records_file.cpp",
        "out.push_back(static_cast<unsigned char>(record->speed));",
        "out.push_back(static_cast<unsigned char>(kReplayNormalSpeed));",
        "the records file writes every row at normal speed, so assisted records come back as normal ones"),
    "grip-kept-over-levels": (
        "game/world/replay_run.cpp",
        "    m_gripOn = m_gripWasDown = false;\n",
        "",
        "a grip toggled on stays on into the next level"),
    "calm-skips-draws": (
        "game/world/scenery.cpp",
        "float v = std::floor(rnd(m_roundSeed, 0, 40.99f));",
        "float v = p_Calm() ? 0 : std::floor(rnd(m_roundSeed, 0, 40.99f));",
        "calm effects skip a draw of the sky's drift, so a run with them plays otherwise"),
    "open-exit-unringed": (
        "game/world/scenery.cpp",
        "    if (open) {\n        p_SetCol(255, 255, 255, 0.9f);",
        "    if (open && calm) {\n        p_SetCol(255, 255, 255, 0.9f);",
        "the open exit is ringed only with calm effects: otherwise told by its brightness alone"),
    "effects-volume-ignored": (
        "game/shell/assets.cpp",
        "kp_audio_SetChannelVolume(channel, volume * m_playerSettings.effectsVolume / 100.0f);",
        "kp_audio_SetChannelVolume(channel, volume);",
        "the effects volume does not reach the effects"),
    "left-handed-pad-stays": (
        "game/shell/touch_controls.cpp",
        "        l.padX = w - l.padX;\n",
        "",
        "the left-handed layout moves the buttons but leaves the pad where it was"),
    "music-races-after-away": (
        "game/shell/screen_flow.cpp",
        "    if (kp_Glimmer_HasMusic == 1) m_music->p_SG_Alive_U(1, 0);\n",
        "",
        "after the window was away the music races through the rows it missed"),
    "level-file-name-as-bytes": (
        "game/shell/player_levels.cpp",
        "kp_platform_OpenFile(String::FromUtf8(KpGame::_game->BesideStatePath(name))",
        "kp_platform_OpenFile(String(KpGame::_game->BesideStatePath(name).c_str())",
        "a level file named outside ASCII is listed as \"cannot be read\": its name encoded twice"),
    "solver-writes-to-nobody": (
        "tools/solver/main.cpp",
        "            if (std::fflush(stdout) != 0) return false;",
        "            std::fflush(stdout);",
        "a route search whose editor is gone runs on to its limit where a closed pipe raises no signal"),
    "announcer-says-once": (
        "game/shell/announcer.cpp",
        "if (text == m_spoken || text.empty()) return;",
        "if (!m_spoken.empty() || text.empty()) return;",
        "the live region says the first line and never another"),
    "board-takes-assisted": (
        "server/run_verifier.cpp",
        "if (header.speed != kReplayNormalSpeed) {",
        "if (false) {",
        "the world boards rank assisted runs with the others"),
    "cue-shot-behind-launcher": (
        "tools/solver/fairness.cpp",
        "if ((sx - lx) * direction < 0 || LauncherColumn(session, ly, direction, sx) != lx) continue;",
        "if ((sx - lx) * direction > 0 || LauncherColumn(session, ly, direction, sx) != lx) continue;",
        "the fairness measure takes a launcher's shots for those flying on its wrong side: cues in view missed"),
    "private-folder-of-running-tool-swept": (
        "host/headless/game.cpp",
        "if (end == digits || *end != '\\0' || kp_process_Runs(pid)) continue;",
        "if (end == digits || *end != '\\0') continue;",
        "a tool starting removes the private folders of tools still running, not only of killed ones"),
    "plan-release-from-moved-change": (
        "tools/solver/human_plan.cpp",
        "const int from = made[i - 1], p = changes[i - 1], c = made[i], q = made[i + 1];",
        "const int from = changes[i - 1], p = changes[i - 1], c = made[i], q = made[i + 1];",
        "the plan a person follows judges a release from the game where an earlier release used to be:"
        " releases left at the edge of their range"),
    "cue-beat-alone": (
        "tools/solver/fairness.cpp",
        "if (session.BaselineTile(at % kSide, at / kSide, 9) == phase) beat.push_back(at);",
        "if (at == cell) beat.push_back(at);",
        "the fairness measure takes only the deciding launcher for its beat: a launcher of the same beat in view missed"),
    "cue-any-beat": (
        "tools/solver/fairness.cpp",
        "if (session.BaselineTile(at % kSide, at / kSide, 9) == phase) beat.push_back(at);",
        "beat.push_back(at);",
        "the fairness measure takes any launcher in view for the deciding one's beat"),
    "shot-hits-a-row-above": (
        "game/world/objects.cpp",
        "constexpr int kHitHalfHeight = 8;",
        "constexpr int kHitHalfHeight = 17;",
        "a shot kills a hero a whole row above it: a ladder's top rung and a jump no longer let it pass below"),
    "board-rank-off-by-one": (
        "game/shell/world_boards.cpp",
        'out->rank = static_cast<int>(Number(json, "rank"));',
        'out->rank = static_cast<int>(Number(json, "rank")) + 1;',
        "the world board's places are read one too low"),
    "outbox-lost-on-failure": (
        "game/shell/world_boards.cpp",
        "if (status == 200 || status == 201) {",
        "if (status == 200 || status == 201 || status >= 500) {",
        "a post the server could not take (503) is taken for posted and leaves the outbox"),
    "outbox-not-written": (
        "game/shell/world_boards.cpp",
        "    outbox_.push_back(replay);\n    SaveOutbox();\n",
        "    outbox_.push_back(replay);\n",
        "a run queued for posting is kept in memory only, lost if the game ends before it is posted"),
    "board-of-another-level": (
        "game/shell/records.cpp",
        "m_boards.Fetch(kp_Glimmer_LevelHash(m_recordsSel + 1));",
        "m_boards.Fetch(kp_Glimmer_LevelHash(m_recordsSel));",
        "the Records screen asks for the board of the level before the one chosen"),
    "records-rows-overlap-switches": (
        "game/shell/records_layout.cpp",
        "    l.row = std::floor(l.row * k);",
        "    l.row = std::round(l.row * k);",
        "the Records screen's level rows, rounded up on a 16:9 window, reach over the switches"),
    "name-key-typed": (
        "game/shell/boards.cpp",
        "        while (kp_input_GetChar() != 0) {   // the key that asked is not the name's first letter\n        }\n",
        "",
        "the P that opens the name entry becomes the name's first letter"),
    "race-without-ghost": (
        "game/world/replay_run.cpp",
        "    if (race) best = &m_raceGhost;\n",
        "",
        "a world run raced from the Records screen brings no ghost (only the player's own best, if any)"),
    "tool-stop-unreaped": (
        "host/posix/tool_process.cpp",
        "    int status = 0;\n    while (waitpid(static_cast<pid_t>(pid_), &status, 0) < 0 && errno == EINTR) {\n    }\n",
        "",
        "a stopped helper program is killed but never reaped: each stopped route search leaves a zombie"),
}


# Planted with --windows: caught by the suites of the Windows build under Wine.
WINDOWS_FAULTS = {
    "win-tool-tail-dropped": (
        "host/win32/tool_process.cpp",
        "    while (output_ != -1) {",
        "    while (output_ != -1 && WaitForSingleObject(AsHandle(process_), 0) != WAIT_OBJECT_0) {",
        "once a helper program has ended, what it wrote last, still in the pipe, is never read"),
    "win-tool-not-killed": (
        "host/win32/tool_process.cpp",
        "    TerminateProcess(AsHandle(process_), 1);\n    WaitForSingleObject(AsHandle(process_), INFINITE);\n",
        "",
        "stopping a helper program closes its handles but leaves it running (the solver searches on)"),
    "win-tool-args-unquoted": (
        "host/win32/tool_process.cpp",
        "if (!arg.empty() && arg.find_first_of(L\" \\t\\n\\v\\\"\") == std::wstring::npos) {",
        "if (true) {",
        "a helper program's arguments are joined unquoted: a level file path with a space arrives split"),
    "win-tool-no-exe": (
        "host/win32/tool_process.cpp",
        "    const std::string file = name + \".exe\";",
        "    const std::string file = name;",
        "the tool is looked for without .exe, so the Windows game never finds its solver"),
    "route-line-carriage-return": (
        "game/shell/route_search.cpp",
        "end > 0 && m_route.output[end - 1] == '\\r' ? end - 1 : end",
        "end",
        "the solver's lines keep the carriage return of a Windows console program: its route is not read"),
}


def windows_run(ctest_args):
    """The Windows test build and its host and game suites under Wine."""
    build = subprocess.run(["bash", "scripts/windows.sh", "--tests"], cwd=ROOT, capture_output=True, text=True)
    if build.returncode != 0:
        return build
    return subprocess.run(["bash", "tests/windows/wine_suites.sh", "build-windows", *(ctest_args or ["-R", "^(host|game)$"])],
                          cwd=ROOT, capture_output=True, text=True)


def failed_tests(output):
    """Names of the tests ctest listed as failed."""
    return re.findall(r"^\s*\d+ - (\S+) \(", output, re.MULTILINE)


def plant(name, ctest_args, windows=False):
    """Plants one fault and runs the quick tests: (caught, the failed tests or why it was not caught)."""
    path, text, replacement, _ = (WINDOWS_FAULTS if windows else FAULTS)[name]
    source = ROOT / path
    if subprocess.run(["git", "diff", "--quiet", "HEAD", "--", path], cwd=ROOT).returncode != 0:
        return False, f"{path} has uncommitted changes: not planted"
    original = source.read_text()
    if text not in original:
        return False, f"the text to change is no longer in {path}: update the fault"
    try:
        source.write_text(original.replace(text, replacement))
        if windows:
            run = windows_run(ctest_args)
        else:
            run = subprocess.run(["bash", "scripts/test.sh", *ctest_args], cwd=ROOT, capture_output=True, text=True)
    finally:
        source.write_text(original)
    if run.returncode == 0:
        return False, "the Windows suites passed" if windows else "the quick run passed"
    return True, ", ".join(sorted(set(failed_tests(run.stdout)))) or "the build (see scripts/test.sh)"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("faults", nargs="*", metavar="FAULT", help="faults to plant (default: all)")
    parser.add_argument("--list", action="store_true", help="list the faults and exit")
    parser.add_argument("--ctest", default="", help="arguments passed on to ctest, e.g. \"-R game\"")
    parser.add_argument("--windows", action="store_true",
                        help="plant the Windows faults, caught by the Windows suites under Wine")
    args = parser.parse_args()
    faults = WINDOWS_FAULTS if args.windows else FAULTS
    if args.list:
        for name, (path, _, _, what) in faults.items():
            print(f"{name:24} {path}: {what}")
        return 0
    unknown = [name for name in args.faults if name not in faults]
    if unknown:
        parser.error("unknown fault: " + ", ".join(unknown))
    missed = 0
    for name in args.faults or faults:
        print(f"{name}: {faults[name][3]}", flush=True)
        caught, message = plant(name, args.ctest.split(), args.windows)
        missed += not caught
        print(f"  {'caught by' if caught else 'NOT CAUGHT:'} {message}", flush=True)
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
