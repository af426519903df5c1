#!/usr/bin/env bash
# Builds the Debian package from this build tree, unpacks it into a temporary root and runs the
# game from there as it runs installed: a home of its own, Set/ made there from the shipped
# defaults, and a save that lands there and never in the package's folder.
set -u
cpack="$1"
build="$2"
sanitize="$3"
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
[ "$sanitize" = 1 ] && skip "sanitizer build; the package is built and checked from the plain build"
for tool in dpkg dpkg-deb dpkg-shlibdeps file iconv; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (tools/install-deps.sh --test installs it)"
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(tail -n 20 "$work/cpack.log")"
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, got: ${debs[*]}"
deb="${debs[0]}"
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "sumsprout_${version}_${arch}.deb" ] || fail "package named $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section is not games"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libpulse0 libjpeg62-turbo qt6-qpa-plugins qt6-translations-l10n \
            fonts-comic-neue fonts-liberation fonts-wqy-microhei libqt6sql6-psql libpq5; do
  [[ "$depends" == *"$need"* ]] || fail "Depends lacks $need: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
share="$root/usr/share"
for f in usr/games/sumsprout usr/share/sumsprout/Set/Basic.dat usr/share/sumsprout/Set/Money.dat \
         usr/share/sumsprout/Pictures/Back.bmp usr/share/sumsprout/Pictures/Back@3x.png \
         usr/share/sumsprout/Pictures/woolly@3x.png usr/share/sumsprout/Sound/WoollyYes.wav \
         usr/share/sumsprout/Help/index.html usr/share/applications/sumsprout.desktop \
         usr/share/icons/hicolor/48x48/apps/sumsprout.png usr/share/icons/hicolor/64x64/apps/sumsprout.png \
         usr/share/icons/hicolor/128x128/apps/sumsprout.png \
         usr/share/icons/hicolor/256x256/apps/sumsprout.png \
         usr/share/icons/hicolor/scalable/apps/sumsprout.svg usr/share/doc/sumsprout/copyright; do
  [ -s "$root/$f" ] || fail "the package lacks $f"
done
ls "$share"/metainfo/*.metainfo.xml >/dev/null 2>&1 || fail "the package has no AppStream file"
for program in sumsprout sumsprout-game; do
  [ -x "$root/usr/games/$program" ] || fail "$program is not executable"
  if command -v readelf >/dev/null 2>&1; then
    readelf -S "$root/usr/games/$program" | grep -q -e '\.debug_info' -e '\.symtab' &&
      fail "$program is not stripped"
  fi
done
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$share/applications/sumsprout.desktop" || fail "desktop-file-validate"
  grep -qx 'Exec=/usr/games/sumsprout' "$share/applications/sumsprout.desktop" ||
    fail "the menu entry does not start /usr/games/sumsprout"
fi
if command -v appstreamcli >/dev/null 2>&1; then
  appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml || fail "appstreamcli validate"
fi
if command -v lintian >/dev/null 2>&1; then
  lint=$(lintian --fail-on error "$deb" 2>&1)
  rc=$?
  echo "lintian: ${lint:-clean}"
  [ "$rc" -eq 0 ] || fail "lintian reports errors"
fi

# Run as installed, offscreen, in a home of its own.
home="$work/home"
user_set="$home/.local/share/Sumsprout/Set"
mkdir -p "$home"
touch "$work/before"
run_game() {
  env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_RUNTIME_DIR HOME="$home" "$@" \
    "$root/usr/games/sumsprout" >>"$work/game.log" 2>&1 &
  gamepid=$!
  pids+=($gamepid)
}
run_game QT_QPA_PLATFORM=offscreen
for _ in $(seq 150); do [ -s "$user_set/Money.dat" ] && break; sleep 0.1; done
sleep 1
kill -0 "$gamepid" 2>/dev/null || fail "the installed game ended early: $(cat "$work/game.log")"
kill "$gamepid"
wait "$gamepid" 2>/dev/null
for f in "$share"/sumsprout/Set/*; do
  cmp -s "$f" "$user_set/$(basename "$f")" || fail "the user's Set/ lacks a copy of $(basename "$f")"
done
echo "user Set/ made from the defaults: $(ls "$user_set" | wc -l) files"

# A wrong answer costs one silver from 5 gold on, and is saved: type it under Xvfb.
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed; the save was not tried"
done
gbk() { printf '%s\r\n' "$@" | iconv -f UTF-8 -t GBK; }
gbk "Children=0" "Alg=0," "Hint=1" "AddDecMultiStep=1" >"$user_set/Basic.dat"
gbk "1位数+1位数>10(1硬币)" >"$user_set/AddSet.Dat"
gbk "小明=9,50" "弟弟=0,0" "爸爸=0,0" "姐姐=0,0" >"$user_set/Money.dat"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
run_game env -u QT_QPA_PLATFORM
win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Sumsprout$' | head -n1)
[ -n "$win" ] || fail "the game window did not appear: $(cat "$work/game.log")"
sleep 1.5
# Every sum of this type is above 10, so 0 is wrong.
xdotool key 0 Return
want=$(gbk "小明=9,49" | head -c 9)
for _ in $(seq 100); do
  [ "$(head -c 9 "$user_set/Money.dat")" = "$want" ] && break
  sleep 0.1
done
[ "$(head -c 9 "$user_set/Money.dat")" = "$want" ] ||
  fail "the wrong answer was not saved in the user's Set/: $(iconv -f GBK -t UTF-8 "$user_set/Money.dat")"
changed=$(find "$root" -newer "$work/before" -print)
[ -z "$changed" ] || fail "the package's folder was written: $changed"
echo "PASSED: built $(basename "$deb"), ran as installed, saved into $user_set"
