#!/usr/bin/env bash
# End-to-end checks of `pomix-data export` and `import`: the sample files of other programs in
# exchange/, round trips, the exported files read by independent parsers (check_exchange.py),
# malformed input, damaged targets and the data folder lock.
# Usage: exchange_test.sh PATH_TO_POMIX_DATA
set -u
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
samples=$here/exchange
checker=$here/check_exchange.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8
# Times in the samples are converted to this zone: three hours east of UTC, no summer time
# (a POSIX rule, so no zone files are needed).
export TZ=MSK-3
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}exitcode=99"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}exitcode=99"

passed=0
failed=0
ok() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
check() {
    local what=$1
    shift
    if "$@"; then ok; else fail "$what"; fi
}
run() {
    local expected=$1
    shift
    "$tool" "$@" >"$work/out" 2>"$work/err"
    status=$?
    if [ "$status" -eq "$expected" ]; then ok; else fail "pomix-data $* exited $status, not $expected: $(head -3 "$work/err")"; fi
}
one_error_line() {
    check "one stderr line for $1: $(cat "$work/err")" test "$(wc -l <"$work/err")" -eq 1
}
out_is() {
    check "stdout '$(cat "$work/out")' is not '$1'" test "$(cat "$work/out")" = "$1"
}
# json FILE EXPRESSION: evaluates a Python expression over the records r of a dump.
json() {
    /usr/bin/python3 -c "import json,sys; r=json.load(open(sys.argv[1])); print(($2))" "$1"
}
expect_json() {  # expect_json FILE EXPRESSION EXPECTED
    local got
    got=$(json "$1" "$2")
    check "$2 is '$got', not '$3'" test "$got" = "$3"
}
independent() {  # independent KIND EXPORTED DUMP [ARG]: the independent parsers agree
    if /usr/bin/python3 "$checker" "$@" >"$work/check" 2>&1; then ok; else fail "independent check of $2: $(head -5 "$work/check")"; fi
}

data=$work/Data
mkdir -p "$data"

# --- usage -------------------------------------------------------------------------------
run 2 export
run 2 export ics "$work/c.dat"
run 2 export ics "$work/c.dat" "$work/o.ics" --lead
run 2 export ics "$work/c.dat" "$work/o.ics" --lead ten
run 2 export ics "$work/c.dat" "$work/o.ics" --lead -5
run 2 export vcf "$work/a.dat"
run 2 export csv nonsense "$work/a.dat" "$work/o.csv"
run 2 export pdf "$work/a.dat" "$work/o.pdf"
run 2 import
run 2 import vcf "$data/Address.dat"
run 2 import ics "$data/Calendar.dat" a b
run 2 import csv "$data/Address.dat" x.csv
check "usage errors write nothing" test -z "$(ls -A "$data")" -a ! -e "$work/o.ics"

