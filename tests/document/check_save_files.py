#!/usr/bin/env python3
"""Checks the files of a save with a reader of its own (plistlib): names, keys and value types.

usage: check_save_files.py FOLDER SAVE_ID FRAME_COUNT
Prints one line per problem and exits 1 when there is any.
"""

import os
import plistlib
import re
import sys

LIMBS = ["body", "head", "leftForearm", "leftArm", "rightArm", "rightForearm", "leftHip",
         "leftLeg", "rightHip", "rightLeg"]
WEAPONS = {"Knife", "Gun", "Grenade", "Rifle", "LazerGun", "Cannon", "Machinegun",
           "RocketLauncher", "Tank", "M16", "AK47", "PaintBallGun", "Pistol", "Colt", "Shuriken"}
PLAIN = {"BoundingSprite", "Tree", "Car", "Bullet", "Sprite"}
GENERIC = {"className", "textureName", "position.x", "position.y", "scale", "rotation"}

problems = []


def problem(where, what):
    problems.append("%s: %s" % (where, what))


def is_int(v):
    return isinstance(v, int) and not isinstance(v, bool)


def check_item(where, d):
    kind = d.get("className")
    for key in ("position.x", "position.y", "scale", "rotation"):
        if not isinstance(d.get(key), float):
            problem(where, "%s is not a real" % key)
    if kind == "Hmn":
        if "textureName" in d:
            problem(where, "a figure has a textureName")
        expected = {"className", "position.x", "position.y", "scale", "rotation", "colorRed",
                    "colorGreen", "colorBlue"}
        for limb in LIMBS:
            for end in ("tail", "head"):
                for axis in ("x", "y"):
                    expected.add("%s.%s.%s" % (limb, end, axis))
        if set(d) != expected:
            problem(where, "figure keys differ: %s" % sorted(set(d) ^ expected))
        if len(d) != 48:
            problem(where, "a figure has %d keys" % len(d))
        for key in ("colorRed", "colorGreen", "colorBlue"):
            if not is_int(d.get(key)) or not 0 <= d[key] <= 255:
                problem(where, "%s is not an integer 0 to 255" % key)
        for key in expected - GENERIC - {"colorRed", "colorGreen", "colorBlue"}:
            if not isinstance(d.get(key), float):
                problem(where, "%s is not a real" % key)
        return
    if not isinstance(d.get("textureName"), str):
        problem(where, "no textureName string")
    if kind in WEAPONS:
        extra = {"weaponOrientation"}
        if not is_int(d.get("weaponOrientation")):
            problem(where, "weaponOrientation is not an integer")
    elif kind == "SpeechBubble":
        extra = {"bubbleText"}
        if not isinstance(d.get("bubbleText"), str):
            problem(where, "bubbleText is not a string")
    elif kind in PLAIN:
        extra = set()
    else:
        problem(where, "unknown className %r" % kind)
        return
    if set(d) != GENERIC | extra:
        problem(where, "keys differ: %s" % sorted(set(d) ^ (GENERIC | extra)))


def check_sound(where, d):
    if set(d) != {"className", "soundIndex", "soundFileName"}:
        problem(where, "sound keys: %s" % sorted(d))
    if not is_int(d.get("soundIndex")):
        problem(where, "soundIndex is not an integer")
    if not isinstance(d.get("soundFileName"), str) or not d["soundFileName"].endswith(".aif"):
        problem(where, "soundFileName is not a file name")


