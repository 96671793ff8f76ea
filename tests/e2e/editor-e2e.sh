#!/usr/bin/env bash
# Makes an animation the way a person would: the real program in a virtual display, driven only
# by mouse clicks, drags and keys from outside (xdotool), a screenshot after each step. Then
# checks with kelvora-inspect that the save holds what was done.
#
#   tests/e2e/editor-e2e.sh [BUILD_DIR] [SHOTS_DIR]
#
# Needs Xvfb, xdotool, ImageMagick's import and python3 (scripts/install-deps --test).
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
shots="${2:-$(mktemp -d /tmp/kelvora-e2e.XXXXXX)}"
mkdir -p "$shots"
app="$build/app/kelvora"
inspect="$build/tools/inspect/kelvora-inspect"

home="$(mktemp -d /tmp/kelvora-e2e-home.XXXXXX)"
export KELVORA_HOME="$home" SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# A display of our own: Xvfb picks a free number and tells it.
exec {fd}< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
read -r -u "$fd" number
export DISPLAY=":$number"
xvfb_pid=$(pgrep -n -f "Xvfb -displayfd 1")
app_pid=""
cleanup() {
    if [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null; then
        for _ in $(seq 30); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$app_pid" 2>/dev/null || true
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT

fail() {
    echo "e2e: $*" >&2
    exit 1
}
step=0
shot() {
    step=$((step + 1))
    sleep "${2:-0.6}"
    import -window root -crop 960x640+0+0 "$shots/$(printf %02d "$step")-$1.png"
    echo "e2e: $step $1"
}

start() {
    "$app" --scale 2 >>"$shots/kelvora.log" 2>&1 &
    app_pid=$!
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name '^Kelvora$' >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool search --onlyvisible --name '^Kelvora$' >/dev/null || fail "no window"
    sleep 1
}

# The window sits at the display's corner; positions are in pixels of the 2x window
# (a point of the 480 x 320 stage is two pixels, y down from the top).
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
double_click() { xdotool mousemove "$1" "$2" click --repeat 2 --delay 80 1; sleep 0.3; }
key() { xdotool key "$@"; sleep 0.3; }
# A finger drag in small moves, as a hand makes it.
drag() {
    local x0=$1 y0=$2 x1=$3 y1=$4 n=${5:-12} i
    xdotool mousemove "$x0" "$y0" mousedown 1
    sleep 0.05
    for i in $(seq "$n"); do
        xdotool mousemove $((x0 + (x1 - x0) * i / n)) $((y0 + (y1 - y0) * i / n))
        sleep 0.03
    done
    xdotool mouseup 1
    sleep 0.3
}
# The toolbar's row: its buttons 50 points apart from 30 points in, 23.5 points above the
# bottom edge.
toolbar_button() { click $(((30 + 22 + 50 * $1) * 2)) 593; }

start
shot menu
# New Animation, then the first page of the background chooser (a blank page) starts it.
click 480 274
shot chooser 0.8
click 480 308
shot start 0.8

# A figure (the first button of the row) and a box from the props palette (O), then the box is
# dragged to the upper right, out of the way.
toolbar_button 0
key o
shot props-palette
click 120 64
key o
drag 200 440 800 160
shot figure-and-box

# Pose the figure: a double click on it zooms in; its right hand is dragged up and out; Escape.
double_click 480 330
shot posing 1.2
drag 543 377 650 250
shot posed
key Escape
shot pose-done 1.2

# Three new frames (N), the figure dragged 30 points right in each.
x=480
for _ in 1 2 3; do
    key n
    sleep 0.6
    drag "$x" 380 $((x + 60)) 380
    x=$((x + 60))
done
click 700 120 # away from the figure: deselect
shot three-frames

# A sound for the last frame (A opens the list): "Boing", then Done.
key a
sleep 0.8
click 700 232
shot sound-ticked
click 858 40
sleep 0.6

# A gun from the weapons palette (the first gun), fired up and to the right along a path drawn
# from its muzzle (F turns shooting on), clear of the figure and the box. The shot takes a frame
# per step of the path; it is saved (the name is asked the first time), and then undone in one
# step.
key w
shot weapons-palette
click 458 65
key w
key f
shot fire-mode
xdotool mousemove 233 432 mousedown 1
for i in $(seq 1 50); do
    xdotool mousemove $((233 + i * 10)) $((432 - i * 8))
    sleep 0.02
done
shot path-drawn 0.1
xdotool mouseup 1
shot in-flight 0.3
sleep 3
shot shot-done
key ctrl+s
shot save-prompt
xdotool type --delay 40 First
key Return
sleep 1.5
"$inspect" show 1 --compact >"$shots/save-with-shot.json" 2>/dev/null || fail "no save 1"
key ctrl+z
shot shot-undone

# Play from the first frame: Space.
key Left Left Left Left
key space
shot playing 0.5
sleep 2

# Save again (under the same name, without asking).
key ctrl+s
shot saved 1.5

# Quit (Ctrl+Q) with the animation open, start again and answer Load to the question; close
# it, and open it again from the saved animations list.
KELVORA_BIN="$app" KELVORA_PID="$app_pid" SHOTS="$shots"
# shellcheck source=shell-steps.sh
source "$root/tests/e2e/shell-steps.sh"
app_pid="$KELVORA_PID"
shot reopened
key ctrl+w
shot closed 1

# What was saved.
"$inspect" show 1 --compact >"$shots/save.json" 2>/dev/null || fail "no save 1"
python3 - "$shots/save.json" "$shots/save-with-shot.json" <<'EOF'
import json, sys
save = json.load(open(sys.argv[1]))
shot = json.load(open(sys.argv[2]))
frames = save["frames"]
want = 4
problems = []
def check(ok, what):
    if not ok:
        problems.append(what)
# The shot's frames follow the fourth, a bullet in each.
shot_frames = shot["frames"][want:]
check(len(shot_frames) >= 10, f"the shot took frames, got {len(shot_frames)}")
check(all(any(it["class"] == "Bullet" for it in f["items"]) for f in shot_frames),
      "every frame of the shot has its bullet")
check(save["saveName"] == "First", "name is First")
check(len(frames) == want, f"{want} frames (the undone shot left none), got {len(frames)}")
xs = []
for i, f in enumerate(frames):
    classes = sorted(it["class"] for it in f["items"])
    check("Hmn" in classes, f"frame {i} has the figure")
    check(any(it.get("picture") == "box.png" for it in f["items"]), f"frame {i} has the box")
    figure = next(it for it in f["items"] if it["class"] == "Hmn")
    xs.append(figure["position"]["x"])
    arm = figure["joints"]["rightArm"]["tail"]
    body = figure["position"]
    # The posed hand is raised: above the shoulder it hangs from at rest.
    check(arm["y"] > body["y"], f"frame {i}: the right hand is raised")
    box = next(it for it in f["items"] if it.get("picture") == "box.png")
    check(box["position"]["x"] > 350 and box["position"]["y"] > 200, f"frame {i}: box moved")
steps = [round(b - a) for a, b in zip(xs, xs[1:])]
check(steps == [30] * (want - 1), f"figure moves 30 points a frame, got {steps}")
sounds = [[s["file"] for s in f["sounds"]] for f in frames]
check(sounds == [[]] * (want - 1) + [["Boing.aif"]], f"Boing on the last frame only, got {sounds}")
if problems:
    print("e2e: the save does not match:", *problems, sep="\n  ", file=sys.stderr)
    sys.exit(1)
print(f"e2e: save matches: {len(frames)} frames, figure x {xs}, sounds {sounds}")
EOF
echo "e2e: passed; screenshots in $shots"
