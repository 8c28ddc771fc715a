#!/usr/bin/env python3
"""Plays levels in the game's real window as a person who knows the route but
reacts like one: every press comes at least 200 ms after what it answers,
with up to 50 ms of jitter either way.

    tools/playtest/human_play.py [--attempts N] [--seed S] [--reaction S] [--jitter S]
                                 [--shots UPDATE,...] LEVEL...

The route is each level's most forgiving one (tests/game/solutions), turned
by `glimmer-solve --plan` into what the person watches for: for every input,
an event the playtest tool's trace prints (the hero reaching a tile, a shot
near him entering one, the level built) and how long after it the input
comes. The driver reads that trace from the real game (scripts/playtest.sh,
a private X server, real held keys through xdotool), waits for each event,
then presses after the route's delay, never sooner than the reaction time,
moved by a random jitter, one change after the other in the route's order.
A quick release ends the gesture its press began (a tap): it follows the
press by the route's own length, with no jitter of its own; a release later
than the reaction time is answered like a press. Time is counted in the game's
updates, read from the trace's stamps, not on the wall clock: a loaded
machine runs the window slower than a person's eyes would see it. A death
ends the attempt; each attempt is a fresh game. It prints each level's attempts and
ends with status 0 when every level was finished within the attempts.
Run it from anywhere after building (scripts/setup.sh).
"""
import argparse
import math
import os
import pathlib
import random
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
BUILD = ROOT / "build"
PLAYTEST = ROOT / "scripts" / "playtest.sh"
UPDATE = 1.0 / 60
MIN_GAP = 2                                                 # updates between two key changes
SHOT_SLACK = 8                                              # updates: see find_anchor
KEY_NAMES = ["Left", "Right", "Up", "Down", "z", "x", "c"]   # the script keys' bits, in order


def read_plan(level):
    """The inputs of the level's plan: (update, keys, anchor, delay, changes)."""
    text = subprocess.run(
        [str(BUILD / "glimmer-solve"), "--plan", "--levels", str(level),
         "--scripts", str(ROOT / "tests" / "game" / "solutions")],
        cwd=BUILD, capture_output=True, text=True, check=True,
        env=dict(os.environ, ALSOFT_DRIVERS="null")).stdout
    inputs = []
    for line in text.splitlines():
        words = line.split()
        if not words or words[0].startswith("#") or words[0] == "end":
            continue
        if words[0] == "input":
            update, keys, kind = int(words[1]), int(words[2]), words[3]
            if kind == "hero":
                anchor = ("hero", f"hero at ({words[4]}, {words[5]})", int(words[6]))
                delay = int(words[7])
            elif kind == "shot":
                way = "right" if words[6] == "1" else "left"
                anchor = ("shot", f"shot at ({words[4]}, {words[5]}) going {way}",
                          (f"hero at ({words[7]}, {words[8]})", int(words[9])))
                delay = int(words[10])
            else:
                anchor = ("built", "built", 1)
                delay = int(words[4])
            window = (int(words[-2]), int(words[-1])) if words[-3] == "window" else None
            inputs.append({"update": update, "keys": keys, "anchor": anchor, "delay": delay, "window": window,
                           "changes": []})
        elif words[0] == "keys":
            inputs[-1]["changes"].append((int(words[1]), int(words[2])))
    return inputs


def nth(lines, text, count):
    """Index of the line holding `text` for the count-th time."""
    seen = 0
    for index, (_, line) in enumerate(lines):
        if line.endswith(text) or text + "," in line:
            seen += 1
            if seen == count:
                return index
    return None


def find_anchor(lines, anchor):
    """The index of the trace line an input answers, once it has been printed."""
    kind, text, where = anchor
    if kind == "built":
        return nth(lines, "built", 1)
    if kind == "hero":
        return nth(lines, text, where)
    after = nth(lines, where[0], where[1]) if where[1] > 0 else nth(lines, "built", 1)
    if after is None:
        return None
    # The shot he watches for passes where it did when the hero is there: a
    # hero a little slower than the route's sees it pass a few updates before.
    since = lines[after][0] - SHOT_SLACK
    for index in range(len(lines)):
        if lines[index][0] is not None and lines[index][0] >= since and lines[index][1].endswith(text):
            return index
    return None


