"""The real application, offscreen in the controller's namespace, against the simulator's generated network: every
device listed with the channel names it reports, the interface dialog when a second address appears and the
automatic choice when one is left, and the probe finding the secondary unit.

The application writes a JSON snapshot of its state to the file named by MERIDANE_STATE_FILE after every view
refresh and whenever the interface dialog is shown, hidden or confirmed; the tests watch that file.

Usage: python3 test_app.py --sim PATH/meridane-sim --app PATH/meridane [unittest args]
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import e2etest

DEVICES = 6
FIRST_SNAPSHOT_S = 15
LISTED_S = 5
# The interface list is looked at every 5 s; the rest is margin for a loaded machine.
INTERFACE_S = 5 + 2.5

# (description key, count key, default prefix)
NAME_LISTS = (
    ("rxChNames", "chNumRx", "NetIn"),
    ("txChNames", "chNumTx", "NetOut"),
    ("phyRxChNames", "phyChNumRx", "AnalogIn"),
    ("phyTxChNames", "phyChNumTx", "AnalogOut"),
)

# Set from --app; kept in the environment so a re-run inside a user namespace still finds it.
_APP_VAR = "MERIDANE_E2E_APP"


def _with_custom_names(config):
    """Custom names on a few devices: past the first page (8 names), in UTF-8, a whole long list, and on the
    device with the secondary unit. Returns the devices' expected name lists keyed by devId."""
    devs = config["devices"]
    by_model = {}
    for d in devs[:-1]:
        by_model.setdefault(d["model"], d)
    stagebox, panel, processor, unit_dev = by_model["MRD-A16"], by_model["MRD-D8"], by_model["MRD-P64"], devs[-1]
    rx = ["NetIn%d" % (i + 1) for i in range(14)]
    rx[0], rx[1], rx[2], rx[12], rx[13] = "Kick", "Snare top", "话筒 3", "Lectern 13", "Ambience-L"
    stagebox["rxChNames"] = rx
    stagebox["version"] = "2.4.1-20261101"
    panel["txChNames"] = ["Wall %d" % (i + 1) for i in range(panel["chNumTx"])]
    panel["phyRxChNames"] = ["Mic L", "Mic R"]
    processor["rxChNames"] = ["Bus %02d" % i for i in range(processor["chNumRx"])]
    unit_dev["txChNames"] = ["Program L", "Program R"]

    expected = {}
    for d in devs:
        lists = {}
        for key, count_key, prefix in NAME_LISTS:
            names = ["%s%d" % (prefix, i + 1) for i in range(d[count_key])]
            for i, name in enumerate(d.get(key, [])[: len(names)]):
                names[i] = name
            lists[key] = names
        expected[d["devId"]] = lists
    return expected


