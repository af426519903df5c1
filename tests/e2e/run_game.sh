#!/usr/bin/env bash
# Starts the real game under Xvfb with a window manager, checks that the scene shows, types
# a little and ends the game through its exit question.
set -u
game="$1"
data="$2"
for tool in Xvfb openbox xdotool import convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (tools/install-deps.sh --test installs it)"
    exit 77
  fi
done
unset QT_QPA_PLATFORM
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }

cp "$game" "$work/sumsprout"
# The game the launcher starts, beside it.
[ -e "$(dirname "$game")/sumsprout-game" ] && cp "$(dirname "$game")/sumsprout-game" "$work/"
cp -r "$data/Set" "$data/Pictures" "$data/Sound" "$work/" 2>/dev/null || cp -r "$data/Set" "$data/Pictures" "$work/"
money_before=$(sha256sum "$work/Set/Money.dat")

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

"$work/sumsprout" >"$work/game.log" 2>&1 &
gamepid=$!
pids+=($gamepid)
win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Sumsprout$' | head -n1)
[ -n "$win" ] || fail "the game window did not appear"
sleep 1.5
import -window root "$work/shot.png"
# The scene sits right of the player button and above the coins; it must be far from black.
brightness=$(convert "$work/shot.png" -crop 800x600+149+5 -colorspace Gray -format '%[fx:mean]' info:)
echo "scene brightness: $brightness"
awk -v b="$brightness" 'BEGIN { exit !(b > 0.25) }' || fail "the scene is not shown"

xdotool key 1 2 3 4 BackSpace Escape
sleep 0.3
xdotool key Escape
ask=$(timeout 10 xdotool search --sync --onlyvisible --name '^询问$' | head -n1)
[ -n "$ask" ] || fail "Esc on an empty answer did not ask"
xdotool key Return
for _ in $(seq 100); do kill -0 "$gamepid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$gamepid" 2>/dev/null && fail "the game did not end after Yes"
wait "$gamepid"
rc=$?
[ "$rc" -eq 0 ] || fail "the game exited with $rc: $(cat "$work/game.log")"
[ "$money_before" = "$(sha256sum "$work/Set/Money.dat")" ] || fail "Money.dat changed"
echo "PASSED: window shown, keys taken, ended through the exit question"
