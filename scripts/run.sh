#!/usr/bin/env bash
# Installs what is missing, builds, and starts the controller.
#   scripts/run.sh                  a simulated network of 12 devices in private network namespaces
#   scripts/run.sh --devices N      ... of N devices
#   scripts/run.sh --real-network [--ip ADDR]   the host's own network
set -euo pipefail
cd "$(dirname "$0")/.."

real=0; devices=12; ip_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --real-network) real=1 ;;
        --devices) devices="$2"; shift ;;
        --ip) ip_args=(--ip "$2"); shift ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
    shift
done

scripts/install-deps.sh
scripts/build.sh

if [ "$real" -eq 1 ]; then
    echo "Watching the host's network (Ctrl+C ends)..."
    exec build/cli/meridane-ctl "${ip_args[@]}" watch
fi

echo "Starting $devices simulated devices; the controller lists them after 5 s."
exec python3 scripts/simnet.py --sim build/sim/meridane-sim --devices "$devices" -- \
    build/cli/meridane-ctl --ip {ctl_ip} --seconds 5 devices
