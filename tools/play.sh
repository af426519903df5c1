#!/usr/bin/env bash
# Installs what is missing, builds Sumsprout, lays out its data beside it and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" --target sumsprout data_tree
exec "$root/build/sumsprout"
