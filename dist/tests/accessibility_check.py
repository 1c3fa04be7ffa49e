#!/usr/bin/env python3
"""What a screen reader user finds in a running Pomix, through the desktop's accessibility tree
(AT-SPI): every section button must be a push button named by its caption with a "Press"
action; pressing each through that action must show its section; there every visible field and
button must have a name. Prints what it finds, exits 1 when something is missing.

Needs a display with the accessibility bus and python3-pyatspi, and the program started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 (as on a desktop where a screen reader runs). By hand:
    python3 dist/tests/accessibility_check.py
"""
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
    for problem in problems:
        print("MISSING:", problem)
    print("ok" if not problems else f"{len(problems)} things a screen reader user cannot find")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
