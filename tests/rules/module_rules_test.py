#!/usr/bin/env python3
"""The module-rules checker run on throw-away git trees: each case is a set of files and the expected verdict."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "scripts",
                                                                   "module_rules.py")

# (name, {path: text}, expected exit code, text the report must contain or None)
CASES = [
    ("allowed include", {"core/A.cpp": '#include "Config.h"\n', "config/Config.h": ""}, 0, None),
    ("kit includes the application", {"widgets/Button.cpp": '#include "MainWindow.h"\n', "app/MainWindow.h": ""}, 1,
     "widgets/Button.cpp:1 includes MainWindow.h from app/"),
    ("widget-free library uses the toolkit", {"core/Thread.cpp": "#include <QWidget>\n"}, 1,
     "core/Thread.cpp:1 includes <QWidget>"),
    ("configuration uses the toolkit", {"config/Scale.cpp": "#include <QtWidgets/QLabel>\n"}, 1, "config/Scale.cpp:1"),
    ("simulator reuses controller code", {"sim/Dev.cpp": '#  include "Reg.h"\n', "dvm_lib/Reg.h": ""}, 1,
     "sim/Dev.cpp:1 includes Reg.h from dvm_lib/"),
    ("path in the include is ignored, the name decides", {"routeui/V.cpp": '#include "../device/Win.h"\n',
                                                         "device/Win.h": ""}, 1, "from device/"),
    ("processor model uses its link", {"dsp/model/M.cpp": '#include "Link.h"\n', "dsp/link/Link.h": ""}, 0, None),
    ("widget-side folder may use the toolkit", {"dsp/widgets/D.cpp": "#include <QDialog>\n"}, 0, None),
    ("ambiguous header name is not judged", {"widgets/K.cpp": '#include "Same.h"\n', "app/Same.h": "",
                                             "core/Same.h": ""}, 0, None),
    ("untracked file is not judged", {}, 0, None),
]
UNTRACKED = {"untracked file is not judged": {"widgets/New.cpp": '#include "MainWindow.h"\n', "app/MainWindow.h": ""}}


def make_tree(root, files, untracked):
    subprocess.run(["git", "init", "-q", root], check=True)
    for group in (files, untracked):
        for path, text in group.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as handle:
                handle.write(text)
    if files:
        subprocess.run(["git", "add", "--"] + list(files), cwd=root, check=True)


class ModuleRulesChecker(unittest.TestCase):
    def test_cases(self):
        for name, files, code, report in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                make_tree(root, files, UNTRACKED.get(name, {}))
                run = subprocess.run([sys.executable, CHECKER, "--root", root], capture_output=True, text=True)
                self.assertEqual(run.returncode, code, run.stdout + run.stderr)
                if report:
                    self.assertIn(report, run.stdout)

    def test_not_a_work_tree_is_an_error_not_a_pass(self):
        with tempfile.TemporaryDirectory() as root:
            run = subprocess.run([sys.executable, CHECKER, "--root", root], capture_output=True, text=True)
            self.assertEqual(run.returncode, 2, run.stdout + run.stderr)


if __name__ == "__main__":
    unittest.main()