def main():
    folder, save_id, frame_count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    total_packs = (frame_count + 19) // 20
    names = sorted(n for n in os.listdir(folder) if not n.startswith("."))
    allowed = re.compile(r"^(save-%d\.plist|save-%d-pack-[1-9][0-9]*\.plist|bg-%d\.jpg|"
                         r"bg-%d-(0|[1-9][0-9]?)\.png|bg-%d-(0|[1-9][0-9]*)-(0|[1-9][0-9]?)\.png)$"
                         % ((save_id,) * 5))
    for name in names:
        if not allowed.match(name):
            problem(name, "not a file name of save %d" % save_id)
    hidden = [n for n in os.listdir(folder) if n.startswith(".")]
    if hidden:
        problem(folder, "temporary files left: %s" % hidden)
    if "save-%d.commit" % save_id in names:
        problem(folder, "commit record left")

    seen_frames = 0
    for pack in range(max(total_packs, 1)):
        name = "save-%d.plist" % save_id if pack == 0 else "save-%d-pack-%d.plist" % (save_id, pack)
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            problem(name, "missing")
            continue
        with open(path, "rb") as f:
            head = f.read(64)
            f.seek(0)
            if not head.startswith(b"<?xml"):
                problem(name, "not an XML property list")
            root = plistlib.load(f)
        if set(root) != {"frames", "meta", "framesBackground"}:
            problem(name, "root keys: %s" % sorted(root))
        meta = root.get("meta", {})
        if set(meta) != {"background", "versionFormat", "totalPacks", "animationSpeed"}:
            problem(name, "meta keys: %s" % sorted(meta))
        if meta.get("versionFormat") != 4 or not is_int(meta.get("versionFormat")):
            problem(name, "versionFormat is not the integer 4")
        if meta.get("totalPacks") != total_packs or not is_int(meta.get("totalPacks")):
            problem(name, "totalPacks is not the integer %d" % total_packs)
        if not is_int(meta.get("background")):
            problem(name, "background is not an integer")
        if not isinstance(meta.get("animationSpeed"), float):
            problem(name, "animationSpeed is not a real")
        frames = root.get("frames", [])
        backgrounds = root.get("framesBackground", [])
        expected = min(20, frame_count - 20 * pack) if frame_count else 0
        if len(frames) != expected or len(backgrounds) != expected:
            problem(name, "%d frames and %d backgrounds, not %d"
                    % (len(frames), len(backgrounds), expected))
        for k, record in enumerate(frames):
            where = "%s frame %d" % (name, k)
            if not isinstance(record, list):
                problem(where, "not an array")
                continue
            sounds_started = False
            for i, d in enumerate(record):
                if not isinstance(d, dict):
                    problem("%s record %d" % (where, i), "not a dictionary")
                elif d.get("className") == "Sound":
                    sounds_started = True
                    check_sound("%s record %d" % (where, i), d)
                else:
                    if sounds_started:
                        problem(where, "an item after a sound")
                    check_item("%s record %d" % (where, i), d)
        for k, entry in enumerate(backgrounds):
            where = "%s framesBackground %d" % (name, k)
            if not isinstance(entry, dict) or not is_int(entry.get("background")):
                problem(where, "no integer background")
                continue
            if entry["background"] == 999999:
                if set(entry) != {"background", "backgroundImageFile"}:
                    problem(where, "keys: %s" % sorted(entry))
                picture = entry.get("backgroundImageFile")
                if not isinstance(picture, str):
                    problem(where, "backgroundImageFile is not a string")
                elif picture:
                    if not re.match(r"^bg-%d-[0-9]+-[0-9]+\.png$" % save_id, picture):
                        problem(where, "picture file name %r" % picture)
                    elif not os.path.exists(os.path.join(folder, picture)):
                        problem(where, "picture file %s missing" % picture)
                    older = "bg-%d-%d.png" % (save_id, k)
                    if not os.path.exists(os.path.join(folder, older)):
                        problem(where, "older picture file %s missing" % older)
            elif set(entry) != {"background"}:
                problem(where, "keys: %s" % sorted(entry))
        seen_frames += len(frames)
    if seen_frames != frame_count:
        problem(folder, "%d frames, not %d" % (seen_frames, frame_count))

    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            head = f.read(8)
        if name.endswith(".png") and head != b"\x89PNG\r\n\x1a\n":
            problem(name, "not a PNG")
        if name.endswith(".jpg") and not head.startswith(b"\xff\xd8\xff"):
            problem(name, "not a JPEG")

    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
