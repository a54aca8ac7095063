#!/usr/bin/env bash
# Installs what is missing, builds, and starts the controller.
#   scripts/run.sh                  a simulated network of 12 devices in private network namespaces
#   scripts/run.sh --devices N      ... of N devices (1 to 1024; beyond 243 the network is a /21)
#   scripts/run.sh --real-network [--ip ADDR]   the host's own network (the window asks for the
#                                               address when the host has several; ADDR is for the
#                                               headless controller)
#   scripts/run.sh --lang cn|en     the window starts in Chinese or English (kept for later runs)
set -euo pipefail
cd "$(dirname "$0")/.."

real=0; devices=12; ip_args=(); lang=""
while [ $# -gt 0 ]; do
    case "$1" in
        --real-network) real=1 ;;
        --devices)
            devices="${2:-}"
            if ! [[ "$devices" =~ ^[0-9]+$ ]] || [ "$devices" -lt 1 ] || [ "$devices" -gt 1024 ]; then
                echo "--devices takes a number from 1 to 1024" >&2; exit 2
            fi
            shift ;;
        --ip) ip_args=(--ip "$2"); shift ;;
        --lang)
            case "${2:-}" in
                cn) lang=chs ;;
                en) lang=en ;;
                *) echo "--lang takes cn or en" >&2; exit 2 ;;
            esac
            shift ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
    shift
done

scripts/install-deps.sh fonts-noto-cjk
scripts/build.sh

# The window reads its language from "Langue" in UserConfig.ini beside it; other entries are kept.
if [ -n "$lang" ]; then
    python3 - build/app/UserConfig.ini "$lang" <<'PY'
import re, sys
path, lang = sys.argv[1], sys.argv[2]
try:
    lines = open(path, encoding="utf-8").read().splitlines()
except FileNotFoundError:
    lines = []
section, done = None, False
for i, line in enumerate(lines):
    head = re.match(r"\s*\[(.*)\]\s*$", line)
    if head:
        section = head.group(1)
    elif section in (None, "General") and re.match(r"\s*Langue\s*=", line):
        lines[i], done = "Langue=" + lang, True
if not done:
    if "[General]" in lines:
        lines.insert(lines.index("[General]") + 1, "Langue=" + lang)
    else:
        lines = ["[General]", "Langue=" + lang] + ([""] if lines else []) + lines
open(path, "w", encoding="utf-8").write("\n".join(lines) + "\n")
PY
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (DISPLAY is not set): running the headless controller instead of the window."
    if [ "$real" -eq 1 ]; then
        echo "Watching the host's network (Ctrl+C ends)..."
        exec build/cli/meridane-ctl "${ip_args[@]}" watch
    fi
    echo "Starting $devices simulated devices; the controller lists them after 5 s."
    exec python3 scripts/simnet.py --sim build/sim/meridane-sim --devices "$devices" -- \
        build/cli/meridane-ctl --ip {ctl_ip} --seconds 5 devices
fi

if [ "$real" -eq 1 ]; then
    exec build/app/meridane
fi
# The window runs in the controller's namespace, where its one address is chosen by itself; the
# X11 display reaches the namespace through its socket file.
echo "Starting $devices simulated devices and the window on their network."
exec python3 scripts/simnet.py --sim build/sim/meridane-sim --devices "$devices" -- build/app/meridane
