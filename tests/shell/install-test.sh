#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed program from there: it
# must find its resources in the prefix, and its desktop entry and icons must be in place.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$prefix" "$home"' EXIT
pid=

cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/kelvora"
desktop-file-validate "$prefix/share/applications/kelvora.desktop"
for size in 16 22 24 32 48 64 128 256; do
    test -s "$prefix/share/icons/hicolor/${size}x${size}/apps/kelvora.png"
done
test -s "$prefix/share/icons/hicolor/scalable/apps/kelvora.svg"
test -s "$prefix/share/kelvora/wAbout.html"
test -s "$prefix/share/kelvora/background-castle-scroll.jpeg"

log="$home/log"
env -u KELVORA_RESOURCES KELVORA_HOME="$home" QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
    QT_LOGGING_RULES="kelvora.info=true" "$prefix/bin/kelvora" >"$log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    grep -q "Resources folder" "$log" && break
    sleep 0.1
done
kill -TERM "$pid"
wait "$pid"
pid=
grep -q "Resources folder: \"$prefix/share/kelvora\"" "$log" || { cat "$log"; exit 1; }
# Every picture the menu asked for was there.
if grep -qi "cannot\|missing\|not found" "$log"; then cat "$log"; exit 1; fi
echo "install test: 1 passed, 0 failed"
