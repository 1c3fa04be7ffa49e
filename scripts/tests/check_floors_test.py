#!/usr/bin/env python3
"""The floor check refuses exactly the includes that run up."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from check_floors import faults_of  # noqa: E402

CASES = [
    # (file, include line, refused)
    ("core/notes/note.cpp", '#include "storage/stream.h"', False),
    ("core/notes/note.cpp", '#include "kit/controls.h"', True),
    ("core/notes/note.cpp", "#include <QString>", True),
    ("sync/engine.cpp", '#include "core/planner/event.h"', False),
    ("sync/engine.cpp", '#include "app/sync_worker.h"', True),
    ("kit/message.cpp", '#include "core/settings/settings_record.h"', False),
    ("kit/message.cpp", '#include "core/notes/note.h"', True),
    ("kit/message.cpp", '#include "sync/state.h"', True),
    ("kit/tests/controls_test.cpp", '#include "windows/section_window.h"', True),
    ("windows/notes/note_form.cpp", '#include "kit/controls.h"', False),
    ("windows/notes/note_form.cpp", '#include "app/main_form.h"', True),
    ("app/main_form.cpp", '#include "windows/notes/note_form.h"', False),
    ("app/sync_control.cpp", '#include "windows/planner/calendar_form.h"', True),
    ("app/sync_control.cpp", '#include "core/planner/planner.h"', False),
    ("tools/main.cpp", '#include "sync/engine.h"', False),
    ("tools/main.cpp", '#include "kit/controls.h"', True),
    ("bench/bench_start.cpp", '#include "app/program_run.h"', False),
    ("elsewhere/x.cpp", '#include "storage/stream.h"', True),
]


class FloorCheck(unittest.TestCase):
    def test_cases(self):
        for path, line, refused in CASES:
            with self.subTest(path=path, line=line):
                self.assertEqual(bool(faults_of(path, line + "\n")), refused)


if __name__ == "__main__":
    unittest.main()
