#!/usr/bin/env bash
# The shell's part of the end-to-end run, driven from outside with xdotool under Xvfb.
#
# Expects, from the caller: DISPLAY set, KELVORA_BIN (the program), KELVORA_PID (the running
# program, on screen with a saved animation named "First" open in the editor), KELVORA_HOME
# (its home) and SHOTS (a folder for screenshots). Quits the program with Ctrl+Q, starts it
# again, answers Load to the resume question, checks the animation is back, closes it, and opens
# it again from Load Animation. Leaves the new program running; its pid is written to
# $SHOTS/kelvora.pid (and exported as KELVORA_PID when sourced).
#
# Window coordinates (pixels at the default scale 2; the window sits at the screen's top left):
#   main menu: New Animation (480, 274), Load Animation (480, 370), Settings (480, 466),
#              About (480, 562)
#   resume question: Cancel (340, 362), Load (620, 362); from the keyboard Tab Tab Space
#              answers Load (questions wait for a deliberate answer)
#   saved list: Close (100, 40), Edit/Done (860, 40), first row (480, 114), rows 72 apart;
#              in editing mode a row's delete button is at (54, row y)
#   rename screen: Cancel (86, 40), Save (876, 40)
#   chooser: Close (84, 40), previous page (116, 310), next page (844, 310), the page
#              (480, 308) chooses it; settings and about: Close (876, 40)
#   editor: close button (98, 516)
set -euo pipefail
: "${KELVORA_BIN:?}" "${KELVORA_PID:?}" "${KELVORA_HOME:?}" "${SHOTS:?}"
mkdir -p "$SHOTS"

shell_shot() { import -window root "$SHOTS/$1.png"; }
window_of() {
    local wid=""
    for _ in $(seq 100); do
        wid=$(xdotool search --pid "$1" --onlyvisible 2>/dev/null | head -1 || true)
        [ -n "$wid" ] && break
        sleep 0.1
    done
    [ -n "$wid" ] || { echo "no window for $1" >&2; return 1; }
    echo "$wid"
}
lastState() { grep -c "<key>lastState</key>" "$KELVORA_HOME/Preferences/defaults.plist" || true; }

# Quit from the editor: the animation is recorded for the next start.
wid=$(window_of "$KELVORA_PID")
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
# The window goes while the keys are still being sent: an error for the release is expected.
xdotool key --window "$wid" ctrl+q 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$KELVORA_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$KELVORA_PID" 2>/dev/null; then echo "still running after Ctrl+Q" >&2; exit 1; fi
[ "$(lastState)" = 1 ] || { echo "no lastState after quitting" >&2; exit 1; }

# Start again: the question comes; Load (Tab to it, Space presses it).
"$KELVORA_BIN" >"$SHOTS/second-run.log" 2>&1 &
KELVORA_PID=$!
echo "$KELVORA_PID" >"$SHOTS/kelvora.pid"
wid=$(window_of "$KELVORA_PID")
sleep 1
shell_shot resume-question
xdotool windowfocus "$wid" 2>/dev/null || true
xdotool key --window "$wid" Tab Tab space
sleep 1.5
shell_shot resumed

# Close the animation (it is unchanged, so nothing asks) and open it from the list.
xdotool mousemove --window "$wid" 98 516 click 1
sleep 1
xdotool mousemove --window "$wid" 480 370 click 1
sleep 1
shell_shot saved-list
xdotool mousemove --window "$wid" 480 120 click 1
sleep 1.5
shell_shot opened-from-list
export KELVORA_PID