class Session:
    """One game in the real window (scripts/playtest.sh), its trace and its keys.

    Time is kept in the game's updates, read from the trace's stamps ("@N"):
    a loaded machine may run the window slower than 60 updates a second, and
    a person reacts to what the game shows, not to the wall clock."""

    def __init__(self, level, folder):
        self.env = dict(os.environ, PLAYTEST_DIR=str(folder))
        # The game and its X server outlive the script: they must not hold a pipe of ours.
        for tries in range(3):   # a loaded machine may bring the menu up later than the script waits
            started = subprocess.run(["bash", str(PLAYTEST), "start", str(level)], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, env=dict(self.env, PLAYTEST_MENU_ONLY="1"))
            if started.returncode == 0:
                break
            subprocess.run(["bash", str(PLAYTEST), "stop"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        else:
            raise RuntimeError("the game did not start: " + (folder / "game.log").read_text()[-300:])
        for line in (folder / "env").read_text().splitlines():
            name, _, value = line.partition("=")
            if name == "DISPLAY":
                self.env["DISPLAY"] = value
        self.log = open(folder / "game.log")
        self.lines = []          # (update, text) of the level's events
        self.clock = None        # (update, wall time it was read)
        self.held = 0

    def poll(self):
        now = time.monotonic()
        for text in self.log.readlines():
            text = text.strip().removeprefix("playtest: ")
            update = None
            if text.startswith("@"):
                stamp, _, text = text.partition(" ")
                update = int(stamp[1:])
                self.clock = (update, now)
            if text:
                self.lines.append((update, text))

    def now(self):
        """The game's update now, from its last stamp (never far past it: a stalled game shows nothing new)."""
        if self.clock is None:
            return None
        update, seen = self.clock
        return update + min((time.monotonic() - seen) / UPDATE, 2.0)

    def hold(self, keys):
        # Keys that change together reach the game in one frame (xdotool waits
        # 12 ms between keys unless told not to), the buttons before the
        # directions, as a person who knows that a direction alone walks.
        ups = [name for bit, name in enumerate(KEY_NAMES) if self.held & ~keys & (1 << bit)]
        downs = [name for bit, name in reversed(list(enumerate(KEY_NAMES))) if keys & ~self.held & (1 << bit)]
        args = (["keyup", "--delay", "0"] + ups if ups else []) + (["keydown", "--delay", "0"] + downs if downs else [])
        if args:
            if os.environ.get("HUMAN_PLAY_DEBUG"):
                print("%.1f %s" % (self.now() or 0, " ".join(args)), file=sys.stderr)
            subprocess.run(["xdotool"] + args, env=self.env, check=True)
        self.held = keys

    def tap(self, name):
        subprocess.run(["xdotool", "keydown", name], env=self.env, check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "keyup", name], env=self.env, check=True)

    def stop(self):
        self.hold(0)
        self.log.close()
        subprocess.run(["bash", str(PLAYTEST), "stop"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


def attempt(level, plan, rng, reaction, jitter, folder, shots=()):
    """One try at the level from a new game: 'finished', or what ended it.
    `shots`: (update, PNG file) screenshots of the window to take on the way."""
    shots = sorted(shots)
    game = Session(level, folder)
    reaction, jitter = reaction / UPDATE, jitter / UPDATE   # in updates from here on
    try:
        # A new game from the menu, on the level (the confirm key again if the first tap was lost).
        for _ in range(3):
            game.tap("z")
            started = time.monotonic()
            while time.monotonic() < started + 3 and find_anchor(game.lines, ("built", "built", 1)) is None:
                game.poll()
                time.sleep(0.01)
            if find_anchor(game.lines, ("built", "built", 1)) is not None:
                break
        scheduled = []   # (update, keys) still to come
        seen = 0         # lines before this one were looked at for the end of the attempt
        last_press = 0.0     # the update of the last press, and of the last change scheduled
        last_change = 0.0
        last_update = 0
        step = 0
        deadline = time.monotonic() + 15 + 2 * (plan[-1]["update"] if plan else 0) * UPDATE
        while time.monotonic() < deadline:
            game.poll()
            for _, text in game.lines[seen:]:
                if "died at" in text:
                    return "died " + text.split("died ", 1)[1]
                if "completed" in text:
                    return "finished"
            seen = len(game.lines)
            now = game.now()
            while shots and now is not None and shots[0][0] <= now:
                # A look at the screen, taken beside the game (the driver must not wait for it).
                subprocess.Popen(["bash", str(PLAYTEST), "shot", shots.pop(0)[1]], env=game.env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            while scheduled and now is not None and scheduled[0][0] <= now:
                game.hold(scheduled.pop(0)[1])
            if step < len(plan):
                current = plan[step]
                released = step > 0 and current["keys"] & ~plan[step - 1]["keys"] == 0 and last_press > 0
                if released and current["update"] - last_update < reaction + jitter:
                    # A quick release ends the gesture the last press began (a tap):
                    # it keeps its length, with no reaction and no jitter of its own.
                    # A later one is answered like a press, by what the person sees.
                    release = max(last_press + current["update"] - last_update, last_press + MIN_GAP)
                    if scheduled:
                        release = max(release, scheduled[-1][0] + MIN_GAP)
                    last_change = release
                    scheduled.append((release, current["keys"]))
                    step += 1
                    continue
                found = find_anchor(game.lines, current["anchor"])
                if found is not None:
                    at = game.lines[found][0]
                    # Aimed inside the press's window by more than the jitter where the
                    # window allows (the route presses at the first possible moment: a
                    # person who knows it waits that little longer), else at its middle.
                    aim = current["delay"]
                    if current["window"]:
                        earlier, later = current["window"]
                        margin = math.ceil(jitter) + 1
                        aim += max(0, margin - earlier) if later >= 2 * margin else (later - earlier) // 2
                    if last_press > 0 and at < last_press:
                        # What he saw came before his own last press: he keeps the
                        # route's rhythm from that press instead.
                        aim = last_press + current["update"] - last_update + aim - current["delay"] - at
                    # Answered no sooner than the reaction time, the jitter on top, in order.
                    wait = max(aim, reaction + jitter) + rng.uniform(-jitter, jitter)
                    # In the route's order, as a person does one thing after the other;
                    # real key events are read once a frame: no two changes less than two apart.
                    press = max(at + wait, last_change + MIN_GAP)
                    last_press = press
                    last_update = current["update"]
                    scheduled.append((press, current["keys"]))
                    for offset, keys in current["changes"]:
                        scheduled.append((max(press + offset, scheduled[-1][0] + MIN_GAP), keys))
                    last_change = scheduled[-1][0]
                    step += 1
            time.sleep(0.002)
        return "timed out at input %d of %d" % (step, len(plan))
    finally:
        game.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("levels", nargs="+", type=int, metavar="LEVEL")
    parser.add_argument("--attempts", type=int, default=10)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--reaction", type=float, default=0.2, help="seconds, at least")
    parser.add_argument("--jitter", type=float, default=0.05, help="seconds either way")
    parser.add_argument("--shots", default="", metavar="UPDATE,...",
                        help="screenshots of every attempt at these updates of the level, "
                             "/tmp/glimmer-human-LEVEL-UPDATE.png")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    folder = pathlib.Path("/tmp") / ("glimmer-human-" + ROOT.name)
    unfinished = 0
    for level in args.levels:
        plan = read_plan(level)
        outcomes = []
        for _ in range(args.attempts):
            shots = [(int(u), f"/tmp/glimmer-human-{level}-{u}.png") for u in args.shots.split(",") if u]
            outcomes.append(attempt(level, plan, rng, args.reaction, args.jitter, folder, shots))
            print(f"level {level} attempt {len(outcomes)}: {outcomes[-1]}", flush=True)
            if outcomes[-1] == "finished":
                break
        done = outcomes[-1] == "finished"
        unfinished += not done
        print(f"level {level}: {'finished in attempt %d' % len(outcomes) if done else 'not finished'} "
              f"({len(plan)} inputs, reaction >= {args.reaction * 1000:.0f} ms, jitter +-{args.jitter * 1000:.0f} ms)",
              flush=True)
    return 1 if unfinished else 0


if __name__ == "__main__":
    sys.exit(main())
