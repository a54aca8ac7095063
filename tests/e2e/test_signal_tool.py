"""The test signal tool of the real application (MERIDANE_SCRIPT=1, offscreen) against the simulated audio path: the
tool finds the devices by its own probe, calibrates the cancellation delay, passes a healthy device on every channel,
fails a device with one faulty output on exactly that channel, counts a finished device after its reboot, and keeps
both results with their dates in the day's record file. A screenshot of the tool after the tests is written for a
look by eye.

Usage: python3 test_signal_tool.py --sim PATH/meridane-sim --app PATH/meridane [--screenshots DIR] [unittest args]
"""

import datetime
import json
import os
import re
import time

import e2etest

LISTED_S = 15
RUN_S = 90
REPLY_S = 8
REBOOT_MS = 1500
CHANNELS = 4  # the device class tested
FAULTY = 3  # 1-based output of the second device under test that is broken
STAMP = re.compile(r"^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} ")
# The tool's own texts in either language (the verdicts are the same in both).
TEST_STARTED = ("开始测试: %s ", "Test started: %s ")
NOT_PASSED = ("检测到测试没有通过，请重新测试", "The last test did not pass: test again")
COUNTED = ("成功:%s，已检测数量:1", "Passed: %s, devices tested: 1")
CLASS = ("%d通道", "%d channels")
REFRESHED = ("刷新完成", "Refreshed")
REBOOTED = ("重启成功", "Rebooted", "重启失败", "Reboot failed")
PASSED = ("测试通过", "Test passed")
FAILED = ("测试不通过", "Test failed")


def rename(config, old, new):
    """The devices answer the tool's probe through their secondary units, which only "MRP-" devices have."""
    return json.loads(json.dumps(config).replace('"%s"' % old, '"%s"' % new))


def bench_config(config):
    """Five generated devices: the fourth is an amplifier; the first two become the source and a device under test,
    joined by a second device under test and the amplifier, all answering the probe through secondary units."""
    amp = config["devices"][3]
    assert amp["model"] == "MRA-4", amp["model"]
    config["devices"] = config["devices"][:2]
    source, dut = config["devices"]
    config = rename(config, source["devId"], "MRP-SOURCE01")
    config = rename(config, dut["devId"], "MRP-DUT01")
    source, dut = config["devices"]
    # A second device under test like the first, without the routes the generated one brings.
    dut2 = json.loads(json.dumps(dut))
    dut2.update({"devId": "MRP-DUT02", "name": "SIM-03", "ip": "10.77.0.13", "routes": [], "mcastRx": [],
                 "myClkId": "00-1D-C1-FF-FE-4D-00-0D"})
    config["devices"].append(dut2)
    amp.update({"devId": "MRP-AMP01", "ip": "10.77.0.14", "routes": [], "mcastRx": []})
    config["devices"].append(amp)
    for i, dev in enumerate(config["devices"]):
        dev["secondaryIp"] = "10.77.0.%d" % (101 + i)
    return config


