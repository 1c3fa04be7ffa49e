#!/usr/bin/env python3
"""Refuses an include that runs up the floors, lowest first:

    storage -> core -> sync -> kit -> windows -> app

Besides the order:
  - storage, core and sync include no Qt (tools/ may, for the desktop's secret store);
  - the kit knows no section and no server: nothing of core/<section>/ or sync/;
  - of app/, only the main window includes the section windows: the services talk to models;
  - tools/ stands on storage, core and sync; fuzz/ and tests/ on the core and sync;
    bench/ may measure any floor.
Every source file lies in one floor's folder. Prints each fault as path:line and exits 1.
"""
import os
import re
import sys

FLOORS = ["storage", "core", "sync", "kit", "windows", "app"]
LEVEL = {name: i for i, name in enumerate(FLOORS)}
# Folders outside the stack and the highest floor each may include.
USERS = {"tools": "sync", "fuzz": "sync", "tests": "sync", "bench": "app"}
SECTIONS = ("planner", "addressbook", "notes", "catalog", "debts")
MAIN_WINDOW = {"app/main_form.h", "app/main_form.cpp", "app/display_area.h", "app/display_area.cpp"}
SOURCE = (".cpp", ".h", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def faults_of(path, text):
    top = path.split("/", 1)[0]
    own = LEVEL.get(top, LEVEL.get(USERS.get(top, ""), None))
    if own is None:
        return [f"{path}: lies in no floor's folder ({', '.join(FLOORS)}, or {', '.join(USERS)})"]
    faults = []
    for number, line in enumerate(text.splitlines(), 1):
        m = INCLUDE.match(line)
        if not m:
            continue
        kind, name = m.groups()
        where = f"{path}:{number}: {name}"
        if kind == "<":
            if re.match(r"(Q|qt6)", name) and own <= LEVEL["sync"] and top != "tools":
                faults.append(f"{where}: Qt below the kit")
            continue
        floor = name.split("/", 1)[0]
        if floor not in LEVEL:
            continue  # a header beside the file, or of a folder outside the stack (tools/)
        if LEVEL[floor] > own:
            faults.append(f"{where}: {floor} stands above {top}")
        elif top == "kit" and (floor == "sync" or name.startswith(tuple(f"core/{s}/" for s in SECTIONS))):
            faults.append(f"{where}: the kit knows no section and no server")
        elif (top == "app" and floor == "windows" and path not in MAIN_WINDOW
              and not path.startswith("app/tests/")):
            faults.append(f"{where}: only the main window includes the windows")
    return faults


def main(root):
    faults = []
    for folder, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs if not d.startswith((".", "build")) and d != "seeds"]
        for name in files:
            if not name.endswith(SOURCE):
                continue
            full = os.path.join(folder, name)
            path = os.path.relpath(full, root)
            with open(full, encoding="utf-8", errors="replace") as f:
                faults += faults_of(path, f.read())
    for fault in faults:
        print(fault)
    print(f"floors: {len(faults)} includes run up" if faults else "floors: every include runs down")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
