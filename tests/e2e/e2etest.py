"""Common start of every end-to-end test script: the program paths, namespace privileges, shared fixtures and the
unittest run with a one-line summary.

Usage of a test script: python3 test_x.py --sim PATH/meridane-sim --ctl PATH/meridane-ctl [unittest args]
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import netns
from programs import Controller, ScriptedApp, Simulator


class E2ETestCase(unittest.TestCase):
    """Base of the end-to-end tests; main() fills in the program paths."""

    sim_path = None
    ctl_path = None

    def start_app_network(self, prefix, devices, sim_args=(), config=None):
        """For one test: a temporary folder (self.tmp), simulated devices in their namespaces (self.net, self.sim)
        and the application beside them (self.app, its folder self.app_dir), all closed after the test. The devices
        are `devices` generated ones from 10.77.0.11, or the description `config` (a dict) when given, or what
        `config` (a function) makes of the generated description. Returns the simulated devices."""
        self.tmp = tempfile.mkdtemp(prefix=prefix)
        self.addCleanup(shutil.rmtree, self.tmp, True)
        if not isinstance(config, dict):
            config = (config or (lambda c: c))(self.generated_config(devices))
        config_path = os.path.join(self.tmp, "devices.json")
        with open(config_path, "w", encoding="utf-8") as f:
            json.dump(config, f, ensure_ascii=False)
        self.net = netns.SimNet(device_ips=[d["ip"] for d in config["devices"]])
        self.addCleanup(self.net.close)
        self.net.open()
        self.sim = Simulator(self.net, self.sim_path, config=config_path, extra_args=list(sim_args))
        self.addCleanup(self.sim.quit)
        self.app_dir = os.path.join(self.tmp, "app")
        os.mkdir(self.app_dir, 0o700)
        self.app = ScriptedApp(self.net, self.app_path, self.app_dir)
        self.addCleanup(self.app.stop)
        return config["devices"]

    @classmethod
    def generated_config(cls, devices):
        """The simulator's description of `devices` generated devices from 10.77.0.11."""
        argv = [cls.sim_path, "--print-config", "--devices", str(devices), "--first-ip", "10.77.0.11"]
        return json.loads(subprocess.run(argv, stdout=subprocess.PIPE, check=True, timeout=20).stdout)

    @classmethod
    def start_network(cls, devices=12, config=None, sim_args=()):
        """Brings up the namespaces and the simulator for the whole class; both are torn down after it."""
        if config is not None:
            with open(config, encoding="utf-8") as f:
                net = netns.SimNet(device_ips=[d["ip"] for d in json.load(f)["devices"]])
        else:
            net = netns.SimNet(devices)
        cls.addClassCleanup(net.close)
        net.open()
        sim = Simulator(net, cls.sim_path, config=config, extra_args=sim_args)
        cls.addClassCleanup(sim.quit)
        return net, sim, Controller(net, cls.ctl_path)


def _executable(path, name):
    if not path:
        return None
    path = os.path.abspath(path)
    if not os.access(path, os.X_OK):
        sys.stderr.write("FAIL: %s is not an executable file: %s\n" % (name, path))
        sys.exit(1)
    return path


def main(need_sim=True, need_ctl=True):
    parser = argparse.ArgumentParser(add_help=True)
    parser.add_argument("--sim", help="path of meridane-sim")
    parser.add_argument("--ctl", help="path of meridane-ctl")
    args, rest = parser.parse_known_args()
    if (need_sim and not args.sim) or (need_ctl and not args.ctl):
        parser.error("--sim and --ctl are required" if need_sim and need_ctl else "missing program path")
    E2ETestCase.sim_path = _executable(args.sim, "--sim")
    E2ETestCase.ctl_path = _executable(args.ctl, "--ctl")
    try:
        netns.ensure_namespaces()
    except netns.NamespaceUnavailable as exc:
        sys.stderr.write("SKIP: network namespaces are not available on this machine: %s\n" % exc)
        sys.exit(netns.SKIP_CODE)
    except netns.NamespaceError as exc:
        sys.stderr.write("FAIL: %s\n" % exc)
        sys.exit(1)
    prog = unittest.main(module="__main__", argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
    res = prog.result
    failed = len(res.failures) + len(res.errors) + len(res.unexpectedSuccesses)
    skipped = len(res.skipped)
    passed = res.testsRun - failed - skipped
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped), flush=True)
    sys.exit(0 if failed == 0 and res.testsRun > 0 else 1)


def app_main(test_class):
    """Entry point of a test that drives the application: takes --app (or MERIDANE_E2E_APP) and --screenshots
    (or MERIDANE_E2E_SCREENSHOTS; default: "screenshots" beside the application's build folder), hands both to
    test_class as app_path and shots_dir, then runs main() without meridane-ctl."""
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--app")
    parser.add_argument("--screenshots")
    args, rest = parser.parse_known_args()
    path = args.app or os.environ.get("MERIDANE_E2E_APP")
    if not path:
        sys.stderr.write("usage: %s --sim PATH --app PATH [--screenshots DIR] [unittest args]\n"
                         % os.path.basename(sys.argv[0]))
        sys.exit(2)
    path = os.path.abspath(path)
    if not os.access(path, os.X_OK):
        sys.stderr.write("FAIL: --app is not an executable file: %s\n" % path)
        sys.exit(1)
    shots = os.path.abspath(args.screenshots or os.environ.get("MERIDANE_E2E_SCREENSHOTS") or
                            os.path.join(os.path.dirname(os.path.dirname(path)), "screenshots"))
    os.makedirs(shots, exist_ok=True)
    os.environ["MERIDANE_E2E_APP"] = path
    os.environ["MERIDANE_E2E_SCREENSHOTS"] = shots
    test_class.app_path = path
    test_class.shots_dir = shots
    sys.argv = [sys.argv[0]] + rest
    main(need_ctl=False)


def rss_kib(pid):
    """Resident memory of a running process in KiB, or None when it is gone."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None
