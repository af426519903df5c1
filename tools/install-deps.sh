#!/usr/bin/env bash
# Installs what building, running and testing Sumsprout needs on Debian 12, if missing.
set -euo pipefail
# qt6-charts-dev needs libqt6opengl6-dev for its CMake files but does not pull it in.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev
          qt6-charts-dev libqt6opengl6-dev libjpeg62-turbo-dev libpng-dev libpulse-dev libpq-dev
          libxcb1-dev libxcb-randr0-dev
          qt6-qpa-plugins libpulse0 libqt6network6 libqt6sql6 libqt6sql6-sqlite
          libqt6sql6-psql libpq5 libqt6charts6
          qt6-translations-l10n
          fonts-comic-neue fonts-liberation fonts-wqy-microhei)
if [ "${1:-}" = "--test" ]; then
  packages+=(xvfb openbox xdotool imagemagick x11-utils clang libclang-rt-14-dev libbenchmark-dev
             dpkg-dev file desktop-file-utils appstream lintian sqlite3 poppler-utils
             pulseaudio pulseaudio-utils libx11-dev libxtst-dev qt6-l10n-tools postgresql-15
             postgresql-client-15)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
