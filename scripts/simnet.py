#!/usr/bin/env python3
"""Runs a command beside simulated devices on a private network, then removes everything.

  scripts/simnet.py --sim BUILD/sim/meridane-sim [--devices 12 | --config FILE] -- \\
      BUILD/cli/meridane-ctl --ip {ctl_ip} --seconds 5 devices

The devices run in one network namespace, one address each (10.77.0.11, .12, ...); the command runs in another
namespace that holds the single address {ctl_ip} (10.77.0.1); a veth pair joins the two. Up to 243 devices share
the /24 10.77.0.0/24; more (up to 1024) make the network 10.77.0.0/21, with addresses ending in .0 or .255 passed
over. In the command's
arguments {ctl_ip}, {dev_ips} (comma-separated) and {first_dev_ip} are replaced. Nothing leaves the namespaces,
and nothing outlives the run, even when it is killed. Needs root, or unprivileged user namespaces.

The exit code is the command's (128 + signal number when a signal ended it); 1 when the network or the simulator
could not be brought up.
"""

import argparse
import json
import os
import signal
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

import netns  # noqa: E402
from programs import ProgramError, Simulator  # noqa: E402


def device_count(text):
    try:
        n = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError("not a number: %r" % text)
    if not 1 <= n <= netns.SimNet.MAX_DEVICES:
        raise argparse.ArgumentTypeError("must be from 1 to %d" % netns.SimNet.MAX_DEVICES)
    return n


def parse_args(argv):
    parser = argparse.ArgumentParser(
        description="Run a command beside simulated devices in private network namespaces.",
        usage="%(prog)s --sim PATH [--devices N | --config FILE] [options] -- COMMAND [ARG...]",
    )
    parser.add_argument("--sim", required=True, help="path of meridane-sim")
    group = parser.add_mutually_exclusive_group()
    group.add_argument("--devices", type=device_count, default=12,
                       help="number of generated devices, 1 to %d (default 12)" % netns.SimNet.MAX_DEVICES)
    group.add_argument("--config", help="device descriptions for meridane-sim (JSON); their addresses are used")
    parser.add_argument("--sim-arg", action="append", default=[], metavar="ARG",
                        help="extra argument for meridane-sim (repeatable), e.g. --sim-arg=--announce-ms=500")
    parser.add_argument("--dump", metavar="FILE", help="after the command, write the simulator's devices here")
    parser.add_argument("--sim-log", metavar="FILE", help="copy the simulator's log here at the end")
    if "--" not in argv:
        parser.error("give the command after --")
    split = argv.index("--")
    args = parser.parse_args(argv[:split])
    args.command = argv[split + 1:]
    if not args.command:
        parser.error("the command after -- is empty")
    return args


def substitute(command, net):
    values = {"ctl_ip": net.ctl_ip, "dev_ips": ",".join(net.device_ips), "first_dev_ip": net.device_ips[0]}
    out = []
    for arg in command:
        for key, value in values.items():
            arg = arg.replace("{%s}" % key, value)
        out.append(arg)
    return out


def run(args):
    if args.config:
        with open(args.config, encoding="utf-8") as f:
            net = netns.SimNet(device_ips=[d["ip"] for d in json.load(f)["devices"]])
    else:
        net = netns.SimNet(args.devices)
    with net:
        sim = Simulator(net, os.path.abspath(args.sim), config=args.config, extra_args=args.sim_arg)
        sys.stderr.write("simnet: %d devices on %s..%s; controller address %s\n"
                         % (len(net.device_ips), net.device_ips[0], net.device_ips[-1], net.ctl_ip))
        # Inherits our terminal and standard streams; signals meant for us are passed on to it.
        proc = net.popen("ctl", substitute(args.command, net), stdin=None)

        def forward(signum, _frame):
            try:
                os.killpg(proc.pid, signum)
            except OSError:
                pass

        for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(signum, forward)
        rc = proc.wait()
        for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(signum, signal.SIG_DFL)
        if args.dump:
            with open(args.dump, "w", encoding="utf-8") as f:
                json.dump(list(sim.dump().values()), f, indent=2, ensure_ascii=False)
        if args.sim_log:
            with open(args.sim_log, "w", encoding="utf-8") as f:
                f.write(sim.log(limit=None))
        sim.quit()
    return 128 - rc if rc < 0 else rc


def main():
    args = parse_args(sys.argv[1:])
    try:
        netns.ensure_namespaces()
    except (netns.NamespaceUnavailable, netns.NamespaceError) as exc:
        sys.stderr.write("simnet: cannot make the private network: %s\n" % exc)
        return 1
    try:
        return run(args)
    except (netns.NamespaceError, ProgramError, OSError, ValueError) as exc:
        sys.stderr.write("simnet: %s\n" % exc)
        return 1


if __name__ == "__main__":
    sys.exit(main())
