"""meridane-ctl's processor commands against the simulator: `dsp get` prints the configuration the processor
holds (named by name, devId or address), `dsp response` prints a channel's curve on the editor's grid and agrees
with the same configuration read from a file, and devices without a processor, unknown devices and a silent
processor service are refused with their exit codes.

Usage: python3 test_ctl_dsp.py --sim PATH/meridane-sim --ctl PATH/meridane-ctl [unittest args]
"""

import json
import os
import shutil
import subprocess
import tempfile

import e2etest

PLAIN, DSP = 0, 2  # generated devices cycle through three models; the third has a processor


def magnitude_grid():
    """The magnitude grid as the editor steps it: from 20 Hz, by 1, 10, 100 and 500 Hz as k grows."""
    out, k = [], 0
    while k < 19980:
        out.append(20 + k)
        k += 1 if k < 100 else 10 if k < 1000 else 100 if k < 10000 else 500
    return out


def phase_grid_size():
    """Points of the phase grid, counted in tenths of a hertz from 20.0 Hz."""
    count, k = 0, 0
    while k < 199800:
        count += 1
        k += 1 if k < 1000 else 2 if k < 2000 else 5 if k < 5000 else 10 if k < 10000 else 100
    return count


class CtlDspTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        argv = [cls.sim_path, "--print-config", "--devices", "3", "--first-ip", "10.77.0.11"]
        config = json.loads(subprocess.run(argv, stdout=subprocess.PIPE, check=True, timeout=20).stdout)
        cls.tmp = tempfile.mkdtemp(prefix="meridane-ctldsp-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, True)
        path = os.path.join(cls.tmp, "devices.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(config, f)
        cls.net, cls.sim, _ = cls.start_network(config=path)
        cls.devs = config["devices"]
        cls.dsp = cls.devs[DSP]

    def ctl(self, *args, timeout=30):
        """Runs meridane-ctl; returns (exit code, standard output, standard error)."""
        argv = [self.ctl_path, "--ip", self.net.ctl_ip] + list(args)
        res = self.net.run("ctl", argv, timeout=timeout)
        return res.returncode, res.stdout.decode(errors="replace"), res.stderr.decode(errors="replace")

    def held_config(self):
        return self.sim.command({"cmd": "dspConfig", "devId": self.dsp["devId"]})["config"]

    def test_get_prints_the_configuration_the_processor_holds(self):
        held = self.held_config()
        for name in (self.dsp["name"], self.dsp["devId"], self.dsp["ip"]):
            with self.subTest(device=name):
                rc, out, err = self.ctl("dsp", "get", name)
                self.assertEqual(rc, 0, err)
                self.assertIn('"procArr"', out)
                self.assertGreater(len(out.splitlines()), 100, "indented, one member a line")
                self.assertEqual(json.loads(out), held)

        rc, out, err = self.ctl("dsp", "get", self.dsp["name"], "--dry-run")
        self.assertEqual(rc, 0, err)
        self.assertIn("%s:8999" % self.dsp["ip"], out)
        self.assertIn('"getConfig"', out)

    def test_response_follows_the_editor_grid_and_matches_the_file(self):
        grid = magnitude_grid()
        rc, out, err = self.ctl("dsp", "response", self.dsp["name"], "in", "1")
        self.assertEqual(rc, 0, err)
        lines = [line.split("\t") for line in out.splitlines()]
        self.assertEqual([float(f) for f, _ in lines], grid)
        for _, db in lines:
            self.assertRegex(db, r"^-?\d+\.\d\d$")
        self.assertTrue(any(float(db) != 0 for _, db in lines), "input 1 holds an equaliser that shapes the curve")

        path = os.path.join(self.tmp, "reply.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump({"ops": "getConfig", "result": "succ", "config": self.held_config()}, f)
        for extra in ([], ["--phase"], ["--json"]):
            with self.subTest(options=extra):
                rc, device_out, err = self.ctl("dsp", "response", self.dsp["devId"], "in", "1", *extra)
                self.assertEqual(rc, 0, err)
                rc, file_out, err = self.ctl("dsp", "response", "--config", path, "in", "1", *extra)
                self.assertEqual(rc, 0, err)
                self.assertEqual(device_out, file_out)
        self.assertEqual(len(file_out.splitlines()), 1)
        self.assertEqual(json.loads(file_out)["freq"], grid)
        rc, out, err = self.ctl("dsp", "response", self.dsp["devId"], "in", "1", "--phase")
        self.assertEqual(len(out.splitlines()), phase_grid_size())

    def test_refusals_have_their_exit_codes(self):
        cases = (
            ("unknown device", ["dsp", "get", "No such device"], 3, "no device"),
            ("no processor", ["dsp", "get", self.devs[PLAIN]["name"]], 1, "not a processor"),
            ("no such channel", ["dsp", "response", self.dsp["name"], "in", "999"], 3, "no input channel 999"),
            ("channel 0", ["dsp", "response", self.dsp["name"], "in", "0"], 4, "from 1"),
        )
        for what, args, code, needle in cases:
            with self.subTest(what):
                rc, out, err = self.ctl("--seconds", "2", *args)
                self.assertEqual(rc, code, err)
                self.assertIn(needle, err)
                self.assertEqual(out, "")

        self.sim.command({"cmd": "dspService", "devId": self.dsp["devId"], "on": False})
        try:
            rc, out, err = self.ctl("dsp", "get", self.dsp["name"], "--timeout", "1")
            self.assertEqual(rc, 2, err)
            self.assertIn("no answer", err)
        finally:
            self.sim.command({"cmd": "dspService", "devId": self.dsp["devId"], "on": True})


if __name__ == "__main__":
    e2etest.main()