# --- vCard import from other programs' files ---------------------------------------------
run 0 import vcf "$data/Address.dat" "$samples/phone21.vcf"
out_is '2 added, 0 skipped, 0 simplified, 0 characters replaced by "?"'
run 0 import vcf "$data/Address.dat" "$samples/webmail30.vcf"
out_is '2 added, 0 skipped, 0 simplified, 0 characters replaced by "?"'
run 0 import vcf "$data/Address.dat" "$samples/phone40.vcf"
out_is '1 added, 1 skipped, 0 simplified, 2 characters replaced by "?"'
check "the skipped card is named on stderr: $(cat "$work/err")" grep -q "phone40.vcf:.*skipped" "$work/err"
"$tool" dump address "$data/Address.dat" >"$work/address.json"
expect_json "$work/address.json" 'len(r)' 5
# 2.1: quoted-printable UTF-8 names, the third phone in the notes, the photo ignored.
expect_json "$work/address.json" 'r[0]["Famile"], r[0]["FistName"], r[0]["LastName"]' "('Иванов', 'Пётр', 'Алексеевич')"
expect_json "$work/address.json" 'r[0]["Tel1"], r[0]["Tel2"], r[0]["Email"]' "('+7 916 123-45-67', '+7 495 765-43-21', 'petr.ivanov@example.ru')"
expect_json "$work/address.json" 'r[0]["Address"]' "ул. Садовая, д. 10, кв. 5, Москва, 123456"
expect_json "$work/address.json" 'r[0]["Note"]' "['Коллега по работе', 'звонить вечером', 'Телефон: +7 495 111-22-33']"
expect_json "$work/address.json" 'r[0]["Date"]' 31114
# 2.1 in windows-1251.
expect_json "$work/address.json" 'r[1]["Famile"], r[1]["FistName"], r[1]["Address"]' "('Смирнова', 'Анна', 'Невский пр., 1, Санкт-Петербург')"
expect_json "$work/address.json" 'r[1]["Date"]' 33238
# 3.0: folded note with escapes, the second e-mail, organisation and title in the notes.
expect_json "$work/address.json" 'r[2]["Note"][0]' "Длинная заметка, которая не помещается в одну строку файла и потому перенесена на следующую; вторая строка"
expect_json "$work/address.json" 'r[2]["Note"][2:]' "['E-mail: o.kuznetsova@work.example.com', 'Организация: ООО \"Ромашка\", Бухгалтерия', 'Должность: Главный бухгалтер', 'Категории: myContacts']"
expect_json "$work/address.json" 'r[2]["Category"], r[2]["URL"]' "(1, 'https://olga.example.com/')"
expect_json "$work/address.json" 'r[3]["Famile"], r[3]["Tel1"]' "('Служба доставки', '8 800 555-35-35')"
# 4.0: tel: URIs, a birthday without a year, characters the code page lacks.
expect_json "$work/address.json" 'r[4]["FistName"], r[4]["Tel1"], r[4]["Tel2"], r[4]["Date"], r[4]["Category"]' "('Wei ??', '+86-10-1234-5678', '+86-10-8765-4321', 0, 0)"
expect_json "$work/address.json" 'r[4]["Note"]' "['День рождения: 08.03']"

# --- vCard export, read back by vobject, and the round trip ------------------------------
run 0 export vcf "$data/Address.dat" "$work/out.vcf"
out_is "5 exported, 0 left out"
independent vcf "$work/out.vcf" "$work/address.json"
mkdir -p "$work/again"
run 0 import vcf "$work/again/Address.dat" "$work/out.vcf"
"$tool" dump address "$work/again/Address.dat" >"$work/again.json"
check "vCard round trip gives the same records" cmp -s "$work/address.json" "$work/again.json"

# --- iCalendar import --------------------------------------------------------------------
run 0 import ics "$data/Calendar.dat" "$samples/webcal.ics"
out_is '4 added, 3 skipped, 1 simplified, 0 characters replaced by "?"'
check "VTODO reason on stderr" grep -q "skipped: a to-do item (VTODO)" "$work/err"
check "VJOURNAL reason on stderr" grep -q "skipped: a journal entry (VJOURNAL)" "$work/err"
check "moved occurrence reason on stderr" grep -q "skipped: a changed occurrence" "$work/err"
check "the series is said to be simplified" grep -q "simplified: recurring event 'Курсы английского'" "$work/err"
run 0 import ics "$data/Calendar.dat" "$samples/desktop.ics"
out_is '2 added, 0 skipped, 0 simplified, 0 characters replaced by "?"'
run 0 export csv calendar "$data/Calendar.dat" "$work/calendar.csv"
"$tool" dump calendar "$data/Calendar.dat" >"$work/calendar.json"
expect_json "$work/calendar.json" 'len(r)' 6
expect_json "$work/calendar.json" '[e["Name"] for e in r]' "['Планёрка', 'Звонок в Лондон', 'Международный женский день', 'Курсы английского', 'Quarterly review', 'Winter meeting']"
expect_json "$work/calendar.json" '[(e["Remind"], e["Done"]) for e in r]' "[(1, 0), (0, 0), (0, 0), (0, 0), (1, 1), (0, 0)]"
expect_json "$work/calendar.json" 'r[0]["Memo"]' "['Повестка:', '1. Итоги квартала', '2. Планы на апрель, май', 'Место: Переговорная 3']"
# Starts in Moscow time: zoned, UTC (15:00Z), all-day, Berlin summer (10:00+02) and winter (09:00+01).
check "local start times: $(cut -d, -f3,4 "$work/calendar.csv" | tr '\r\n' '  ')" \
    test "$(grep -o '20[0-9-]*,[0-9:]*,1,[01],[01]' "$work/calendar.csv" | cut -d, -f1,2 | tr '\n' ' ')" = \
    "2025-03-10,09:30 2025-03-14,18:00 2025-03-08,00:00 2025-03-03,19:00 2025-07-02,11:00 2025-12-15,11:00 "
