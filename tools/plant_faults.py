#!/usr/bin/env python3
"""Plants realistic faults in the product code, one at a time, and runs the
quick tests for each: every fault must make them fail.

    tools/plant_faults.py [--list] [--ctest ARGS] [FAULT...]

Each fault is a literal edit of one source file (every occurrence of a short
text). The file must have no uncommitted change; it is put back after its
run, also when the run is interrupted. For each fault the tool builds with
`scripts/test.sh` (the quick run) and prints the tests that failed; it ends
with status 1 when a fault went unnoticed or no longer applies (the code it
edits has changed: update the fault here).
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
        "bool c_MyApp::p_RoundFrozen() { return m_pauseShown == 1 || m_quitGame > 0; }",
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
    "unchecked-crc": (
        "graphics/image_data.cpp",
        "!= ReadBe32(data + chunkLength)) return kImageBadCrc;",
        "!= ReadBe32(data + chunkLength)) {}",
        "chunk CRCs are computed but not compared"),
}


def failed_tests(output):
    """Names of the tests ctest listed as failed."""
    return re.findall(r"^\s*\d+ - (\S+) \(", output, re.MULTILINE)


def plant(name, ctest_args):
    """Plants one fault and runs the quick tests: (caught, the failed tests or why it was not caught)."""
    path, text, replacement, _ = FAULTS[name]
    source = ROOT / path
    if subprocess.run(["git", "diff", "--quiet", "HEAD", "--", path], cwd=ROOT).returncode != 0:
        return False, f"{path} has uncommitted changes: not planted"
    original = source.read_text()
    if text not in original:
        return False, f"the text to change is no longer in {path}: update the fault"
    try:
        source.write_text(original.replace(text, replacement))
        run = subprocess.run(["bash", "scripts/test.sh", *ctest_args], cwd=ROOT, capture_output=True, text=True)
    finally:
        source.write_text(original)
    if run.returncode == 0:
        return False, "the quick run passed"
    return True, ", ".join(sorted(set(failed_tests(run.stdout)))) or "the build (see scripts/test.sh)"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("faults", nargs="*", metavar="FAULT", help="faults to plant (default: all)")
    parser.add_argument("--list", action="store_true", help="list the faults and exit")
    parser.add_argument("--ctest", default="", help="arguments passed on to ctest, e.g. \"-R game\"")
    args = parser.parse_args()
    if args.list:
        for name, (path, _, _, what) in FAULTS.items():
            print(f"{name:24} {path}: {what}")
        return 0
    unknown = [name for name in args.faults if name not in FAULTS]
    if unknown:
        parser.error("unknown fault: " + ", ".join(unknown))
    missed = 0
    for name in args.faults or FAULTS:
        print(f"{name}: {FAULTS[name][3]}", flush=True)
        caught, message = plant(name, args.ctest.split())
        missed += not caught
        print(f"  {'caught by' if caught else 'NOT CAUGHT:'} {message}", flush=True)
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
