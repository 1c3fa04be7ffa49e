#!/usr/bin/env bash
# End-to-end checks of the pomix-data command line.
# Usage: cli_test.sh PATH_TO_POMIX_DATA [SHARED_DIR]
set -u
tool=$1
shared=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C
# In a sanitizer build a finding must not pass for the tool's ordinary error status 1.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}exitcode=99"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}exitcode=99"

passed=0
failed=0
ok() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
    local what=$1
    shift
    if "$@"; then ok; else fail "$what"; fi
}

# run EXPECTED_STATUS ARGS...: runs the tool, keeping stdout and stderr in $work/out, $work/err.
run() {
    local expected=$1
    shift
    "$tool" "$@" >"$work/out" 2>"$work/err"
    status=$?
    if [ "$status" -eq "$expected" ]; then ok; else fail "pomix-data $* exited $status, not $expected"; fi
}
# The error contract: exactly one line on standard error.
one_error_line() {
    check "one stderr line for $1: $(cat "$work/err")" test "$(wc -l <"$work/err")" -eq 1
}
# err_is TEXT: standard error is exactly that one line.
err_is() {
    check "stderr '$(cat "$work/err")' is not '$1'" test "$(cat "$work/err")" = "$1"
}
first_bytes() { od -An -tx1 -N"$2" "$1" | tr -d ' \n'; }
# Deterministic pseudo-random bytes: garbage SEED COUNT FILE
garbage() {
    awk -v seed="$1" -v n="$2" 'BEGIN { srand(seed); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }' >"$3"
}

# --- usage ------------------------------------------------------------------------------
run 0 --help
check "help names the container commands" grep -q "container list FILE" "$work/out"
run 2
run 2 frobnicate
run 2 lh5
run 2 lh5 squash a b
run 2 lh5 compress onlyone
run 2 container
run 2 container list
run 2 container list a b
run 2 container extract f name
run 2 container create
run 2 container create "$work/x.dat" notapair
run 2 container create "$work/x.dat" =file
run 2 container remove f
run 2 dump
check "usage errors create nothing" test ! -e "$work/x.dat"

# --- lh5 against the shared reference vectors ---------------------------------------------
vectors="$shared/lh5-vectors"
if [ -n "$shared" ] && [ -d "$vectors" ]; then
    for name in empty byte1 abc bytes3_aaa all_bytes_cycle container_small container_edge english_300k; do
        if [ ! -f "$vectors/$name.bin" ]; then
            fail "vector $name missing"
            continue
        fi
        run 0 lh5 compress "$vectors/$name.bin" "$work/$name.lh5"
        check "compress $name is byte-exact" cmp -s "$work/$name.lh5" "$vectors/$name.lh5"
        run 0 lh5 decompress "$vectors/$name.lh5" "$work/$name.bin"
        check "decompress $name gives the input back" cmp -s "$work/$name.bin" "$vectors/$name.bin"
    done
else
    echo "SKIP: no shared folder with lh5-vectors (given '$shared'): reference vectors not checked"
fi

# A round trip of our own data, independent of the shared folder.
garbage 7 5000 "$work/random.bin"
{ for i in $(seq 1 2000); do echo "line $i of a repeated text"; done; } >"$work/text.txt"
for f in random.bin text.txt; do
    run 0 lh5 compress "$work/$f" "$work/$f.lh5"
    run 0 lh5 decompress "$work/$f.lh5" "$work/$f.back"
    check "lh5 round trip of $f" cmp -s "$work/$f" "$work/$f.back"
done
check "repetitive text compresses" test "$(stat -c %s "$work/text.txt.lh5")" -lt 10000

run 1 lh5 compress "$work/none" "$work/none.lh5"
one_error_line "missing lh5 input"
err_is "Cannot open file $work/none"
run 1 lh5 compress "$work/text.txt" "$work/nofolder/out.lh5"
one_error_line "uncreatable lh5 output"

