#!/usr/bin/env python3
"""What a screen reader user finds in a running Pomix, through the desktop's accessibility tree
(AT-SPI): every section button must be a push button named by its caption with a "Press"
action; pressing each through that action must show its section; there every visible field and
button must have a name, and every page tab list must have one tab selected. The planner's
month grid must be a table of six weeks under seven column headers with one selected day
cell named by its date. Prints what it finds, exits 1 when something is missing.

Needs a display with the accessibility bus and python3-pyatspi, and the program started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 (as on a desktop where a screen reader runs). By hand:
    python3 dist/tests/accessibility_check.py
"""
import re
import sys
import time

import pyatspi

SECTIONS = ["Ежедневник", "Записная книжка", "Заметки", "Каталог", "Долговая книга", "Настройки"]
FIELDS = {"text", "password text", "combo box", "list", "table", "tree table", "tree", "spin button"}
BUTTONS = {"push button", "check box", "radio button", "toggle button", "page tab"}


def application(timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and (app.name or "").replace(" ", "").lower() == "pomix":
                return app
        time.sleep(0.2)
    sys.exit("no accessible application named Po Mix is running")


def showing(node):
    try:
        extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return node.getState().contains(pyatspi.STATE_SHOWING) and extents.width > 0 and extents.height > 0
    except Exception:
        return False


def walk(node, out):
    try:
        role, count = node.getRoleName(), node.childCount
    except Exception:
        return out
    if showing(node):
        out.append((role, (node.name or "").strip(), node))
    for i in range(count):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, out)
    return out


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == "Press":
            action.doAction(i)
            time.sleep(0.8)
            return True
    return False


# "вторник, 8 декабря 2026" (or the English interface's form): a weekday, the day, the year.
SPOKEN_DATE = re.compile(r"^\w+, .*\b\d{1,2}\b.*\b\d{4}$")


def state(node, which):
    try:
        return node.getState().contains(which)
    except Exception:
        return False


def tab_problems(caption, here):
    problems = []
    for role, _, node in here:
        if role != "page tab list":
            continue
        tabs = [node.getChildAtIndex(i) for i in range(node.childCount)]
        tabs = [t for t in tabs if t is not None and t.getRoleName() == "page tab" and showing(t)]
        chosen = [t.name for t in tabs if state(t, pyatspi.STATE_SELECTED)]
        print(f"{caption}: tabs {[t.name for t in tabs]}, selected {chosen}")
        if len(chosen) != 1:
            problems.append(f"{caption}: a page tab list with {len(chosen)} of {len(tabs)} tabs selected")
    return problems


def grid_problems(here):
    tables = [node for role, name, node in here if role == "table" and node.childCount == 7 + 42]
    if not tables:
        return ["the planner shows no month grid table of 7 headers and 42 days"]
    grid = tables[0]
    cells = [grid.getChildAtIndex(i) for i in range(grid.childCount)]
    headers = [c.name for c in cells[:7] if c.getRoleName() == "table column header"]
    selected = [c for c in cells[7:] if c.getRoleName() == "table cell" and state(c, pyatspi.STATE_SELECTED)]
    print(f"month grid {grid.name!r}: headers {headers}, selected {[c.name for c in selected]}")
    problems = []
    if len(headers) != 7:
        problems.append("the month grid's weekdays are no column headers")
    if len(selected) != 1 or not SPOKEN_DATE.match(selected[0].name or ""):
        problems.append("the month grid has no one selected day named by its date")
    return problems


def main():
    app = application()
    problems = []
    seen = walk(app, [])
    for caption in SECTIONS:
        buttons = [n for role, name, n in seen if role == "push button" and name == caption]
        if not buttons:
            problems.append(f"section button {caption!r} is not a push button named by its caption")
            continue
        if not press(buttons[0]):
            problems.append(f"section button {caption!r} has no Press action")
            continue
        here = walk(app, [])
        fields = [(role, name) for role, name, _ in here if role in FIELDS]
        unnamed = [role for role, name, _ in here if (role in FIELDS or role in BUTTONS) and not name]
        print(f"{caption}: {len(fields)} fields {fields}")
        for role in unnamed:
            problems.append(f"{caption}: a {role} without a name")
        problems += tab_problems(caption, here)
        if caption == SECTIONS[0]:
            problems += grid_problems(here)
    for problem in problems:
        print("MISSING:", problem)
    print("ok" if not problems else f"{len(problems)} things a screen reader user cannot find")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
