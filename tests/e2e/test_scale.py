"""A large venue: 1024 simulated devices of 64/64 channels. Every device is listed and its eight tables complete
within 60 s; the controller's requests per second (counted by the simulator), its resident memory and the time to
complete are printed.

`meridane-ctl devices` listens for at most the limit; the test asks the simulator once a second what its devices
heard, and once table requests have stopped for longer than the longest repeat wait (every table answered, nothing
left to ask), interrupts the run, which then prints its listing at once."""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

import e2etest
import netns
from programs import Controller, Simulator

DEVICES = 1024
CHANNELS = 64
LIMIT_S = 60
TABLE_OPS = ("getAllRxCh", "getAllRtpCh", "getAllUcastRx", "getAllUcastTx", "getAllMcastRx", "getAllMcastTx",
             "getAllActiveUcastId", "getAllActiveMcastId")
BUDGET_PER_S = 4096
BURST = 2048
# Longer than the repeat wait's ceiling (5 s): a quiet spell this long means nothing is left to ask.
QUIET_S = 6


def wide_network(sim_path, ips):
    """The generated description of a network on `ips`, every device with CHANNELS channels each way."""
    printed = subprocess.run([sim_path, "--print-config", "--devices", str(len(ips)), "--ips", ",".join(ips)],
                             stdout=subprocess.PIPE, check=True, timeout=60)
    config = json.loads(printed.stdout)
    for dev in config["devices"]:
        # One model without a processor: the test is about tables, not about 1024 processor services.
        dev["model"] = "MRD-A16"
        dev["chNumRx"] = dev["chNumTx"] = CHANNELS
        dev["phyChNumRx"] = dev["phyChNumTx"] = CHANNELS
    return config


class ScaleTest(e2etest.E2ETestCase):
    def test_1024_devices_listed_with_complete_tables_within_60_s(self):
        tmp = tempfile.mkdtemp(prefix="meridane-scale-")
        self.addCleanup(shutil.rmtree, tmp, True)
        net = netns.SimNet(DEVICES)
        self.addCleanup(net.close)
        net.open()
        config = wide_network(self.sim_path, net.device_ips)
        config_path = os.path.join(tmp, "devices.json")
        with open(config_path, "w", encoding="utf-8") as f:
            json.dump(config, f)
        t0 = time.monotonic()
        sim = Simulator(net, self.sim_path, config=config_path, ready_timeout=60)
        self.addCleanup(sim.quit, 15)
        sim_start_s = time.monotonic() - t0
        sim.command({"cmd": "heard"})  # the marks start now

        start = time.monotonic()
        run = Controller(net, self.ctl_path).start("devices", seconds=LIMIT_S)
        per_second, rss = [], []
        last_busy = None
        while run.proc.poll() is None:
            time.sleep(max(0.0, start + len(per_second) + 1 - time.monotonic()))
            heard = sim.command({"cmd": "heard"}, timeout=10)["heard"]
            n = sum(int(heard.get(ops, 0)) for ops in TABLE_OPS)
            per_second.append(n)
            value = e2etest.rss_kib(run.proc.pid)
            if value:
                rss.append(value)
            if n:
                last_busy = len(per_second)
            if last_busy is not None and len(per_second) - last_busy >= QUIET_S:
                run.proc.send_signal(signal.SIGINT)
                break
            if len(per_second) >= LIMIT_S + 5:
                break
        self.assertEqual(run.finish(20), 0, run.stderr()[-2000:])
        listed_s = time.monotonic() - start
        devices = run.result().json()
        complete = [d for d in devices if d.get("complete")]
        sim_rss = e2etest.rss_kib(sim.proc.pid)
        print("scale: N = %d devices of %d/%d channels; simulator ready in %.1f s, RSS %s KiB"
              % (DEVICES, CHANNELS, CHANNELS, sim_start_s, sim_rss), flush=True)
        print("scale: table requests per second: %s" % per_second, flush=True)
        print("scale: %d listed, %d complete; last table request in second %s (limit %d s), run ended after %.1f s; "
              "busiest second %d requests (budget %d + burst %d), %d in all; controller RSS max %s KiB"
              % (len(devices), len(complete), last_busy, LIMIT_S, listed_s, max(per_second or [0]), BUDGET_PER_S,
                 BURST, sum(per_second), max(rss) if rss else "?"), flush=True)

        missing = sorted(set(d["devId"] for d in config["devices"]) - set(d["devId"] for d in devices))
        self.assertEqual(missing, [], "devices not listed")
        incomplete = [{"devId": d["devId"], "fetched": d.get("fetched")} for d in devices if not d.get("complete")]
        self.assertEqual(incomplete[:5], [], "%d devices with incomplete tables" % len(incomplete))
        self.assertIsNotNone(last_busy)
        self.assertLessEqual(last_busy, LIMIT_S, "tables still being fetched at the limit")
        for second, n in enumerate(per_second):
            self.assertLessEqual(n, BUDGET_PER_S + BURST, "second %d over the global budget" % second)
        for dev in devices:
            fetched = dev["fetched"]
            self.assertEqual((fetched["rxCh"], fetched["rtpCh"]), (CHANNELS, CHANNELS), dev["devId"])


if __name__ == "__main__":
    e2etest.main()