class SignalToolTest(e2etest.E2ETestCase):
    app_path = None
    shots_dir = None

    def setUp(self):
        self.devs = self.start_app_network("meridane-signal-", 5, ["--reboot-ms", str(REBOOT_MS)], bench_config)
        self.source, self.dut, self.dut2, self.amp = (d["devId"] for d in self.devs)
        self.records = os.path.join(self.tmp, "records")
        listed = lambda: {d["devId"] for d in self.app.ok({"cmd": "devices"})["devices"]} >= set(
            [self.source, self.dut, self.dut2, self.amp])
        self.wait(listed, LISTED_S, "the four devices listed")

    # --- helpers ---------------------------------------------------------------------------------------------
    def wait(self, probe, timeout, what):
        value = self.app.wait_for(probe, timeout, interval=0.2)
        if not value:
            self.fail("%s within %s s\n%s" % (what() if callable(what) else what, timeout, self.app.log()))
        return value

    def tool(self, **fields):
        return self.app.ok(dict(fields, cmd="testTool"))

    def record_box(self):
        return self.app.find("te_record").get("text", "")

    def record_lines(self, texts):
        return sum(1 for l in self.record_box().splitlines() if any(l.startswith(t) for t in texts))

    def run_button(self, name, what, ended, timeout=RUN_S):
        """Clicks a button of the tool and waits until `ended` counts one more line of the record box (the click
        runs after its answer, so an idle tool alone proves nothing) and the tool is idle; prints how long it took."""
        before = self.record_lines(ended)
        started = time.monotonic()
        self.app.ok({"cmd": "click", "object": name})
        self.wait(lambda: self.record_lines(ended) > before and not self.tool()["busy"], timeout,
                  lambda: "%s finished (record:\n%s)" % (what, self.record_box()))
        print("%s: %.2f s" % (what, time.monotonic() - started), flush=True)

    def choose(self, combo, dev_id):
        items = self.app.find(combo)["items"]
        index = next((i for i, t in enumerate(items) if "(%s)" % dev_id in t), -1)
        self.assertGreaterEqual(index, 0, "%s offers %s: %s" % (combo, dev_id, items))
        self.app.ok({"cmd": "activate", "object": combo, "index": index})

    def channel_lines(self, text, dev_id):
        """The channel lines of the last test of `dev_id` in the record box."""
        start = max(text.rfind(t % dev_id) for t in TEST_STARTED)
        self.assertGreaterEqual(start, 0, "a test of %s recorded:\n%s" % (dev_id, text))
        block = text[start:].splitlines()
        end = next(i for i, l in enumerate(block) if l in PASSED + FAILED)
        return block[1:end], PASSED[0] if block[end] in PASSED else FAILED[0]

    def record_file(self):
        path = os.path.join(self.records, datetime.date.today().strftime("%Y-%m-%d") + ".txt")
        with open(path, encoding="utf-8") as f:
            return f.read().splitlines()

    # --- the test --------------------------------------------------------------------------------------------
    def test_signal_test_passes_a_healthy_device_and_fails_one_faulty_channel(self):
        self.sim.command({"cmd": "signal", "devId": self.source, "inputs": [1], "dBFS": -20})
        for dev_id in (self.dut, self.dut2):
            self.sim.command({"cmd": "loopback", "devId": dev_id, "on": True})
        self.sim.command({"cmd": "fault", "devId": self.dut2, "channel": FAULTY, "kind": "silent"})

        opened = self.tool(mode=0, recordDir=self.records, settleMs=200, probeSettleMs=0)
        self.assertTrue(opened["open"])
        self.assertTrue(self.app.find("pb_checkSignal")["visible"], "mode 0 shows the calibration")

        # Its own discovery: every device answers the probe through its secondary unit.
        self.run_button("pb_refreshDev", "the refresh", REFRESHED, REPLY_S)
        items = self.app.find("cb_testDev")["items"]
        for dev_id in (self.source, self.dut, self.dut2, self.amp):
            self.assertTrue(any("(%s)" % dev_id in t for t in items), "%s listed by the probe: %s" % (dev_id, items))

        self.choose("cb_sourceDev", self.source)
        self.choose("cb_testDev", self.dut)
        self.app.ok({"cmd": "activate", "object": "cb_sourceCh", "index": 0})  # analog input 1
        classes = self.app.find("cb_devClass")["items"]
        index = next(i for i, t in enumerate(classes) if t in [c % CHANNELS for c in CLASS])
        self.app.ok({"cmd": "activate", "object": "cb_devClass", "index": index})

        self.run_button("pb_checkSignal", "the calibration", ("DelayDots=", "设备校准不正常"))
        self.assertIn("校准通过", self.record_box())
        dots = re.findall(r"DelayDots=(\d+)，DelayDots2=(\d+)，校准通过", self.record_box())
        self.assertEqual(len(dots), 1, self.record_box())
        # Beside the executable, as the language is.
        with open(os.path.join(os.path.dirname(self.app_path), "UserConfig.ini"), encoding="utf-8") as f:
            ini = f.read()
        self.assertIn("_testDots=%s" % dots[0][0], ini)

        # A healthy device passes on every channel.
        self.run_button("pb_startTest", "the test of the healthy device", PASSED + FAILED)
        lines, verdict = self.channel_lines(self.record_box(), self.dut)
        self.assertEqual(verdict, "测试通过", "\n".join(lines))
        self.assertEqual(len(lines), CHANNELS, "\n".join(lines))
        for c, line in enumerate(lines, 1):
            self.assertRegex(line, r"^通道%d=>输入电平:-20\.0dBFS，反相抵消后电平:-\d+\.\ddbFS, 测试通过\.$" % c)
        self.assertTrue(any(t in self.app.find("lb_status")["text"] for t in PASSED))

        # Finished: the device reboots and is counted.
        self.run_button("pb_restart", "the finish", REBOOTED, REPLY_S)
        self.assertEqual(self.tool()["testedCount"], 1, self.record_box())
        self.wait(lambda: self.sim.state(self.dut)["rebootCount"] >= 1, REPLY_S, "the device rebooted")

        # One faulty output fails exactly its channel.
        self.choose("cb_testDev", self.dut2)
        self.run_button("pb_startTest", "the test of the faulty device", PASSED + FAILED)
        lines, verdict = self.channel_lines(self.record_box(), self.dut2)
        self.assertEqual(verdict, "测试不通过", "\n".join(lines))
        self.assertEqual(len(lines), CHANNELS, "\n".join(lines))
        for c, line in enumerate(lines, 1):
            if c == FAULTY:
                self.assertEqual(line, "通道%d=>测试设备模拟输出电平异常:-infdBFS" % c)
            else:
                self.assertTrue(line.endswith("测试通过."), line)
        self.screenshot("e2e_signal_tool.png")
        # A failed device is not finished.
        before = len(self.app.ok({"cmd": "notices"})["notices"])
        self.app.ok({"cmd": "click", "object": "pb_restart"})
        self.wait(lambda: any(n["text"] in NOT_PASSED
                              for n in self.app.ok({"cmd": "notices"})["notices"][before:]), REPLY_S,
                  "the finish refused")
        self.assertEqual(self.tool()["testedCount"], 1)

        # An amplifier: its two modules answer with power on, then its channels pass without anything cabled back.
        self.choose("cb_testDev", self.amp)
        self.run_button("pb_startTest", "the test of the amplifier", PASSED + FAILED)
        lines, verdict = self.channel_lines(self.record_box(), self.amp)
        self.assertEqual(verdict, "测试通过", "\n".join(lines))
        modules = [l for l in lines if l.startswith("功放模块")]
        self.assertEqual(len(modules), 2, "\n".join(lines))
        self.assertTrue(all("上电是" in l for l in modules), modules)
        self.assertEqual(len([l for l in lines if l.endswith("测试通过.")]), CHANNELS, "\n".join(lines))

        # The day's record file holds both results, each line dated.
        kept = self.record_file()
        self.assertTrue(all(STAMP.match(l) for l in kept), "\n".join(kept))
        bodies = [STAMP.sub("", l) for l in kept]
        self.assertEqual(sum(bodies.count(t) for t in PASSED), 2, "\n".join(kept))
        self.assertEqual(sum(bodies.count(t) for t in FAILED), 1, "\n".join(kept))
        self.assertEqual(len([b for b in bodies if b.endswith("测试通过.")]), 3 * CHANNELS - 1)
        self.assertIn("通道%d=>测试设备模拟输出电平异常:-infdBFS" % FAULTY, bodies)
        self.assertTrue(any(c % self.dut in bodies for c in COUNTED), "\n".join(kept))


    def screenshot(self, file_name):
        path = os.path.join(self.shots_dir, file_name)
        if os.path.exists(path):
            os.unlink(path)
        # At the size the tool takes on a 1280-pixel-wide screen, so the record box shows the last test.
        shot = self.app.ok({"cmd": "screenshot", "object": "TestSignalDialog", "window": True, "file": path,
                            "width": 900, "height": 680})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)
        self.assertGreater(shot["width"], 400)


def main():
    e2etest.app_main(SignalToolTest)


if __name__ == "__main__":
    main()
