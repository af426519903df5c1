#!/usr/bin/env bash
# The bot's long play: 10 000 problems of all four operations through the window's answer
# flow, first in the plain build (heap growth checked), then with AddressSanitizer and
# LeakSanitizer. Takes about 6 + 18 minutes on two cores.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
problems="${1:-10000}"
"$root/tools/install-deps.sh" --test
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for variant in plain sanitize; do
    if [ "$variant" = plain ]; then
        build="$root/build"; args=""
    else
        build="$root/build-asan"; args="-DSUMSPROUT_SANITIZE=ON"
    fi
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $args >/dev/null
    cmake --build "$build" --target tst_LongPlay
    echo "== $variant build: $problems problems"
    start=$(date +%s)
    # Qt Test gives up on a test function after five minutes unless told otherwise.
    QTEST_FUNCTION_TIMEOUT=7200000 QT_QPA_PLATFORM=offscreen SUMSPROUT_LONGPLAY_PROBLEMS="$problems" \
        "$build/tests/tst_LongPlay"
    echo "== $variant build passed in $(( $(date +%s) - start )) s"
done
