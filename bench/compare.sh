#!/usr/bin/env bash
# An old build against a new one on every row of the performance table, in one run, on this
# machine: start to first full frame at three screen sizes, peak memory after the start and
# after play, the blend, key to cue on a private sound server, idle CPU with and without one,
# and the black left on a 1920 x 1080 screen.
# Usage: bench/compare.sh OLD_BUILD NEW_BUILD [runs]
#   Both builds hold sumsprout with Set/, Pictures/ and Sound/ beside it, bench/bench_scene and
#   bench/bench_tick (an old tree may be given bench/bench_tick.cpp to build it);
#   the new one also bench/first_frame and bench/cue_latency (configured with
#   -DSUMSPROUT_BENCH=ON), which drive either game. Needs Xvfb, openbox, xdotool, ImageMagick,
#   pulseaudio and parec. SUMSPROUT_XVFB_DISPLAY=N runs the X servers on :N (and :N+1 for the
#   sound rows) instead of free numbers.
set -eu
old=$(realpath "$1")
new=$(realpath "$2")
runs="${3:-7}"
tools="$new/bench"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A copy of a build's game, so that answers and journals never touch the build.
for b in old new; do
  mkdir -p "$work/$b"
  src=$old
  [ "$b" = new ] && src=$new
  cp "$src/sumsprout" "$work/$b/"
  [ -e "$src/sumsprout-game" ] && cp "$src/sumsprout-game" "$work/$b/"
  cp -r "$src/Set" "$src/Pictures" "$src/Sound" "$work/$b/"
done

# An X server of the given size with a window manager; prints its display.
xserver() { # size, offset from SUMSPROUT_XVFB_DISPLAY
  if [ -n "${SUMSPROUT_XVFB_DISPLAY:-}" ]; then
    local n=$((SUMSPROUT_XVFB_DISPLAY + $2))
    Xvfb ":$n" -screen 0 "${1}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
    kill -0 "${pids[-1]}" || { echo "Xvfb :$n did not start" >&2; exit 1; }
    display=":$n"
  else
    rm -f "$work/display"
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    exec 3>&-
    display=":$(head -n1 "$work/display")"
  fi
  DISPLAY=$display openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
}
stopx() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; pids=(); sleep 0.5; }

# A private PulseAudio server with a null sink, as the README describes.
pulse="$work/pulse"
mkdir -p "$pulse/home"
chmod 700 "$pulse"
printf 'load-module module-null-sink sink_name=out rate=44100 norewinds=1\nload-module module-native-protocol-unix auth-anonymous=1 socket=%s/native\nset-default-sink out\n' \
  "$pulse" >"$pulse/server.pa"
HOME=$pulse/home XDG_RUNTIME_DIR=$pulse pulseaudio -n --daemonize=no --system=no \
  --use-pid-file=no --disable-shm=yes --exit-idle-time=-1 -F "$pulse/server.pa" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 50); do [ -S "$pulse/native" ] && break; sleep 0.1; done
export ALSOFT_DRIVERS=pulse

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }

echo "machine: $(nproc) cores, $(lscpu | awk -F: '/Model name/ { gsub(/^ +/, "", $2); print $2 }'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| figure | old | new |"
echo "|---|---|---|"

# Start to first full frame, and peak memory after the start, old and new taking turns.
declare -A start hwm
for size in 1024x768 1920x1080 3840x2160; do
  xserver "$size" 0
  for _ in $(seq "$runs"); do
    for b in old new; do
      DISPLAY=$display PULSE_SERVER=unix:$pulse/native "$tools/first_frame" "$work/$b" 1 \
        >>"$work/start-$b-$size" 2>/dev/null
    done
  done
  stopx
  for b in old new; do
    start[$b$size]=$(cut -d' ' -f1 "$work/start-$b-$size" | median)
    hwm[$b$size]=$(cut -d' ' -f2 "$work/start-$b-$size" | median)
  done
  echo "| start to first full frame, $size (median of $runs) | ${start[old$size]} ms | ${start[new$size]} ms |"
done
r() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "| 1920x1080 start / 1024x768 start | $(r "${start[old1920x1080]}" "${start[old1024x768]}") | $(r "${start[new1920x1080]}" "${start[new1024x768]}") |"
echo "| 3840x2160 start / 1024x768 start | $(r "${start[old3840x2160]}" "${start[old1024x768]}") | $(r "${start[new3840x2160]}" "${start[new1024x768]}") |"

