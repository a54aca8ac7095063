#!/usr/bin/env python3
"""The format check run on a throw-away git tree holding a copy of the script and the project's style."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE_ROOT = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
FORMATTED = "int a;\n"
UNFORMATTED = "int   a ;\n"


@unittest.skipUnless(shutil.which("clang-format"), "clang-format is not installed")
class CheckFormat(unittest.TestCase):
    def run_check(self, tracked, untracked=None):
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "scripts"))
            shutil.copy(os.path.join(SOURCE_ROOT, "scripts", "check-format.sh"), os.path.join(root, "scripts"))
            shutil.copy(os.path.join(SOURCE_ROOT, ".clang-format"), root)
            subprocess.run(["git", "init", "-q", root], check=True)
            for group in (tracked, untracked or {}):
                for path, text in group.items():
                    os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                    with open(os.path.join(root, path), "w", encoding="utf-8") as handle:
                        handle.write(text)
            subprocess.run(["git", "add", "-f", "--"] + list(tracked), cwd=root, check=True)
            run = subprocess.run(["bash", os.path.join(root, "scripts", "check-format.sh")], capture_output=True,
                                 text=True)
            return run.returncode, run.stdout.split("\n")

    def test_cases(self):
        # (name, tracked files, untracked files, exit code, files listed)
        cases = [
            ("all formatted", {"a/A.cpp": FORMATTED, "a/A.h": FORMATTED}, {}, 0, []),
            ("offenders listed, formatted ones not", {"a/A.cpp": UNFORMATTED, "b/B.h": UNFORMATTED,
                                                      "c/C.cpp": FORMATTED}, {}, 1, ["a/A.cpp", "b/B.h"]),
            ("build folder and untracked files ignored", {"build/gen.cpp": UNFORMATTED, "A.cpp": FORMATTED},
             {"new.cpp": UNFORMATTED}, 0, []),
            ("other file kinds ignored", {"notes.txt": UNFORMATTED, "x.py": UNFORMATTED}, {}, 0, []),
        ]
        for name, tracked, untracked, code, listed in cases:
            with self.subTest(name):
                got_code, lines = self.run_check(tracked, untracked)
                self.assertEqual(got_code, code, lines)
                self.assertEqual([l for l in lines if l and not l.startswith("check-format:")], listed)


if __name__ == "__main__":
    unittest.main()
