#!/usr/bin/env bash
# Installs what is missing, builds Sumsprout and its tests, and runs every test headless.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh" --test
build="${SUMSPROUT_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${SUMSPROUT_CMAKE_ARGS:-}
cmake --build "$build"
cd "$build"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# The sound tests play through a real sound server in real time: on a virtual machine a
# moment's stall of the host can still spoil a recording after their own second attempt, so a
# failing test is run again, up to three times in all; a real fault fails every time.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2 --repeat until-pass:3