# Peak memory: after the start (above), and after ten answers.
for size in 1920x1080 3840x2160; do
  xserver "$size" 0
  after=()
  for b in old new; do
    after+=("$(DISPLAY=$display PULSE_SERVER=unix:$pulse/native "$tools/first_frame" "$work/$b" 1 10 2>/dev/null |
      cut -d' ' -f2)")
  done
  stopx
  echo "| peak memory (VmHWM), $size, after the start (after ten answers) | ${hwm[old$size]} MB (${after[0]}) | ${hwm[new$size]} MB (${after[1]}) |"
done

# The blend on 100 x 100: the new benchmark's first argument is the old one's only one.
blend() {
  "$1/bench/bench_scene" --benchmark_filter="$2" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    awk '/_median/ { for (i = 1; i <= NF; ++i) if ($i ~ /items_per_second/) { split($i, v, "="); print v[2] } }'
}
echo "| BlendBitmap on 100 x 100 | $(blend "$old" '^BM_BlendBitmap/100$') px/s | $(blend "$new" '^BM_BlendBitmap/100/0$') px/s |"

# The window's real tick at 1920 x 1080, offscreen (compose, paint, flush): 90th percentile of
# each operation, addition / subtraction / multiplication / division. An old build without
# bench_tick has no row of its own.
tick() {
  [ -x "$1/bench/bench_tick" ] || { echo "-"; return; }
  "$1/bench/bench_tick" --benchmark_filter='^BM_GameTick/[0-3]/1920/1080' --benchmark_min_time=2 \
    2>/dev/null | awk '/^BM_GameTick/ { for (i = 1; i <= NF; ++i) if ($i ~ /^p90_ms=/) {
      split($i, v, "="); printf "%s%.2f", n++ ? " / " : "", v[2] } } END { print " ms" }'
}
echo "| real tick at 1920x1080 (compose + paint + flush), 90th percentile, + / - / x / ÷ | $(tick "$old") | $(tick "$new") |"

# Key to cue on a private sound server of the cue tool's own.
xserver 1024x768 1
cue=()
for b in old new; do
  cue+=("$(DISPLAY=$display "$tools/cue_latency" "$work/$b" 40 2>/dev/null | tail -n1 |
    awk '{ printf "median %s, p95 %s, max %s ms", $6, $8, $10 }')")
done
stopx
echo "| sound, key to cue (40 answers) | ${cue[0]} | ${cue[1]} |"

# Idle CPU on a problem, with the sound server and without one.
idle() { # build, server address
  local hz secs=40 before after
  hz=$(getconf CLK_TCK)
  DISPLAY=$display PULSE_SERVER=$2 "$work/$1/sumsprout" >/dev/null 2>&1 &
  local game=$!
  sleep 4
  before=$(awk '{ print $14 + $15 }' "/proc/$game/stat")
  sleep $secs
  after=$(awk '{ print $14 + $15 }' "/proc/$game/stat")
  kill "$game"
  wait "$game" 2>/dev/null || true
  awk -v a="$before" -v b="$after" -v hz="$hz" -v s="$secs" 'BEGIN { printf "%.2f", 100 * (b - a) / hz / s }'
}
xserver 1920x1080 0
declare -A cpu
for b in old new; do
  cpu[${b}server]=$(idle "$b" "unix:$pulse/native")
  cpu[${b}none]=$(idle "$b" "unix:$pulse/none")
done
stopx
d() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.2f", a - b }'; }
echo "| idle CPU at 1920x1080, with a sound server / without (% of a core) | ${cpu[oldserver]} / ${cpu[oldnone]} ($(d "${cpu[oldserver]}" "${cpu[oldnone]}")) | ${cpu[newserver]} / ${cpu[newnone]} ($(d "${cpu[newserver]}" "${cpu[newnone]}")) |"

# Black left on the screen at 1920 x 1080.
xserver 1920x1080 0
black=()
for b in old new; do
  DISPLAY=$display PULSE_SERVER=unix:$pulse/native "$work/$b/sumsprout" >/dev/null 2>&1 &
  game=$!
  sleep 4
  DISPLAY=$display import -window root "$work/shot-$b.png"
  kill "$game"
  wait "$game" 2>/dev/null || true
  black+=("$(convert "$work/shot-$b.png" -fill white +opaque black -fill black -opaque black \
    -colorspace Gray -format '%[fx:100 * (1 - mean)]' info: | awk '{ printf "%.0f %%", $1 }')")
done
stopx
echo "| black pixels at 1920x1080 | ${black[0]} | ${black[1]} |"