independent csv "$work/calendar.csv" "$work/calendar.json" calendar
# The CSV comes back in through the same core code the windows use.
run 0 import csv calendar "$work/Back.dat" "$work/calendar.csv"
out_is '6 added, 0 skipped, 0 simplified, 0 characters replaced by "?"'
"$tool" dump calendar "$work/Back.dat" >"$work/back.json"
check "CSV round trip of the events" cmp -s "$work/calendar.json" "$work/back.json"

# --- iCalendar export, read back by python3-icalendar, and the round trip ------------------
run 0 export ics "$data/Calendar.dat" "$work/out.ics"
out_is "6 exported, 0 left out"
independent ics "$work/out.ics" "$work/calendar.json" 15
run 0 export ics "$data/Calendar.dat" "$work/out45.ics" --lead 45
independent ics "$work/out45.ics" "$work/calendar.json" 45
run 0 export ics --lead 0 "$data/Calendar.dat" "$work/out0.ics"
independent ics "$work/out0.ics" "$work/calendar.json" 0
check "UIDs are the same in every export" test "$(grep UID "$work/out.ics")" = "$(grep UID "$work/out45.ics")"
run 0 import ics "$work/again/Calendar.dat" "$work/out.ics"
"$tool" dump calendar "$work/again/Calendar.dat" >"$work/again.json"
check "iCalendar round trip gives the same records" cmp -s "$work/calendar.json" "$work/again.json"
# The round trip holds in any time zone: the export's times are floating.
TZ=EST5EDT,M3.2.0,M11.1.0 "$tool" import ics "$work/again/NewYork.dat" "$work/out.ics" >/dev/null 2>&1
"$tool" dump calendar "$work/again/NewYork.dat" >"$work/again.json"
check "floating times do not move with the zone" cmp -s "$work/calendar.json" "$work/again.json"

# An event whose day is no date (NaN) cannot be written: left out, and said so.
printf '\x02\0\0\0\x01\0\0\0\0X\xff\xff\xff\xff\0\0\0\0\0\0\xf8\x7f\0\0\0\0\0\0\0\0\x01\0\0\0\x01\x00' >"$work/nan.bin"
printf '\x01\0\0\0\0Y\xff\xff\xff\xff\0\0\0\0\xa0\x52\xe6\x40\0\0\0\0\0\0\xd8\x3f\x01\0\0\0\x01\x00' >>"$work/nan.bin"
"$tool" container create "$work/NaN.dat" Calendar="$work/nan.bin"
run 0 export ics "$work/NaN.dat" "$work/nan.ics"
out_is "1 exported, 1 left out"
check "the left-out event is named: $(cat "$work/err")" grep -q "NaN.dat:1: left out: event 'X'" "$work/err"
"$tool" dump calendar "$work/NaN.dat" >"$work/nan.json"
independent ics "$work/nan.ics" "$work/nan.json" 15