# --- container create / list / extract ----------------------------------------------------
printf 'first stream' >"$work/a.txt"
cp "$work/random.bin" "$work/b.bin"
: >"$work/empty.bin"
run 0 container create "$work/c.dat" Zeta="$work/a.txt" alpha="$work/b.bin" Beta="$work/empty.bin"
check "compressed container starts with & and blank" test "$(first_bytes "$work/c.dat" 2)" = "2620"
run 0 container list "$work/c.dat"
printf 'alpha\t5000\nBeta\t0\nZeta\t12\n' >"$work/expected"
check "list gives name TAB size in case-insensitive order" cmp -s "$work/out" "$work/expected"
for pair in alpha:b.bin Beta:empty.bin Zeta:a.txt; do
    name=${pair%%:*}
    file=${pair#*:}
    run 0 container extract "$work/c.dat" "$name" "$work/got"
    check "extract $name byte for byte" cmp -s "$work/got" "$work/$file"
done

run 0 container extract "$work/c.dat" ZETA "$work/got"
check "extract finds a name with its case ignored" cmp -s "$work/got" "$work/a.txt"

run 0 container create "$work/s.dat" --stored One="$work/a.txt" one="$work/text.txt"
check "stored container: blank markers and the plain signature" \
    test "$(first_bytes "$work/s.dat" 10)" = "20200102030405060708"
run 0 container list "$work/s.dat"
check "an equal name replaces the stream and keeps the first spelling" \
    test "$(cat "$work/out")" = "$(printf 'One\t%s' "$(stat -c %s "$work/text.txt")")"

run 0 container create "$work/empty.dat"
run 0 container list "$work/empty.dat"
check "empty container lists nothing" test ! -s "$work/out"

run 1 container extract "$work/c.dat" missing "$work/got"
one_error_line "extract of a missing name"
run 1 container create "$work/d.dat" A="$work/none"
one_error_line "create from a missing file"
check "a failed create leaves no file" test ! -e "$work/d.dat"
run 1 container create "$work/nofolder/d.dat" A="$work/a.txt"
err_is "Cannot create file $work/nofolder/d.dat"
run 1 container list "$work/none.dat"
err_is "Cannot open file $work/none.dat"

# A failed create over an existing container leaves it as it was.
cp "$work/c.dat" "$work/keep.dat"
run 1 container create "$work/keep.dat" A="$work/none"
check "failed create keeps the old container" cmp -s "$work/keep.dat" "$work/c.dat"

# --- damaged containers -------------------------------------------------------------------
head -c 2 "$work/c.dat" >"$work/short.dat"
head -c 30 "$work/c.dat" >"$work/cut.dat"
{ printf '  '; printf 'not a signature'; } >"$work/nosig.dat"
{ printf '&*'; tail -c +3 "$work/c.dat"; } >"$work/cipher.dat"
for f in short cut nosig cipher; do
    run 1 container list "$work/$f.dat"
    err_is "File is corrupt."
    check "nothing listed for $f" test ! -s "$work/out"
done
run 1 container extract "$work/cut.dat" alpha "$work/got"
err_is "File is corrupt."

# A stored item running past the end of the image.
head -c -3 "$work/s.dat" >"$work/past.dat"
run 1 container list "$work/past.dat"
err_is "Stream read error"

# --- dump notes --------------------------------------------------------------------------
# One note: Date 2.5, Name "T", Memo ["x", "Да" in code page 1251].
printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x04\x40\x01\x00\x00\x00\x00T' >"$work/nbook.stream"
printf '\x01\x00\x00\x00\x01\x00\x00\x00\x00x\x02\x00\x00\x00\x00\xc4\xe0' >>"$work/nbook.stream"
run 0 container create "$work/note.dat" NBook="$work/nbook.stream"
run 0 dump notes "$work/note.dat"
printf '[\n{"Date":2.5,"Name":"T","Memo":["x","\xd0\x94\xd0\xb0"]}\n]\n' >"$work/expected"
check "dump notes prints the stored fields: $(cat "$work/out")" cmp -s "$work/out" "$work/expected"
head -c -1 "$work/nbook.stream" >"$work/nbook_cut.stream"
run 0 container create "$work/note_cut.dat" NBook="$work/nbook_cut.stream"
run 1 dump notes "$work/note_cut.dat"
err_is "File is corrupt."
check "nothing printed for a truncated notes file" test ! -s "$work/out"

# --- dump calendar -----------------------------------------------------------------------
# One event: Name "Tea", Memo ["x"], Date 45717, Time 0.375, Reserved 7, Remind 2, Done 1.
printf '\x01\x00\x00\x00\x03\x00\x00\x00\x00Tea\x00\x00\x00\x00\x01\x00\x00\x00\x00x' >"$work/cal.stream"
printf '\x00\x00\x00\x00\xa0\x52\xe6\x40\x00\x00\x00\x00\x00\x00\xd8\x3f' >>"$work/cal.stream"
printf '\x07\x00\x00\x00\x02\x01' >>"$work/cal.stream"
run 0 container create "$work/cal.dat" Calendar="$work/cal.stream"
run 0 dump calendar "$work/cal.dat"
printf '[\n{"Name":"Tea","Memo":["x"],"Date":45717,"Time":0.375,"Reserved":7,"Remind":2,"Done":1}\n]\n' >"$work/expected"
check "dump calendar prints the stored fields: $(cat "$work/out")" cmp -s "$work/out" "$work/expected"
head -c -1 "$work/cal.stream" >"$work/cal_cut.stream"
run 0 container create "$work/cal_cut.dat" Calendar="$work/cal_cut.stream"
run 1 dump calendar "$work/cal_cut.dat"
err_is "File is corrupt."
check "nothing printed for a truncated calendar" test ! -s "$work/out"
run 1 dump calendar "$work/c.dat"
err_is "File is corrupt."

# --- dump settings ---------------------------------------------------------------------
# A "Setting" stream written field by field: flags, texts (length, filler, bytes), colours,
# six category names, the mark, ConfirmDelete, BirthdayDays, ShowAge, the event names
# (count - 1, then texts), two colours, a flag, ReminderLead, two texts.
z4='\000\000\000\000'
{
    printf '\001\000'
    printf '\002\000\000\000\000a"'
    printf "$z4"
    printf '\377\000\000\000'; for i in 1 2 3 4 5; do printf "$z4"; done
    printf '\002\000\000\000\000\312\355'; for i in 1 2 3 4 5; do printf "$z4"; done
    printf "$z4"
    printf '\001\012\000\000\000\000'
    printf '\000\000\000\000\001\000\000\000\000x'
    printf '\377\000\000\000'; printf "$z4"
    printf '\001\017\000\000\000'
    printf "$z4$z4"
} >"$work/setting.bin"
run 0 container create "$work/Pomix.ini" Setting="$work/setting.bin"
run 0 dump settings "$work/Pomix.ini"
expected='{"ShowHints":true,"CheckPassword":false,"ReservedText":"a\"","Password":"","EditColor":255,"WindowColor":0,"AccentColor":0,"EditTextColor":0,"LabelTextColor":0,"ButtonTextColor":0,"CategoryNames":["Кн","","","","",""],"OverdueMark":"","ConfirmDelete":true,"BirthdayDays":10,"ShowAge":false,"EventNames":["x"],"PlannedDayColor":255,"DoneEventColor":0,"HighlightPlannedDays":true,"ReminderLead":15,"AlarmSound":"","LanguageFile":""}'
check "settings dump: $(cat "$work/out")" test "$(cat "$work/out")" = "$expected"
# A stream one byte short, and a container without the stream: damaged.
head -c -1 "$work/setting.bin" >"$work/short.bin"
run 0 container create "$work/Short.ini" Setting="$work/short.bin"
run 0 container create "$work/Other.ini" NBook="$work/setting.bin"
for f in Short Other; do
    run 1 dump settings "$work/$f.ini"
    err_is "File is corrupt."
    check "nothing printed for $f" test ! -s "$work/out"
done

# --- address, catalog and credit dumps ---------------------------------------------------
# One contact "П" (code page 1251), no other text, birth date 0, no notes, no category.
printf '\x01\0\0\0\x01\0\0\0\0\xcf\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xff\xff\xff\xff\xff' >"$work/abook.bin"
# One entry: category 3, title "T", description "a".
printf '\x01\0\0\0\x03\0\0\0\x01\0\0\0\0T\0\0\0\0\x01\0\0\0\0a' >"$work/catalog.bin"
# One debt: kind 2, "Ann", "5 $", entered 1.5, due 2.0.
printf '\x01\0\0\0\x02\0\0\0\x03\0\0\0\0Ann\x03\0\0\0\x005 $\0\0\0\0\0\0\xf8\x3f\0\0\0\0\0\0\0\x40' >"$work/credit.bin"
"$tool" container create "$work/address.dat" Abook="$work/abook.bin"
"$tool" container create "$work/catalog.dat" Catalog="$work/catalog.bin"
"$tool" container create "$work/credit.dat" Credit="$work/credit.bin"
run 0 dump address "$work/address.dat"
check "address dump" test "$(cat "$work/out")" = '[
{"Famile":"П","FistName":"","LastName":"","Date":0,"Address":"","Tel1":"","Tel2":"","Email":"","URL":"","Note":[],"Category":255}
]'
run 0 dump catalog "$work/catalog.dat"
check "catalog dump" test "$(cat "$work/out")" = '[
{"Category":3,"Name":"T","Memo":["a"]}
]'
run 0 dump credit "$work/credit.dat"
check "credit dump" test "$(cat "$work/out")" = '[
{"Kind":2,"FistName":"Ann","Name":"5 $","CreateDate":1.5,"ReturnDate":2}
]'
head -c -1 "$work/credit.bin" >"$work/credit_cut.bin"
"$tool" container create "$work/credit_cut.dat" Credit="$work/credit_cut.bin"
for kind in address catalog credit; do
    run 1 dump "$kind" "$work/credit_cut.dat"  # truncated, or no stream of that kind
    err_is "File is corrupt."
    check "nothing printed for a damaged $kind file" test ! -s "$work/out"