class App:
    """meridane running offscreen in the controller's namespace, its state read from its snapshot file."""

    def __init__(self, net, path):
        self.dir = tempfile.mkdtemp(prefix="meridane-app-")
        os.chmod(self.dir, 0o700)
        self.state_path = os.path.join(self.dir, "state.json")
        self.log_path = os.path.join(self.dir, "app.log")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", MERIDANE_STATE_FILE=self.state_path,
                   XDG_RUNTIME_DIR=self.dir, HOME=self.dir)
        self._log = open(self.log_path, "wb")
        # Its working directory takes the "./Config.ini" it may write.
        self.proc = net.popen("ctl", [path], env=env, cwd=self.dir, stdout=self._log, stderr=subprocess.STDOUT)
        self.first_seen = None

    def snapshot(self):
        """The latest snapshot, or None before the first."""
        try:
            with open(self.state_path, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return None
        # Written by rename, so a file that exists is whole.
        state = json.loads(data.decode("utf-8"))
        if self.first_seen is None:
            self.first_seen = time.monotonic()
        return state

    def wait_for(self, predicate, timeout):
        """Polls the snapshot until predicate(state) holds; returns (held, last state)."""
        deadline = time.monotonic() + timeout
        state = None
        while True:
            if self.proc.poll() is not None:
                raise AssertionError("meridane ended (exit %s); log:\n%s" % (self.proc.returncode, self.log()))
            state = self.snapshot()
            if state is not None and predicate(state):
                return True, state
            if time.monotonic() >= deadline:
                return False, state
            time.sleep(0.05)

    def log(self, limit=4000):
        try:
            with open(self.log_path, "rb") as f:
                return f.read()[-limit:].decode(errors="replace")
        except OSError:
            return ""

    def stop(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait()
        self._log.close()
        shutil.rmtree(self.dir, ignore_errors=True)


class AppTest(e2etest.E2ETestCase):
    app_path = None

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="meridane-app-net-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, True)
        argv = [cls.sim_path, "--print-config", "--devices", str(DEVICES), "--first-ip", "10.77.0.11"]
        printed = subprocess.run(argv, stdout=subprocess.PIPE, check=True, timeout=20)
        config = json.loads(printed.stdout)
        cls.expected_names = _with_custom_names(config)
        cls.unit_dev = config["devices"][-1]
        config_path = os.path.join(cls.tmp, "devices.json")
        with open(config_path, "w", encoding="utf-8") as f:
            json.dump(config, f, ensure_ascii=False)
        cls.net, cls.sim, _ = cls.start_network(config=config_path)
        cls.sim_devices = cls.sim.dump()

    def start_app(self):
        app = App(self.net, self.app_path)
        self.addCleanup(app.stop)
        held, _ = app.wait_for(lambda s: True, FIRST_SNAPSHOT_S)
        self.assertTrue(held, "no snapshot within %s s; log:\n%s" % (FIRST_SNAPSHOT_S, app.log()))
        return app

    # --- what a complete listing is ------------------------------------------------------------------------
    def listing_problems(self, state):
        """Every difference between the snapshot's devices and the simulated ones (empty when none)."""
        problems = []
        listed = {d["devId"]: d for d in state["devices"]}
        if len(listed) != len(state["devices"]):
            problems.append("a devId is listed twice")
        missing = sorted(set(self.sim_devices) - set(listed))
        extra = sorted(set(listed) - set(self.sim_devices))
        if missing or extra:
            problems.append("missing %s, unexpected %s" % (missing, extra))
        for dev_id, sim_dev in sorted(self.sim_devices.items()):
            got = listed.get(dev_id)
            if got is None:
                continue
            for key in ("name", "ip", "model"):
                if got[key] != sim_dev[key]:
                    problems.append("%s %s: %r, simulated %r" % (dev_id, key, got[key], sim_dev[key]))
            for key, names in self.expected_names[dev_id].items():
                if got[key] != names:
                    problems.append("%s %s: %s, expected %s" % (dev_id, key, got[key], names))
            if not got["firmwareVersion"]:
                problems.append("%s has no firmware version" % dev_id)
        return problems

    def assert_listed(self, app, timeout, since_what):
        held, state = app.wait_for(lambda s: not self.listing_problems(s), timeout)
        self.assertTrue(held, "not every device listed with its names within %s s of %s: %s"
                        % (timeout, since_what, self.listing_problems(state) if state else "no snapshot"))
        return state

    # --- the tests -------------------------------------------------------------------------------------------
    def test_devices_listed_with_reported_channel_names(self):
        app = self.start_app()
        first = app.first_seen
        state = self.assert_listed(app, LISTED_S, "the first snapshot")
        self.assertLess(time.monotonic() - first, LISTED_S + 0.5)
        self.assertEqual(state["boundIp"], self.net.ctl_ip)
        self.assertEqual(state["selectedIp"], self.net.ctl_ip)
        self.assertEqual(state["addresses"], [self.net.ctl_ip])
        self.assertFalse(state["dialogVisible"], "one address: chosen without asking")
        stagebox = next(d for d in state["devices"] if d["rxChNames"][:2] == ["Kick", "Snare top"])
        self.assertEqual(stagebox["firmwareVersion"], "2.4.1")
        # Listed in ascending order of name.
        names = [d["name"] for d in state["devices"]]
        self.assertEqual(names, sorted(names))

    def test_probe_finds_the_secondary_unit(self):
        app = self.start_app()
        unit = {self.unit_dev["devId"]: self.unit_dev["secondaryIp"]}
        held, state = app.wait_for(lambda s: s["secondaryUnits"] == unit, LISTED_S)
        self.assertTrue(held, "secondary units %s, expected %s" % (state["secondaryUnits"], unit))

    def test_second_address_asks_the_user_and_a_single_one_is_chosen(self):
        ctl = self.net.ctl_ip
        other = self.net.prefix + ".2"
        # Deleting the first address of a subnet would otherwise take the second one with it.
        res = self.net.run("ctl", ["sh", "-c", "echo 1 > /proc/sys/net/ipv4/conf/veth-ctl/promote_secondaries"])
        self.assertEqual(res.returncode, 0, res.stderr)
        # Registered first so that it runs after the application has ended.
        self.addCleanup(self._restore_address, ctl, other)
        app = self.start_app()
        self.assert_listed(app, LISTED_S, "the first snapshot")

        def addr(op, ip):
            self.net._ip("ctl", ["addr", op, ip + "/24", "dev", "veth-ctl"])
            return time.monotonic()

        # A second address: the dialog asks, and nothing is chosen meanwhile.
        t = addr("add", other)
        held, state = app.wait_for(lambda s: s["dialogVisible"], INTERFACE_S)
        self.assertTrue(held, "no dialog within %.1f s of the second address: %s" % (INTERFACE_S, state))
        self.assertLess(time.monotonic() - t, INTERFACE_S)
        self.assertEqual(sorted(state["addresses"]), sorted([ctl, other]))
        self.assertEqual((state["selectedIp"], state["boundIp"]), (ctl, ctl))
        self.assertEqual(len(state["devices"]), DEVICES, "asking must not drop the listed devices")

        # Removed again: the one address left is chosen by itself and the dialog goes away.
        addr("del", other)
        held, state = app.wait_for(lambda s: not s["dialogVisible"] and s["addresses"] == [ctl], INTERFACE_S)
        self.assertTrue(held, "no automatic choice within %.1f s of the removal: %s" % (INTERFACE_S, state))
        self.assertEqual((state["selectedIp"], state["boundIp"]), (ctl, ctl))
        self.assert_listed(app, LISTED_S, "the automatic choice")

        # The first address goes while the dialog asks: the one left is chosen and the network thread moves there.
        addr("add", other)
        held, state = app.wait_for(lambda s: s["dialogVisible"], INTERFACE_S)
        self.assertTrue(held, "no dialog for the second address again: %s" % state)
        addr("del", ctl)
        held, state = app.wait_for(
            lambda s: not s["dialogVisible"] and s["selectedIp"] == other and s["boundIp"] == other, INTERFACE_S)
        self.assertTrue(held, "not moved to %s within %.1f s: %s" % (other, INTERFACE_S, state))
        self.assertEqual(state["addresses"], [other])
        self.assert_listed(app, LISTED_S, "the move to the other address")

    def _restore_address(self, ctl, other):
        have = [ip for ips in self.net.addresses("ctl").values() for ip in ips]
        if ctl not in have:
            self.net._ip("ctl", ["addr", "add", ctl + "/24", "dev", "veth-ctl"])
        if other in have:
            self.net._ip("ctl", ["addr", "del", other + "/24", "dev", "veth-ctl"])


def main():
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--app")
    args, rest = parser.parse_known_args()
    path = args.app or os.environ.get(_APP_VAR)
    if not path:
        sys.stderr.write("usage: test_app.py --sim PATH --app PATH [unittest args]\n")
        sys.exit(2)
    path = os.path.abspath(path)
    if not os.access(path, os.X_OK):
        sys.stderr.write("FAIL: --app is not an executable file: %s\n" % path)
        sys.exit(1)
    os.environ[_APP_VAR] = path
    AppTest.app_path = path
    sys.argv = [sys.argv[0]] + rest
    e2etest.main(need_ctl=False)


if __name__ == "__main__":
    main()
