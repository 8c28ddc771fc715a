#!/usr/bin/env python3
"""The browser build's game data, from the desktop build's data folder.

    web_data.py DATA STAGE SITE

STAGE/core/ gets what every start needs, packaged into the program's own
data file at link time: the level files, the pictures that come in one
resolution only and the sounds, as Ogg Vorbis (oggenc) rather than wave files
(the game's loader takes NAME.ogg when NAME.wav is absent), but for the
song's instruments, which loop and stay wave files. SITE gets one
package per resolution level of the pictures, which the page fetches when the
canvas needs that level: pictures-N.json lists [path, start, end] of each file
in pictures-N.data. The window icons stay out: the page has its favicon.
"""
import json
import os
import shutil
import subprocess
import sys

LEVEL_SUFFIXES = (("-hd2", 4), ("-hd", 2))
OGG_QUALITY = "3"


def picture_level(root, rel):
    stem, ext = os.path.splitext(rel)
    if ext != ".png":
        return None
    for suffix, level in LEVEL_SUFFIXES:
        if stem.endswith(suffix):
            return level
    return 1 if os.path.exists(os.path.join(root, stem + "-hd.png")) else None


def main(data, stage, site):
    core = os.path.join(stage, "core")
    shutil.rmtree(core, ignore_errors=True)
    packages = {1: [], 2: [], 4: []}
    for folder, dirs, files in os.walk(data):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, data).replace(os.sep, "/")
            if rel.startswith("icon/"):
                continue
            level = picture_level(data, rel)
            if level is not None:
                packages[level].append(rel)
                continue
            out = os.path.join(core, rel)
            os.makedirs(os.path.dirname(out), exist_ok=True)
            # The song's instruments stay wave files: they loop, and a decoded
            # Vorbis loop gains a seam the wave keeps out.
            if rel.endswith(".wav") and not rel.startswith("inst/"):
                subprocess.run(["oggenc", "-Q", "-q", OGG_QUALITY, "-o", out[:-4] + ".ogg", path], check=True)
            else:
                shutil.copyfile(path, out)
    os.makedirs(site, exist_ok=True)
    for level, names in packages.items():
        index, blob = [], bytearray()
        for rel in names:
            with open(os.path.join(data, rel), "rb") as f:
                body = f.read()
            index.append([rel, len(blob), len(blob) + len(body)])
            blob += body
        with open(os.path.join(site, "pictures-%d.data" % level), "wb") as f:
            f.write(blob)
        with open(os.path.join(site, "pictures-%d.json" % level), "w") as f:
            json.dump(index, f, separators=(",", ":"))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: web_data.py DATA STAGE SITE")
    main(*sys.argv[1:])