done

# --- backups and restore ---------------------------------------------------------------
data="$work/data"
mkdir -p "$data/Backup"
printf "\\0\\0\\0\\0" >"$work/zero.bin"
"$tool" container create "$data/Backup/Credit.dat.2026-11-30" Credit="$work/zero.bin" >/dev/null 2>&1 ||
    fail "could not make a copy to restore"
printf 'not a container' >"$data/Backup/Credit.dat.2026-12-01"
printf 'damaged' >"$data/Credit.dat"
run 0 backups "$data"
check "backups lists each copy with its records and whether it loads: $(cat "$work/out")" test "$(cat "$work/out")" = \
    "$(printf 'Credit.dat\t2026-11-30\t0 records\tloads\nCredit.dat\t2026-12-01\t-\tdamaged')"
run 2 restore "$data" Credit.dat
run 2 restore "$data" Other.dat 2026-11-30
# While Pomix holds the folder's lock, nothing is restored.
flock -n "$data/pomix.lock" "$tool" restore "$data" Credit.dat 2026-11-30 >"$work/out" 2>"$work/err"
check "restore while the folder is locked exits 1" test $? -eq 1
one_error_line "restore while locked"
check "the locked restore left the file" test "$(cat "$data/Credit.dat")" = damaged
run 1 restore "$data" Credit.dat 2026-12-01
run 0 restore "$data" Credit.dat 2026-11-30
check "restore put the copy back" cmp -s "$data/Credit.dat" "$data/Backup/Credit.dat.2026-11-30"
check "restore kept the replaced file as a copy of today" \
    test "$(cat "$data/Backup/Credit.dat.$(date +%F)")" = damaged

