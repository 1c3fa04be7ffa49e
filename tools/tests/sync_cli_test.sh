#!/usr/bin/env bash
# End-to-end checks of `pomix-data sync` against Radicale, run through
# sync/tests/dav_servers.sh (skipped, saying so, without the servers).
# Usage: sync_cli_test.sh PATH_TO_POMIX_DATA EXCHANGE_SAMPLES_DIR
set -u
tool=$1
samples=$2
if [ -z "${POMIX_TEST_DAV:-}" ]; then
    if [ "${CI:-}" = true ]; then
        echo "FAIL: Radicale and Xandikos are not running, and CI needs them"
        exit 1
    fi
    echo "SKIP: Radicale and Xandikos are not installed (Debian packages radicale, xandikos)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}exitcode=99"
server=$(echo "${POMIX_TEST_DAV%%;*}" | cut -d' ' -f2)
user=$POMIX_TEST_DAV_USER
passed=0 failed=0
expect() {  # expect STATUS DESCRIPTION -- ARGS...: runs the tool, output in $work/out, $work/err
    local want=$1 what=$2
    shift 3
    "$tool" "$@" >"$work/out" 2>"$work/err" </dev/null
    local got=$?
    if [ "$got" -eq "$want" ]; then passed=$((passed + 1)); else
        failed=$((failed + 1)); echo "FAIL: $what: exit $got, not $want"; cat "$work/err"; fi
}
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $what"; fi
}

data=$work/Data
mkdir "$data"
"$tool" import ics "$data/Calendar.dat" "$samples/webcal.ics" >/dev/null 2>&1
"$tool" import vcf "$data/Address.dat" "$samples/phone21.vcf" >/dev/null 2>&1

expect 2 "no server known yet" -- sync "$data"
export POMIX_SYNC_PASSWORD=$POMIX_TEST_DAV_PASSWORD
expect 1 "a calendar name the server lacks" -- sync "$data" --server "$server" --user "$user" --calendar Календарь-cli
check "names an unknown calendar" grep -q 'no calendar named "Календарь-cli"' "$work/err"
expect 0 "first sync" -- sync "$data" --server "$server" --user "$user" --calendar ""
check "uploads the events: $(cat "$work/out")" grep -q "server: 4 added" "$work/out"
check "uploads the contacts" grep -q "server: 2 added" "$work/out"
check "remembers the options" grep -qx "server=$server" "$data/Sync.ini"
check "keeps no password" bash -c "! grep -rq -- '$POMIX_SYNC_PASSWORD' '$data'"

expect 0 "a sync with nothing to do, options remembered" -- sync "$data"
check "keeps everything: $(cat "$work/out")" grep -q "here:   0 added, 0 changed, 0 deleted, 4 kept" "$work/out"

cp "$data/Calendar.dat" "$work/before.dat"
flock "$data/pomix.lock" "$tool" sync "$data" >"$work/out" 2>"$work/err"
check "refuses while Pomix has the folder open (exit $?)" grep -q "Pomix has the data folder" "$work/err"
POMIX_SYNC_PASSWORD=not-the-password expect 1 "a wrong password" -- sync "$data"
check "says 401: $(cat "$work/err")" grep -q "401" "$work/err"
check "never shows the password" bash -c "! grep -q not-the-password '$work/err'"
check "leaves the data as it was" cmp -s "$data/Calendar.dat" "$work/before.dat"
expect 1 "a server that is down" -- sync "$data" --server "$POMIX_TEST_CLOSED_DAV"
check "says so: $(cat "$work/err")" grep -q "cannot be reached" "$work/err"
check "leaves the data as it was" cmp -s "$data/Calendar.dat" "$work/before.dat"

# The misbehaving server: each case a folder of its own there, made to misbehave by a mode.
odd=$POMIX_TEST_ODD_DAV
mode() {  # mode SESSION MODE
    python3 -c 'import sys, urllib.request as u; u.urlopen(u.Request(sys.argv[1], sys.argv[2].encode(), method="POST"))' \
        "${odd}_mode/$1" "$2"
}
fresh() {  # fresh FOLDER: the samples' planner and address book
    mkdir "$1"
    "$tool" import ics "$1/Calendar.dat" "$samples/webcal.ics" >/dev/null 2>&1
    "$tool" import vcf "$1/Address.dat" "$samples/phone21.vcf" >/dev/null 2>&1
    cp "$1/Calendar.dat" "$work/before.dat"
}
fresh "$work/slow"
mode cli-slow trickle
expect 1 "a server that trickles its answers" -- sync "$work/slow" --server "${odd}cli-slow/" --timeout 2
check "says the time ran out: $(cat "$work/err")" grep -q "time limit of 2 s" "$work/err"
check "records nothing" test ! -e "$work/slow/Sync.map"
expect 2 "a timeout that is no number" -- sync "$work/slow" --timeout soon

fresh "$work/login"
mode cli-login auth
expect 1 "a first setup with a wrong password" -- sync "$work/login" --server "${odd}cli-login/" --user anna
check "says the user or password is wrong: $(cat "$work/err")" grep -q "wrong user name or password" "$work/err"

fresh "$work/entity"
mode cli-entity entity
expect 1 "an answer with entities" -- sync "$work/entity" --server "${odd}cli-entity/"
check "refuses the DOCTYPE: $(cat "$work/err")" grep -q "DOCTYPE" "$work/err"
check "changes no data file" cmp -s "$work/entity/Calendar.dat" "$work/before.dat"
check "records nothing" test ! -e "$work/entity/Sync.map"

# A server that refuses one item: the rest go up, and the refused one is named with its reason.
mkdir "$work/strict"
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART:20260310T090000\r\nSUMMARY:REFUSE-ME\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:b\r\nDTSTART:20260311T090000\r\nSUMMARY:Fine\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' >"$work/strict.ics"
"$tool" import ics "$work/strict/Calendar.dat" "$work/strict.ics" >/dev/null 2>&1
mode cli-strict strict
expect 0 "a server that refuses one upload" -- sync "$work/strict" --server "${odd}cli-strict/"
check "uploads the other: $(cat "$work/out")" grep -q "server: 1 added" "$work/out"
check "counts the refusal" grep -q "1 refused by the server, kept here" "$work/out"
check "names it with the server's reason: $(cat "$work/err")" \
    grep -q '"REFUSE-ME": .*403 Forbidden (valid-calendar-data: The calendar item holds a word this server refuses)' "$work/err"

echo "sync_cli_test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
