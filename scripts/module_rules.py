#!/usr/bin/env python3
"""Prints includes that cross the project's module rules; exit 1 when a rule is broken, 0 otherwise.

Checks the tracked sources of the git work tree given by --root (default: the current folder). A quoted
include is resolved by the header's file name to the folder that holds it; angle includes of QtWidgets-side
headers count as the widget toolkit. The widget-free libraries must stay free of widgets, the user-interface
kit must not reach into the windows that use it, and the simulator shares no code with the controller.
"""
import argparse
import os
import re
import subprocess
import sys

# folder -> folders (prefixes) it must never include from; "<widgets>" is the Qt widget toolkit
NEVER = {
    "dvm_lib/": ["config/", "core/", "app/", "widgets/", "device/", "routeui/", "dsp/", "offline/", "tools/",
                 "cli/", "sim/", "<widgets>"],
    "config/": ["dvm_lib/", "core/", "app/", "widgets/", "device/", "routeui/", "dsp/", "offline/", "tools/",
                "cli/", "sim/", "<widgets>"],
    "core/": ["app/", "widgets/", "device/", "routeui/", "dsp/widgets/", "offline/widgets/", "tools/", "cli/",
              "sim/", "<widgets>"],
    "dsp/model/": ["app/", "widgets/", "device/", "routeui/", "dsp/widgets/", "offline/widgets/", "tools/", "sim/",
                   "<widgets>"],
    "dsp/link/": ["app/", "widgets/", "device/", "routeui/", "dsp/widgets/", "offline/widgets/", "tools/", "sim/",
                  "<widgets>"],
    "offline/model/": ["app/", "widgets/", "device/", "routeui/", "dsp/widgets/", "offline/widgets/", "tools/",
                       "sim/", "<widgets>"],
    "offline/archive/": ["app/", "widgets/", "device/", "routeui/", "dsp/widgets/", "offline/widgets/", "tools/",
                         "cli/", "sim/", "<widgets>"],
    "widgets/": ["app/", "device/", "routeui/", "dsp/", "offline/", "tools/", "cli/", "sim/"],
    "routeui/": ["device/", "app/", "tools/"],
    "tools/": ["app/", "routeui/", "cli/", "sim/"],
    "cli/": ["app/", "widgets/", "device/", "routeui/", "dsp/widgets/", "offline/widgets/", "tools/", "sim/",
             "<widgets>"],
    "sim/": ["dvm_lib/", "config/", "core/", "app/", "widgets/", "device/", "routeui/", "dsp/", "offline/",
             "tools/", "cli/"],
}
WIDGET_HEADERS = re.compile(r"<(QtWidgets/|QWidget|QDialog|QMainWindow|QPushButton|QLabel|QApplication|QMessageBox|"
                            r"QGraphics|QAbstractButton|QLineEdit|QComboBox|QtCharts|QChart)")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
MAX_REPORTED = 40


def tracked_sources(root):
    listed = subprocess.run(["git", "ls-files", "-z"], cwd=root, capture_output=True, text=True, check=True)
    return [f for f in listed.stdout.split("\0") if f.endswith(SOURCE_SUFFIXES)]


def rules_for(path):
    for prefix in NEVER:
        if path.startswith(prefix):
            return NEVER[prefix]
    return None


def crossings(root):
    sources = tracked_sources(root)
    homes_of = {}
    for f in sources:
        homes_of.setdefault(os.path.basename(f), set()).add(os.path.dirname(f) + "/")

    broken = []
    for f in sources:
        rules = rules_for(f)
        if not rules:
            continue
        try:
            with open(os.path.join(root, f), encoding="utf-8", errors="replace") as handle:
                lines = handle.read().splitlines()
        except OSError:
            continue
        for n, line in enumerate(lines, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            kind, name = m.groups()
            if kind == "<":
                if "<widgets>" in rules and WIDGET_HEADERS.match("<" + name):
                    broken.append("%s:%d includes <%s> (the widget toolkit)" % (f, n, name))
                continue
            homes = homes_of.get(os.path.basename(name), set())
            if len(homes) != 1:
                continue  # unknown or ambiguous header names cannot be placed in a folder
            home = next(iter(homes))
            bad = next((b for b in rules if b != "<widgets>" and home.startswith(b)), None)
            if bad:
                broken.append("%s:%d includes %s from %s" % (f, n, name, home))
    return broken


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=".", help="the work tree to check (default: the current folder)")
    args = parser.parse_args()
    try:
        broken = crossings(args.root)
    except (OSError, subprocess.CalledProcessError) as error:
        print("module_rules: cannot list the sources of %s: %s" % (args.root, error), file=sys.stderr)
        return 2
    for b in broken[:MAX_REPORTED]:
        print(b)
    if len(broken) > MAX_REPORTED:
        print("... and %d more" % (len(broken) - MAX_REPORTED))
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