# --- CSV of the other kinds --------------------------------------------------------------
run 0 export csv address "$data/Address.dat" "$work/address.csv"
independent csv "$work/address.csv" "$work/address.json" address
run 0 import csv address "$work/BackBook.dat" "$work/address.csv"
"$tool" dump address "$work/BackBook.dat" >"$work/backbook.json"
check "CSV round trip of the contacts" cmp -s "$work/address.json" "$work/backbook.json"
check "CSV records end in CR LF" test "$(head -1 "$work/address.csv" | od -An -c | tr -d ' \n' | tail -c 4)" = '\r\n'
printf '\x01\0\0\0\0\0\0\0\0\0\x04\x40\x03\0\0\0\0a,"\0\0\0\0\x01\0\0\0\0x\x01\0\0\0\0y' >"$work/nbook.bin"
"$tool" container create "$work/Note.dat" NBook="$work/nbook.bin"
run 0 export csv notes "$work/Note.dat" "$work/notes.csv"
"$tool" dump notes "$work/Note.dat" >"$work/notes.json"
independent csv "$work/notes.csv" "$work/notes.json" notes
check "note moment as ISO 8601" grep -q '^1900-01-01T12:00:00,' "$work/notes.csv"
# One entry: category 3, title "T", description "a"; one debt: kind 2, "Ann", "5 $", entered
# 1.5, due 2.0.
printf '\x01\0\0\0\x03\0\0\0\x01\0\0\0\0T\0\0\0\0\x01\0\0\0\0a' >"$work/catalog.bin"
printf '\x01\0\0\0\x02\0\0\0\x03\0\0\0\0Ann\x03\0\0\0\x005 $\0\0\0\0\0\0\xf8\x3f\0\0\0\0\0\0\0\x40' >"$work/credit.bin"
"$tool" container create "$work/Catalog.dat" Catalog="$work/catalog.bin"
"$tool" container create "$work/Credit.dat" Credit="$work/credit.bin"
for kind in catalog credit; do
    file=$work/$(echo "${kind:0:1}" | tr a-z A-Z)${kind:1}.dat
    run 0 export csv "$kind" "$file" "$work/$kind.csv"
    "$tool" dump "$kind" "$file" >"$work/$kind.json"
    independent csv "$work/$kind.csv" "$work/$kind.json" "$kind"
done
check "debt dates: $(tail -1 "$work/credit.csv")" grep -q ',1899-12-31T12:00:00,1900-01-01' "$work/credit.csv"
# An empty list still has its header.
printf '\0\0\0\0' >"$work/none.bin"
"$tool" container create "$work/Empty.dat" Calendar="$work/none.bin"
run 0 export csv calendar "$work/Empty.dat" "$work/empty.csv"
check "header of an empty calendar" test "$(cat "$work/empty.csv")" = "$(printf 'Name,Memo,Date,Time,Reserved,Remind,Done\r')"

# --- malformed input: exit 1, one line, the data file untouched ---------------------------
cp "$data/Address.dat" "$work/address.before"
cp "$data/Calendar.dat" "$work/calendar.before"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Open;Card;;;\r\n' >"$work/unterminated.vcf"
printf 'BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20250101T000000\r\nEND:VCALENDAR\r\n' >"$work/crossed.ics"
{ printf 'BEGIN:VCARD\r\nNOTE:'; head -c 5000000 /dev/zero | tr '\0' 'a'; printf '\r\nEND:VCARD\r\n'; } >"$work/overlong.vcf"
{ printf 'BEGIN:VCALENDAR\r\nX-LONG:'; head -c 5000000 /dev/zero | tr '\0' 'b'; printf '\r\nEND:VCALENDAR\r\n'; } >"$work/overlong.ics"
truncate -s 100M "$work/huge.vcf"
cp "$work/huge.vcf" "$work/huge.ics"
head -c 4096 /dev/urandom >"$work/garbage.vcf"
cp "$work/garbage.vcf" "$work/garbage.ics"
: >"$work/empty.vcf"
: >"$work/empty.ics"
for f in huge garbage; do
    run 1 import vcf "$data/Address.dat" "$work/$f.vcf"
    one_error_line "$f.vcf"
    check "out stays empty for $f.vcf" test ! -s "$work/out"
done
# A card that cannot be read is skipped, a line too long left out, both named with their line.
run 0 import vcf "$data/Address.dat" "$work/unterminated.vcf"
out_is '0 added, 1 skipped, 0 simplified, 0 characters replaced by "?"'
check "the unended card is named: $(cat "$work/err")" grep -q "unterminated.vcf:1: skipped: BEGIN:VCARD is never ended" "$work/err"
run 0 import vcf "$data/Address.dat" "$work/overlong.vcf"
out_is '0 added, 1 skipped, 0 simplified, 0 characters replaced by "?", 1 line left out'
check "the overlong line is named: $(cat "$work/err")" grep -q "overlong.vcf:2: note: line over 4 MiB left out" "$work/err"
for f in huge garbage empty; do
    run 1 import ics "$data/Calendar.dat" "$work/$f.ics"
    one_error_line "$f.ics"
