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
        "case 0: return sy > kStickThreshold;",
        "case 0: return sy < -kStickThreshold;",
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
        "    p_AddSnow();\n",
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
        "        kp_replay_Crc32(bytes, size - kCrcBytes) != Get32(bytes + size - kCrcBytes)) {",
        "        false) {",
        "the records file's checksum is not compared"),
    "replay-run-short": (
        "game/world/replay_file.cpp",
        "        total += length;",
        "        total += length + (length > 40);",
        "a long run of keys reads back one update short of what was recorded"),
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
        "game/world/game_round.cpp",
        "    if (p_RoundFrozen()) {\n        p_DrawFrozenRound();",
        "    if (p_RoundFrozen()) {\n        m_staleKeys = p_LiveRoundKeys();\n        p_DrawFrozenRound();",
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
        "            p_DrawImg(kTileImage, kPlungerHudX, kPlungerHudY, kPlungerFrame + left / 120);\n",
        "",
        "the running plunger is no longer drawn beside the pause button"),
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
