#!/usr/bin/env bash
# Takes a picture of the main window for the README, from a real X display.
#
#   bash scripts/screenshot.sh [BUILD_FOLDER [OUT.png]]
#
# BUILD_FOLDER (default: build) holds pomix, pomix-data and the Data/, Lang/ and Media/ the build
# makes (or its shipped/ copy of them); OUT defaults to docs/main-window.png. The program runs on a scratch copy of those folders
# with the sample contacts and appointments of tools/tests/exchange/ imported, under Xvfb, with the
# address book open on one contact. Run it by hand (as root on Debian, for the packages); the tests
# do not use it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
out=$(realpath -m "${2:-$root/docs/main-window.png}")

for f in pomix pomix-data; do
    [ -x "$build/$f" ] || { echo "screenshot: $build/$f is missing; build first" >&2; exit 1; }
done

bash "$root/scripts/deps.sh" xvfb xdotool imagemagick fonts-dejavu-core

scratch=$(mktemp -d)
xvfb_pid='' app_pid=''
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

# The program keeps its data beside itself when a Data/ folder is there: a copy of the executable
# beside a copy of the shipped files keeps the build's own data untouched. The build's shipped/
# holds those files as made, before any run changed the settings; else the ones beside pomix.
shipped=$build/shipped
[ -d "$shipped/Data" ] || shipped=$build
mkdir -p "$scratch/run"
cp "$build/pomix" "$scratch/run/"
cp -r "$shipped/Data" "$shipped/Lang" "$shipped/Media" "$scratch/run/"
rm -f "$scratch/run/Data/"*.dat "$scratch/run/Data/Sync."* "$scratch/run/Data/pomix.lock"
rm -rf "$scratch/run/Data/Backup"
samples=$root/tools/tests/exchange
for f in webcal.ics desktop.ics; do
    "$build/pomix-data" import ics "$scratch/run/Data/Calendar.dat" "$samples/$f" >/dev/null 2>&1
done
for f in phone21.vcf phone40.vcf webmail30.vcf; do
    "$build/pomix-data" import vcf "$scratch/run/Data/Address.dat" "$samples/$f" >/dev/null 2>&1
done

# A display of its own: Xvfb picks a free number and writes it once it accepts clients.
mkfifo "$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 number <"$scratch/display" || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$number
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

(cd "$scratch/run" && exec ./pomix) >"$scratch/pomix.log" 2>&1 &
app_pid=$!
window=''
for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name '^Pomix$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || { cat "$scratch/pomix.log" >&2; echo "screenshot: pomix ended" >&2; exit 1; }
    sleep 0.1
done
[ -n "$window" ] || { echo "screenshot: no window named Pomix appeared" >&2; exit 1; }
sleep 1

# The main window is 640 x 400 with its controls at fixed places: the section button
# "Записная книжка" at the left, then the second line of the contact list.
xdotool mousemove --window "$window" 55 34 click 1
sleep 1.5
xdotool mousemove --window "$window" 180 70 click 1
sleep 1
xdotool mousemove 1000 750
sleep 0.5

mkdir -p "$(dirname "$out")"
import -window "$window" -strip "png:$out"
echo "Wrote $out ($(stat -c %s "$out") bytes)"