done
# What can be read of a calendar is read: an unended event and an overlong line are left out
# and named, with their line, and the file's other contents come in.
run 0 import ics "$data/Calendar.dat" "$work/crossed.ics"
out_is '0 added, 1 skipped, 0 simplified, 0 characters replaced by "?"'
check "the unended event is named: $(cat "$work/err")" grep -q "crossed.ics:2: skipped: BEGIN:VEVENT is never ended" "$work/err"
run 0 import ics "$data/Calendar.dat" "$work/overlong.ics"
out_is '0 added, 0 skipped, 0 simplified, 0 characters replaced by "?", 1 line left out'
check "the overlong line is named: $(cat "$work/err")" grep -q "overlong.ics:2: note: line over 4 MiB left out" "$work/err"
# An empty file is an empty address book (what the export of one writes): nothing to add.
run 0 import vcf "$data/Address.dat" "$work/empty.vcf"
out_is '0 added, 0 skipped, 0 simplified, 0 characters replaced by "?"'
run 1 import vcf "$data/Address.dat" "$work/missing.vcf"
one_error_line "missing input"
check "address file unchanged by refused imports" cmp -s "$data/Address.dat" "$work/address.before"
check "calendar file unchanged by refused imports" cmp -s "$data/Calendar.dat" "$work/calendar.before"
run 1 import vcf "$work/new/Address.dat" "$work/garbage.vcf"
check "a refused import creates no data file" test ! -e "$work/new/Address.dat"

# --- damaged targets are refused, never overwritten -------------------------------------
head -c 300 /dev/urandom >"$work/damaged.dat"
cp "$work/damaged.dat" "$work/damaged.before"
run 1 import vcf "$work/damaged.dat" "$samples/webmail30.vcf"
one_error_line "damaged address target"
run 1 import ics "$work/damaged.dat" "$samples/webcal.ics"
one_error_line "damaged calendar target"
check "damaged target left as it was" cmp -s "$work/damaged.dat" "$work/damaged.before"
# An address file is no calendar: the stream is missing, so it is damaged for this purpose.
run 1 import ics "$data/Address.dat" "$samples/webcal.ics"
check "a file of another kind is left as it was" cmp -s "$data/Address.dat" "$work/address.before"
run 1 export vcf "$work/damaged.dat" "$work/from-damaged.vcf"
one_error_line "export of a damaged file"
check "nothing exported from a damaged file" test ! -e "$work/from-damaged.vcf"
run 1 export ics "$work/none.dat" "$work/from-none.ics"
check "nothing exported from a missing file" test ! -e "$work/from-none.ics"
run 1 export vcf "$data/Address.dat" "$work/nofolder/out.vcf"
one_error_line "export to a folder that does not exist"
cp "$work/out.vcf" "$work/keep.vcf"
run 1 export csv address "$work/damaged.dat" "$work/keep.vcf"
check "a failed export keeps the earlier output" cmp -s "$work/keep.vcf" "$work/out.vcf"

# --- the data folder lock ---------------------------------------------------------------
if command -v flock >/dev/null; then
    flock -n "$data/pomix.lock" "$tool" import vcf "$data/Address.dat" "$samples/webmail30.vcf" >"$work/out" 2>"$work/err"
    status=$?
    check "import while the folder is locked exits 1 (got $status)" test "$status" -eq 1
    check "and says the program has the folder open: $(cat "$work/err")" grep -q "open" "$work/err"
    one_error_line "locked folder"
    check "locked folder: data file unchanged" cmp -s "$data/Address.dat" "$work/address.before"
    run 0 import vcf "$data/Address.dat" "$samples/webmail30.vcf"
    check "after the lock is gone the import goes through" test "$(json <("$tool" dump address "$data/Address.dat") 'len(r)')" = 7
else
    echo "SKIP: no flock command: lock not checked"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