# --- garbage never crashes ---------------------------------------------------------------
crashes=0
check_no_crash() {
    "$tool" "$@" >/dev/null 2>"$work/err"
    local s=$?
    if { [ "$s" -ne 0 ] && [ "$s" -ne 1 ]; } || grep -q -e Sanitizer -e "runtime error" "$work/err"; then
        crashes=$((crashes + 1))
        echo "pomix-data $* exited $s"
    fi
}
size=$(stat -c %s "$work/c.dat")
for seed in $(seq 1 40); do
    garbage "$seed" $((seed * 37)) "$work/g.bin"
    check_no_crash container list "$work/g.bin"
    check_no_crash lh5 decompress "$work/g.bin" "$work/g.out"
    check_no_crash dump notes "$work/g.bin"
    check_no_crash dump calendar "$work/g.bin"
    check_no_crash dump settings "$work/g.bin"
    for kind in address catalog credit; do check_no_crash dump "$kind" "$work/g.bin"; done
    # The compressed container with a few bytes changed.
    cp "$work/c.dat" "$work/m.dat"
    garbage "$((seed + 1000))" 4 "$work/patch"
    dd if="$work/patch" of="$work/m.dat" bs=1 seek=$(((seed * 131) % size)) conv=notrunc status=none
    check_no_crash container list "$work/m.dat"
    check_no_crash container extract "$work/m.dat" alpha "$work/g.out"
done
check "no crash on garbage" test "$crashes" -eq 0

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
