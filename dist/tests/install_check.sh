#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a desktop and a user get from it:
# the files in their places, the desktop entry and the AppStream metadata as their validators
# read them, the manual pages, --version, and then the installed program itself (headless):
# its first start fills the user's data folder, a second start on the same data is refused
# and changes nothing, a killed copy leaves no lock behind, and a later start keeps the
# user's own files. Usage: install_check.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
for tool in desktop-file-validate appstreamcli flock; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (bash scripts/deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

prefix=$work/prefix
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    fail "cmake --install"
    exit 1
fi

app=org.pomix.Pomix
for file in bin/pomix bin/pomix-data share/pomix/Data/Pomix.ini share/pomix/Lang/Russian.lng \
    share/pomix/Media/alarm.wav share/applications/$app.desktop \
    share/icons/hicolor/scalable/apps/$app.svg share/metainfo/$app.metainfo.xml \
    share/man/man1/pomix.1 share/man/man1/pomix-data.1; do
    check "installed $file" test -s "$prefix/$file"
done
check "the programs are executable" test -x "$prefix/bin/pomix" -a -x "$prefix/bin/pomix-data"
# The desktop database of the prefix knows the new entry (where the machine has the tool).
if command -v update-desktop-database >/dev/null; then
    check "the desktop database was refreshed" test -f "$prefix/share/applications/mimeinfo.cache"
fi
# What a run of build/pomix wrote into the build folder must not be what gets installed.
check "the installed settings are the shipped ones" cmp -s "$prefix/share/pomix/Data/Pomix.ini" \
    "$build/shipped/Data/Pomix.ini"

entry=$prefix/share/applications/$app.desktop
check "desktop entry validates" desktop-file-validate "$entry"
check "metadata validates" appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml"
for key in 'Name=' 'Name\[ru\]=' 'Comment=' 'Comment\[ru\]=' 'Exec=pomix$' "Icon=$app\$" \
    'Categories=Office;Calendar;ContactManagement;$'; do
    check "desktop entry has $key" grep -q "^$key" "$entry"
done
check "metadata names the desktop entry" grep -q "<launchable type=\"desktop-id\">$app.desktop<" \
    "$prefix/share/metainfo/$app.metainfo.xml"
check "icon is an SVG document" python3 -c '
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
sys.exit(0 if root.tag == "{http://www.w3.org/2000/svg}svg" and len(root) > 0 else 1)' \
    "$prefix/share/icons/hicolor/scalable/apps/$app.svg"
if command -v man >/dev/null && command -v groff >/dev/null; then
    for page in pomix pomix-data; do
        LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" >"$work/$page.txt" \
            2>"$work/$page.warn"
        check "manual page $page renders without warnings" test ! -s "$work/$page.warn"
        check "manual page $page names the program" grep -q "^NAME" "$work/$page.txt"
    done
    check "manual page says where the data lives" grep -q "local/share/pomix" "$work/pomix.txt"
fi

version=$(sed -n 's/^project(Pomix VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
check "pomix --version" test "$("$prefix/bin/pomix" --version)" = "pomix $version"
check "pomix-data --version" test "$("$prefix/bin/pomix-data" --version)" = "pomix-data $version"
check "pomix --help names --version" sh -c "'$prefix/bin/pomix' --help | grep -q -- --version"
check "pomix-data --help names --version" sh -c "'$prefix/bin/pomix-data' --help | grep -q -- --version"

# --- the installed program in a fresh home, headless ------------------------------------
export HOME=$work/home QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/run
unset XDG_DATA_HOME
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
data=$HOME/.local/share/pomix
lock=$data/Data/pomix.lock

# The pid holding the lock, read from /proc/locks: probing with flock(1) would itself hold the
# lock for a moment and turn a start away.
holder() {
    [ -e "$lock" ] || return 0
    local inode
    inode=$(stat -c %i "$lock")
    awk -v inode="$inode" '$2 == "FLOCK" { split($6, id, ":"); if (id[3] == inode) print $5 }' /proc/locks
}
locked_by() { [ "$(holder)" = "$1" ]; }
unlocked() { [ -z "$(holder)" ]; }
wait_for() {  # wait_for SECONDS COMMAND...
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}
start() {  # start LOG: the installed program in the background; its pid in $started
    "$prefix/bin/pomix" >"$1" 2>&1 &
    started=$!
    pids+=("$started")
}
running() { kill -0 "$1" 2>/dev/null; }

start "$work/first.log"
first=$started
check "first start locks the user's data folder" wait_for 30 locked_by "$first"
for file in Data/Pomix.ini Lang/Russian.lng Media/alarm.wav; do
    check "first start copied $file" cmp -s "$prefix/share/pomix/$file" "$data/$file"
done
check "nothing was put beside the installed program" test ! -e "$prefix/bin/Data"

snapshot() { (cd "$data" && find . -type f ! -name pomix.lock -exec stat -c '%n %s %Y' {} + | sort
    find . -type f ! -name pomix.lock -exec md5sum {} + | sort); }
snapshot >"$work/before"
start "$work/second.log"
second=$started
check "second start on the same data says so" wait_for 30 grep -q "already running" "$work/second.log"
sleep 0.5
snapshot >"$work/after"
check "second start read and wrote no data file" cmp -s "$work/before" "$work/after"
check "first copy still runs" running "$first"
kill -KILL "$second" 2>/dev/null

kill -TERM "$first"
check "first copy ends on SIGTERM" wait_for 30 sh -c "! kill -0 $first 2>/dev/null"
check "ended copy released the lock" unlocked

# A killed copy leaves the lock file but no lock: the next start runs.
start "$work/killed.log"
killed=$started
check "start after a normal end runs" wait_for 30 locked_by "$killed"
kill -KILL "$killed"
wait "$killed" 2>/dev/null
check "lock file stays after a kill" test -e "$lock"
echo "my own settings" >"$data/Data/Pomix.ini"
rm "$data/Lang/Russian.lng"
start "$work/third.log"
third=$started
check "start after a killed copy runs" wait_for 30 locked_by "$third"
check "later start keeps the user's settings" grep -q "my own settings" "$data/Data/Pomix.ini"
check "later start brings back a missing dictionary" wait_for 10 cmp -s "$prefix/share/pomix/Lang/Russian.lng" \
    "$data/Lang/Russian.lng"
kill -KILL "$third"

if [ "$failures" -gt 0 ]; then
    echo "$failures install checks failed"
    for log in "$work"/*.log; do echo "--- $log"; cat "$log"; done
    exit 1
fi
echo "all install checks passed"
