#!/usr/bin/env bash
# Whole-process CPU of the running game under Xvfb: idle on a problem, then while answers
# keep the reaction pauses going. Usage: bench/cpu.sh [build dir] [seconds per phase] [screen]
# The screen defaults to 1920x1080; SUMSPROUT_XVFB_DISPLAY=N runs Xvfb on :N instead of a free
# number.
set -eu
build="${1:-build}"
seconds="${2:-20}"
screen="${3:-1920x1080}"
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
cp "$build/sumsprout" "$work/"
[ -e "$build/sumsprout-game" ] && cp "$build/sumsprout-game" "$work/"
cp -r "$build/Set" "$build/Pictures" "$build/Sound" "$work/"
if [ -n "${SUMSPROUT_XVFB_DISPLAY:-}" ]; then
  Xvfb ":$SUMSPROUT_XVFB_DISPLAY" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  kill -0 "${pids[0]}"
  export DISPLAY=":$SUMSPROUT_XVFB_DISPLAY"
else
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")"
fi
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
env -u QT_QPA_PLATFORM "$work/sumsprout" >/dev/null 2>&1 &
game=$!
pids+=($game)
xdotool search --sync --onlyvisible --name '^Sumsprout$' >/dev/null
sleep 2
hz=$(getconf CLK_TCK)
ticks() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
measure() { # phase name, command run in the background meanwhile
  local before after
  before=$(ticks)
  sleep "$seconds"
  after=$(ticks)
  awk -v a="$before" -v b="$after" -v hz="$hz" -v s="$seconds" -v n="$1" \
    'BEGIN { printf "%-22s %5.1f %% of one core\n", n, 100 * (b - a) / hz / s }'
}
measure "idle on a problem"
# A wrong answer every second keeps the two 500 ms reaction pauses going.
( while kill -0 "$game" 2>/dev/null; do xdotool key 0 Return; sleep 1; done ) &
pids+=($!)
measure "during reactions"
