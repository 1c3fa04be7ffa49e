#!/usr/bin/python3
"""Reads the files pomix-data exports with parsers that owe nothing to it (Debian's
python3-vobject and python3-icalendar, the csv module) and compares what they find with the
records of the data file as `pomix-data dump` prints them.

Usage: check_exchange.py vcf EXPORTED.vcf DUMP.json
       check_exchange.py ics EXPORTED.ics DUMP.json LEAD_MINUTES
       check_exchange.py csv EXPORTED.csv DUMP.json KIND
Prints what differs and exits 1, or exits 0 when everything agrees.
"""
import csv
import datetime
import json
import math
import sys

EPOCH = datetime.datetime(1899, 12, 30)
problems = []


def check(condition, what):
    if not condition:
        problems.append(what)


def day_of(value):
    """The calendar day of a stored day count, or None when it is no date."""
    if value is None or not math.isfinite(value):
        return None
    try:
        return (EPOCH + datetime.timedelta(days=math.trunc(value))).date()
    except OverflowError:
        return None


def time_of(value):
    """Hour and minute of the fraction of a stored value (the whole part plays no part)."""
    ms = round(abs(value) * 86400000) % 86400000
    return ms // 3600000, ms // 60000 % 60


def check_vcf(path, records):
    import vobject
    with open(path, encoding="utf-8") as f:
        cards = list(vobject.readComponents(f.read(), validate=True))
    check(len(cards) == len(records), f"{len(cards)} cards for {len(records)} records")
    for i, (card, r) in enumerate(zip(cards, records)):
        where = f"card {i + 1}"
        check(card.version.value == "3.0", f"{where}: version {card.version.value}")
        n = card.n.value
        check((n.family, n.given, n.additional) == (r["Famile"], r["FistName"], r["LastName"]),
              f"{where}: N {n.family!r} {n.given!r} {n.additional!r}")
        check(card.fn.value != "", f"{where}: empty FN")
        birth = day_of(r["Date"]) if r["Date"] != 0 else None
        bday = card.contents.get("bday")
        if birth:
            check(bday and bday[0].value == birth.isoformat(),
                  f"{where}: BDAY {bday and bday[0].value} for {birth}")
        else:
            check(not bday, f"{where}: BDAY without a birth date")
        phones = [t.value for t in card.contents.get("tel", [])]
        check(phones == [p for p in (r["Tel1"], r["Tel2"]) if p], f"{where}: TEL {phones}")
        emails = [e.value for e in card.contents.get("email", [])]
        check(emails == ([r["Email"]] if r["Email"] else []), f"{where}: EMAIL {emails}")
        adr = card.contents.get("adr")
        if r["Address"]:
            check(adr and adr[0].value.street == r["Address"], f"{where}: ADR {adr and adr[0].value}")
        notes = card.contents.get("note")
        if r["Note"]:
            check(notes and notes[0].value.split("\n") == r["Note"], f"{where}: NOTE {notes and notes[0].value!r}")
        cats = card.contents.get("categories")
        expected = {0: ["Личные"], 1: ["Деловые"]}.get(r["Category"])
        check((cats[0].value if cats else None) == expected, f"{where}: CATEGORIES {cats and cats[0].value}")


def check_ics(path, records, lead):
    import icalendar
    with open(path, "rb") as f:
        calendar = icalendar.Calendar.from_ical(f.read())
    events = [c for c in calendar.walk() if c.name == "VEVENT"]
    # vobject reads the same file too, and validates what it understands.
    import vobject
    with open(path, encoding="utf-8") as f:
        other = vobject.readOne(f.read(), validate=True)
    check(len(other.contents.get("vevent", [])) == len(events), "vobject sees another event count")
    dated = [r for r in records if day_of(r["Date"]) is not None]
    check(len(events) == len(dated), f"{len(events)} events for {len(dated)} dated records")
    uids = [str(e["UID"]) for e in events]
    check(len(set(uids)) == len(uids), "UIDs repeat")
    for i, (event, r) in enumerate(zip(events, dated)):
        where = f"event {i + 1}"
        check(str(event.get("SUMMARY")) == r["Name"], f"{where}: SUMMARY {event.get('SUMMARY')!r}")
        start = event.decoded("DTSTART")
        hour, minute = time_of(r["Time"])
        expected = datetime.datetime.combine(day_of(r["Date"]), datetime.time(hour, minute))
        check(start == expected and start.tzinfo is None, f"{where}: DTSTART {start!r} for {expected}")
        if r["Memo"]:
            check(str(event.get("DESCRIPTION")).split("\n") == r["Memo"],
                  f"{where}: DESCRIPTION {event.get('DESCRIPTION')!r}")
        alarms = [c for c in event.subcomponents if c.name == "VALARM"]
        check(len(alarms) == (1 if r["Remind"] == 1 else 0), f"{where}: {len(alarms)} alarms")
        for alarm in alarms:
            check(alarm.decoded("TRIGGER") == -datetime.timedelta(minutes=lead),
                  f"{where}: TRIGGER {alarm.decoded('TRIGGER')}")
        categories = event.get("CATEGORIES")
        text = categories.to_ical().decode() if categories is not None else ""
        check(("Выполнено" in text) == (r["Done"] == 1), f"{where}: CATEGORIES {text!r}")


def csv_value(key, value, kind):
    if isinstance(value, list):
        return "\n".join(value)
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, float) or (isinstance(value, int) and key in DATE_KEYS.get(kind, {})):
        form = DATE_KEYS.get(kind, {}).get(key)
        if form == "date":
            day = day_of(value)
            return day.isoformat() if day else ""
        if form == "time":
            return "%02d:%02d" % time_of(value)
        if form == "moment":
            day = day_of(value)
            if not day:
                return ""
            ms = round(abs(value) * 86400000) % 86400000
            return "%sT%02d:%02d:%02d" % (day.isoformat(), ms // 3600000, ms // 60000 % 60, ms // 1000 % 60)
    return str(value)


DATE_KEYS = {
    "calendar": {"Date": "date", "Time": "time"},
    "address": {"Date": "date"},
    "notes": {"Date": "moment"},
    "credit": {"CreateDate": "moment", "ReturnDate": "date"},
}


def check_csv(path, records, kind):
    with open(path, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f, strict=True))
    check(len(rows) == len(records) + 1, f"{len(rows) - 1} rows for {len(records)} records")
    if records:
        check(rows[0] == list(records[0].keys()), f"header {rows[0]}")
    for i, (row, r) in enumerate(zip(rows[1:], records)):
        expected = [csv_value(k, v, kind) for k, v in r.items()]
        check(row == expected, f"row {i + 1}: {row} for {expected}")


def main():
    kind, exported, dump = sys.argv[1:4]
    with open(dump, encoding="utf-8") as f:
        records = json.load(f)
    if isinstance(records, dict):
        records = [records]
    if kind == "vcf":
        check_vcf(exported, records)
    elif kind == "ics":
        check_ics(exported, records, int(sys.argv[4]))
    else:
        check_csv(exported, records, sys.argv[4])
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
