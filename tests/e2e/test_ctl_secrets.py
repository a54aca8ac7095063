"""meridane-ctl and passwords against the simulator: a lock or password change whose password is not on the command
line takes it from the environment or standard input, and no output of the controller (dry run, result, error)
shows it.

Usage: python3 test_ctl_secrets.py --sim PATH/meridane-sim --ctl PATH/meridane-ctl [unittest args]
"""

import json
import os
import shutil
import subprocess
import tempfile

import e2etest

PASSWORD = "Sec-4711x"
NEW_PASSWORD = "Sec-0815y"


class CtlSecretsTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        argv = [cls.sim_path, "--print-config", "--devices", "2", "--first-ip", "10.77.0.11"]
        config = json.loads(subprocess.run(argv, stdout=subprocess.PIPE, check=True, timeout=20).stdout)
        config["devices"][0]["password"] = PASSWORD
        cls.tmp = tempfile.mkdtemp(prefix="meridane-ctlsec-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, True)
        path = os.path.join(cls.tmp, "devices.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(config, f)
        cls.net, cls.sim, _ = cls.start_network(config=path)
        cls.dev, cls.other = config["devices"]

    def ctl(self, *args, env=None, stdin=b"", timeout=30):
        """Runs meridane-ctl with `env` added to its environment; returns (exit code, stdout + stderr)."""
        names = ("MERIDANE_PASSWORD", "MERIDANE_OLD_PASSWORD", "MERIDANE_NEW_PASSWORD")
        saved = {n: os.environ.pop(n, None) for n in names}
        os.environ.update(env or {})
        try:
            res = self.net.run("ctl", [self.ctl_path, "--ip", self.net.ctl_ip] + list(args), timeout=timeout,
                               input_bytes=stdin)
        finally:
            for n in names:
                os.environ.pop(n, None)
                if saved[n] is not None:
                    os.environ[n] = saved[n]
        return res.returncode, (res.stdout + res.stderr).decode(errors="replace")

    def test_passwords_from_environment_or_input_are_used_and_never_printed(self):
        dev = self.dev["devId"]
        lock = json.dumps({"ops": "setLock", "devId": dev, "val": "0x0"})
        change = json.dumps({"ops": "setPassword", "devId": dev})
        rows = [
            # (what, arguments, environment, standard input, exit code, secrets that must not show)
            ("dry run, variable", ["send", "--json", "--dry-run", lock], {"MERIDANE_PASSWORD": PASSWORD}, b"", 0),
            ("dry run, input", ["send", "--dry-run", lock], {}, (PASSWORD + "\n").encode(), 0),
            ("lock, variable", ["send", "--json", lock], {"MERIDANE_PASSWORD": PASSWORD}, b"", 0),
            ("lock, input", ["send", lock], {}, (PASSWORD + "\r\n").encode(), 0),
            ("lock, wrong password", ["send", "--json", lock], {"MERIDANE_PASSWORD": "Wrong-1"}, b"", 1),
            ("lock, nothing given", ["send", lock], {}, b"", 4),
            ("lock, blank refused", ["send", lock], {}, (PASSWORD + " \n").encode(), 4),
            ("send -, variable", ["send", "--json", "-"], {"MERIDANE_PASSWORD": PASSWORD}, (lock + "\n").encode(), 0),
            ("send -, no variable", ["send", "--json", "-"], {}, (lock + "\n").encode(), 4),
            ("change", ["send", "--json", change],
             {"MERIDANE_OLD_PASSWORD": PASSWORD, "MERIDANE_NEW_PASSWORD": NEW_PASSWORD}, b"", 0),
            ("change back, input", ["send", "--json", change], {},
             ("%s\n%s\n" % (NEW_PASSWORD, PASSWORD)).encode(), 0),
        ]
        for what, args, env, stdin, code in rows:
            with self.subTest(what):
                rc, text = self.ctl(*args, env=env, stdin=stdin)
                self.assertEqual(rc, code, text)
                for secret in (PASSWORD, NEW_PASSWORD, "Wrong-1"):
                    self.assertNotIn(secret, text)
                if "dry run" in what:
                    self.assertIn("********", text)
        # The changes really reached the device: it holds the first password again, and the lock ran.
        state = self.sim.state(dev)
        self.assertTrue(state["passwordSet"])
        self.assertGreaterEqual(state["requests"].get("setPassword", 0), 2)
        self.assertGreaterEqual(state["requests"].get("setLock", 0), 4)


if __name__ == "__main__":
    e2etest.main()
