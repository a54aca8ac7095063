"""The launcher scripts/simnet.py: the documented first command, placeholders, exit codes, and that a killed
launcher leaves no simulator, command or namespace behind."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time

import e2etest
import netns
from programs import LineReader

SIMNET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "simnet.py")


def comm(pid):
    try:
        with open("/proc/%d/comm" % pid) as f:
            return f.read().strip()
    except OSError:
        return ""


def children_of(pid):
    out = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as f:
                    ppid = int(f.read().rsplit(")", 1)[1].split()[1])
            except (OSError, ValueError, IndexError):
                continue
            if ppid == pid:
                out.append(int(entry))
    return out


class SimnetTest(e2etest.E2ETestCase):
    def simnet(self, *args, timeout=40):
        argv = [sys.executable, SIMNET, "--sim", self.sim_path] + list(args)
        return subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)

    def test_first_command_lists_twelve_devices(self):
        with tempfile.TemporaryDirectory(prefix="meridane-e2e-") as tmp:
            dump_path = os.path.join(tmp, "dump.json")
            res = self.simnet("--devices", "12", "--dump", dump_path, "--",
                              self.ctl_path, "--ip", "{ctl_ip}", "--seconds", "5", "devices")
            self.assertEqual(res.returncode, 0, res.stderr.decode())
            devices = json.loads(res.stdout)
            with open(dump_path, encoding="utf-8") as f:
                dumped = json.load(f)
        self.assertEqual(len(devices), 12)
        self.assertEqual(sorted(d["devId"] for d in devices), sorted(d["devId"] for d in dumped))
        self.assertTrue(all(d["complete"] for d in devices), "incomplete tables")

    def test_placeholders_and_exit_code(self):
        res = self.simnet("--devices", "3", "--", "sh", "-c", 'echo "{ctl_ip} {dev_ips} {first_dev_ip}"; exit 7')
        self.assertEqual(res.returncode, 7, res.stderr.decode())
        self.assertEqual(res.stdout.decode().split(), ["10.77.0.1", "10.77.0.11,10.77.0.12,10.77.0.13", "10.77.0.11"])

    def test_command_runs_in_the_controller_namespace(self):
        res = self.simnet("--devices", "2", "--", "ip", "-j", "-4", "addr", "show")
        self.assertEqual(res.returncode, 0, res.stderr.decode())
        addrs = sorted(a["local"] for link in json.loads(res.stdout) for a in link.get("addr_info", []))
        self.assertEqual(addrs, ["10.77.0.1", "127.0.0.1"])

    def test_refuses_without_command_or_with_bad_simulator(self):
        res = self.simnet("--devices", "2")
        self.assertNotEqual(res.returncode, 0)
        res = self.simnet("--devices", "2", "--sim-arg=--page-size=0", "--", "true")
        self.assertEqual(res.returncode, 1)
        self.assertIn(b"meridane-sim", res.stderr)

    def test_killed_launcher_leaves_nothing(self):
        proc = subprocess.Popen([sys.executable, SIMNET, "--sim", self.sim_path, "--devices", "4", "--",
                                 "sleep", "60"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            # The launcher reports the network once the simulator is ready, just before it starts the command.
            line = LineReader(proc.stderr).readline(15)
            self.assertTrue(line and line.startswith("simnet: 4 devices"), line)
            want = ["meridane-sim", "sleep", "sleep", "sleep"]  # two namespace holders and the command
            deadline = time.monotonic() + 5
            while time.monotonic() < deadline and sorted(comm(k) for k in children_of(proc.pid)) != want:
                time.sleep(0.05)
            kids = children_of(proc.pid)
            self.assertEqual(sorted(comm(k) for k in kids), want)
            ns_ids = {os.readlink("/proc/%d/ns/net" % k) for k in kids}
            self.assertEqual(len(ns_ids), 2, "the programs must live in exactly the two namespaces")
        finally:
            os.kill(proc.pid, signal.SIGKILL)
            proc.wait()
            proc.stderr.close()
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and (netns.pids_alive(kids) or netns.processes_in_namespaces(ns_ids)):
            time.sleep(0.05)
        self.assertEqual(netns.pids_alive(kids), [])
        self.assertEqual(netns.processes_in_namespaces(ns_ids), [])


if __name__ == "__main__":
    e2etest.main()
