"""meridane-ctl as a scripting tool against the simulator: command messages of the whole command catalogue sent
with `send`, refusals (wrong password, locked device), a silent device, routes added and removed by name and by
number, multicast streams created and deleted, and dry runs that send nothing.

Usage: python3 test_ctl_control.py --sim PATH/meridane-sim --ctl PATH/meridane-ctl [unittest args]
"""

import json
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time

import e2etest
from programs import LineReader

PASSWORD = "Ctl-4711"
REBOOT_MS = 1500
COMMAND_PORT = 9990


def ip_number(text):
    return struct.unpack("!I", socket.inet_aton(text))[0]


def catalogue(dev_id, src_id):
    """Every command message of the catalogue once: (message, request "ops" the device must hear, port)."""
    group = "239.69.77.7"
    rows = [
        ({"ops": "setDevName", "name": "Ctl renamed"}, "setDevName", COMMAND_PORT),
        ({"ops": "setChName", "inOrOut": "1", "ch": "2", "name": "CtlOut3"}, "setChNameTx", COMMAND_PORT),
        ({"ops": "setChName", "inOrOut": "0", "ch": "0", "name": "CtlIn1"}, "setChNameRx", COMMAND_PORT),
        ({"ops": "setSampleRate", "val": "48000"}, "setSampleRate", 9994),
        ({"ops": "setPacketTimeDiv", "val": "1"}, "setPacketTimeDiv", 9994),
        ({"ops": "setDelayUs", "us": "2000"}, "setDelayUs", COMMAND_PORT),
        ({"ops": "setPtpPriority", "val": "100"}, "setPtpPriority", 9994),
        ({"ops": "setPtpDomain", "val": "3"}, "setPtpDomain", 9994),
        ({"ops": "setPtpDscp", "val": "40"}, "setPtpDscp", 9994),
        ({"ops": "setDscp", "dscp": "30"}, "setDscp", COMMAND_PORT),
        ({"ops": "setSampleByteNum", "sampleByteNum": "3"}, "setSampleByteNum", COMMAND_PORT),
        ({"ops": "getAllPhyLevel", "inOrOut": "1", "idStart": "0"}, "getAllPhyVolumeDbTx", COMMAND_PORT),
        ({"ops": "getAllPhyGain", "inOrOut": "0", "idStart": "0"}, "getAllPhyGainDbRx", COMMAND_PORT),
        ({"ops": "setPhyGain", "inOrOut": "1", "id": "0", "val": "-3"}, "setPhyGainDbTx", COMMAND_PORT),
        ({"ops": "getAllPhyMute", "inOrOut": "0", "idStart": "0"}, "getAllPhyMuteRx", COMMAND_PORT),
        ({"ops": "setPhyMute", "inOrOut": "1", "id": "1", "val": "1"}, "setPhyMuteTx", COMMAND_PORT),
        ({"ops": "getAllNetLevel", "inOrOut": "0", "idStart": "0"}, "getAllVolumeDbRx", COMMAND_PORT),
        ({"ops": "getDelayStatUcast", "sdpId": "0"}, "getUcastStats", COMMAND_PORT),
        ({"ops": "getDelayStatMcast", "sdpId": "0"}, "getMcastStats", COMMAND_PORT),
        ({"ops": "clrDelayStatUcast", "sdpId": "0"}, "clrUcastStats", COMMAND_PORT),
        ({"ops": "clrDelayStatMcast", "sdpId": "0"}, "clrMcastStats", COMMAND_PORT),
        ({"ops": "setMcastTx", "name": "Cat stream", "srcChIdArr": ["0", "1"],
          "sdp": {"dstIp": group, "dstPort": "5004", "rtpTsOffset": "0"}}, "setMcastTx", COMMAND_PORT),
        ({"ops": "clrMcastTx", "dstIp": str(ip_number(group)), "name": "Cat stream"}, "clrMcastTx", COMMAND_PORT),
        ({"ops": "setUcastRx", "srcDevId": src_id, "srcChId": "3", "dstChId": "5"}, "setUcastRx", COMMAND_PORT),
        ({"ops": "clrRxCh", "dstChId": "5"}, "clrRxCh", COMMAND_PORT),
        ({"ops": "getIp"}, "getIp", 9994),
        ({"ops": "getDebugInfo"}, "getDebugInfo", 9994),
        ({"ops": "getInfo"}, "getInfo", 9992),
        ({"ops": "setGain", "id": "0", "val": "1"}, "setGain", 9992),
        ({"ops": "setPower", "id": "0", "val": "1"}, "setPower", 9992),
        ({"ops": "getVersion"}, "getVersion", 9994),
        ({"ops": "sendUdpToUart", "cmd": "AT+CTL"}, None, 7999),
        ({"ops": "getCfg"}, "getCfg", 9993),
        ({"ops": "setCfg", "cfg": "ctlKey=1"}, "setCfg", 9993),
        ({"ops": "getGpioInfo", "index": "0"}, "getGpioInfo", 9992),
        ({"ops": "setGpioInfo", "index": "0", "gpioInfo": {"dir": "out"}}, "setGpioInfo", 9992),
        ({"ops": "testGpio", "isHigh": "1"}, "testGpio", 9992),
        ({"ops": "setIp", "isFixedIp": "0", "ip": "", "gateway": "", "dns": ""}, "setIp", 9994),
        ({"ops": "reboot"}, "reboot", 9994),
    ]
    return [(dict(m, devId=dev_id), ops, port) for m, ops, port in rows]


def expected_exit(line):
    """The exit code one printed line stands for."""
    if "error" in line:
        return line["exit"]
    if "tip" in line:
        return 1
    if "result" in line and line["result"] != "succ":
        return 1
    return 0


class CtlControlTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        argv = [cls.sim_path, "--print-config", "--devices", "4", "--first-ip", "10.77.0.11"]
        config = json.loads(subprocess.run(argv, stdout=subprocess.PIPE, check=True, timeout=20).stdout)
        devs = config["devices"]
        devs[0]["password"] = PASSWORD
        devs[2]["lock"] = "0x1"  # refuses route changes
        cls.tmp = tempfile.mkdtemp(prefix="meridane-ctlctl-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, True)
        path = os.path.join(cls.tmp, "devices.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(config, f)
        cls.net, cls.sim, _ = cls.start_network(config=path, sim_args=["--reboot-ms", str(REBOOT_MS)])
        # SIM-01 (password) sends, SIM-02 takes the catalogue, SIM-03 is locked, SIM-04 receives routes.
        cls.src, cls.target, cls.locked, cls.rx = devs

    def ctl(self, *args, stdin=None, timeout=30):
        """Runs meridane-ctl; returns (exit code, printed JSON lines or text, standard error)."""
        argv = [self.ctl_path, "--ip", self.net.ctl_ip] + list(args)
        res = self.net.run("ctl", argv, timeout=timeout, input_bytes=stdin)
        out = res.stdout.decode(errors="replace")
        if "--json" in args:
            try:
                out = [json.loads(line) for line in out.splitlines() if line.strip()]
            except ValueError:
                self.fail("%s printed a line that is not JSON:\n%s" % (" ".join(args), out))
        return res.returncode, out, res.stderr.decode(errors="replace")

    def requests(self, dev):
        return self.sim.state(dev["devId"])["requests"]

    def sim_route(self, dev, rx_ch):
        """(srcDevId, srcChId) feeding rx_ch (0-based) in the simulator, or None."""
        tables = self.sim.dump()[dev["devId"]]["tables"]
        rtp = next((e["rtpChId"] for e in tables["rxCh"] if e["id"] == rx_ch), None)
        if rtp is None:
            return None
        entry = next((e for e in tables["rtpCh"] if e["id"] == rtp), None)
        return (entry["srcDevId"], entry["srcChId"]) if entry else None

    def wait(self, probe, timeout, what):
        deadline = time.monotonic() + timeout
        while not probe():
            if time.monotonic() > deadline:
                self.fail("not within %s s: %s" % (timeout, what))
            time.sleep(0.1)

    # ---- send ----------------------------------------------------------------------------------------------------

    def test_catalogue_rows_reach_the_device_and_come_back_dispatched(self):
        dev = self.target
        rows = catalogue(dev["devId"], self.src["devId"])
        messages = [json.dumps(m) for m, _, _ in rows]

        # A dry run shows each request where the catalogue sends it, and sends nothing.
        before = self.sim.state(dev["devId"])
        rc, lines, err = self.ctl("send", "--json", "--dry-run", *messages)
        self.assertEqual(rc, 0, err)
        self.assertEqual(len(lines), len(rows), lines)
        for (msg, ops, port), line in zip(rows, lines):
            with self.subTest(dry_run=msg["ops"]):
                self.assertTrue(line["dryRun"])
                self.assertEqual(line["port"], port)
                self.assertEqual(line["ip"], "255.255.255.255" if msg["ops"] == "setIp" else dev["ip"])
                if ops is None:
                    self.assertEqual(line["request"], "AT+CTL", "the tunnel sends the raw text")
                else:
                    self.assertEqual(line["request"]["ops"], ops)
                    self.assertNotIn("TAG", line["request"])
        # (The registry reads every device's tables as it meets them: those requests are not the run's.)
        after_dry = self.sim.state(dev["devId"])
        for _, ops, _ in rows:
            if ops:
                self.assertEqual(after_dry["requests"].get(ops, 0), before["requests"].get(ops, 0),
                                 "a dry run sent %s" % ops)
        self.assertEqual(after_dry["tunnelDatagrams"], before["tunnelDatagrams"])

        rc, lines, err = self.ctl("send", "--json", "--timeout", "1", *messages, timeout=60)
        self.assertEqual(len(lines), len(rows), "one line per message; stderr:\n" + err)
        codes = [expected_exit(line) for line in lines]
        self.assertEqual(rc, next((c for c in codes if c), 0), "the exit code of the first failed message")
        after = self.sim.state(dev["devId"])
        sent = {}
        for _, ops, _ in rows:
            if ops:
                sent[ops] = sent.get(ops, 0) + 1
        for ops, count in sent.items():
            with self.subTest(heard=ops):
                got = after["requests"].get(ops, 0) - before["requests"].get(ops, 0)
                self.assertEqual(got, count, "%s heard %d times, sent %d" % (ops, got, count))
        self.assertEqual(after["tunnelDatagrams"], before["tunnelDatagrams"] + 1)

        for (msg, ops, _), line in zip(rows, lines):
            with self.subTest(reply=msg["ops"]):
                # The dispatcher names the window's command again, for the device's own name of it.
                self.assertEqual(line.get("ops"), msg["ops"], line)
                self.assertEqual(line.get("devId"), dev["devId"], line)
        by_ops = {line.get("ops"): line for line in lines}
        self.assertEqual(by_ops["setChName"]["inOrOut"], "0")  # the last of the two, receive side
        self.assertEqual(by_ops["getAllPhyLevel"]["inOrOut"], "1")
        self.assertEqual(len(by_ops["getAllPhyLevel"]["arr"]), 8)
        self.assertIn("AT+CTL", by_ops["sendUdpToUart"]["back"])
        self.assertEqual(by_ops["setDevName"]["result"], "succ")
        # What the device now holds.
        self.assertEqual(after["name"], "Ctl renamed")
        self.assertEqual(after["txChNames"][2], "CtlOut3")
        self.assertEqual(after["rxChNames"][0], "CtlIn1")
        self.assertEqual((after["delayUs"], after["dscp"], after["ptpPriority"]), (2000, 30, 100))
        self.assertEqual(after["cfg"].get("ctlKey"), "1")
        self.assertGreater(after["rebootCount"], before["rebootCount"])
        self.wait(lambda: not self.sim.state(dev["devId"])["rebooting"], 10, "the device back from its reboot")

    def test_refusals_give_exit_1_with_the_reason(self):
        src, locked = self.src, self.locked
        wrong = json.dumps({"ops": "setLock", "devId": src["devId"], "password": "wrong", "val": "0x1"})
        rc, lines, err = self.ctl("send", "--json", wrong)
        self.assertEqual(rc, 1, err)
        self.assertEqual((lines[0]["result"], lines[0]["reason"]), ("fail", "mismatch"))
        self.assertIn("Password error", err)
        rc, _, err = self.ctl("send", "--lang", "cn", wrong)
        self.assertEqual(rc, 1, err)
        self.assertIn("密码错误", err)
        self.assertEqual(self.sim.state(src["devId"])["lock"], "0x0")

        # A locked receiver: the route request is refused with the window's tip, the clear with the reason.
        route = json.dumps({"ops": "setUcastRx", "devId": locked["devId"], "srcDevId": src["devId"],
                            "srcChId": "0", "dstChId": "7"})
        heard = self.requests(locked).get("setUcastRx", 0)
        rc, lines, err = self.ctl("send", "--json", route)
        self.assertEqual(rc, 1, err)
        self.assertIn("lock", lines[0]["tip"].lower())
        self.assertIn("locked", err)
        self.assertEqual(self.requests(locked).get("setUcastRx", 0), heard + 1)
        self.assertIsNone(self.sim_route(locked, 7))
        clear = json.dumps({"ops": "clrRxCh", "devId": locked["devId"], "dstChId": "0"})
        rc, _, err = self.ctl("send", "--lang", "cn", clear)
        self.assertEqual(rc, 1, err)
        self.assertIn("设置失败,设备已上锁", err)
        rc, _, err = self.ctl("route", "add", "%s:1" % src["name"], "%s:8" % locked["name"])
        self.assertEqual(rc, 1, err)
        self.assertIn("locked", err)

        # A name the windows refuse is refused before anything is sent.
        heard = self.requests(src).get("setDevName", 0)
        for name in ("Bad/name", "   ", "x" * 31):
            with self.subTest(name=name):
                rc, _, err = self.ctl("send", json.dumps({"ops": "setDevName", "devId": src["devId"], "name": name}))
                self.assertEqual(rc, 1, err)
                self.assertIn("refused", err)
        self.assertEqual(self.requests(src).get("setDevName", 0), heard, "nothing sent")

    def test_silent_and_unknown_devices(self):
        dev = self.src
        start = time.monotonic()
        rc, _, err = self.ctl("send", "--seconds", "1", json.dumps({"ops": "getIp", "devId": "MD-NOBODY"}))
        self.assertEqual(rc, 3, err)
        self.assertIn("MD-NOBODY", err)
        self.assertLess(time.monotonic() - start, 5)

        # One session, one message per line: the device answers, is unplugged, and then answers no more.
        argv = [self.ctl_path, "--ip", self.net.ctl_ip, "send", "-", "--json", "--timeout", "1"]
        proc = self.net.popen("ctl", argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        reader = LineReader(proc.stdout)
        ask = (json.dumps({"ops": "getVersion", "devId": dev["devId"]}) + "\n").encode()
        try:
            proc.stdin.write(ask)
            proc.stdin.flush()
            first = json.loads(reader.readline(10) or "{}")
            self.assertEqual(first.get("result"), "succ", first)
            self.sim.command({"cmd": "silence", "devId": dev["devId"]})
            proc.stdin.write(ask)
            proc.stdin.close()
            second = json.loads(reader.readline(10) or "{}")
            self.assertEqual(second.get("exit"), 2, second)
            self.assertEqual(proc.wait(10), 2)
        finally:
            self.sim.command({"cmd": "resume", "devId": dev["devId"]})
            if proc.poll() is None:
                proc.kill()
                proc.wait()

    # ---- routes --------------------------------------------------------------------------------------------------

    def listed(self):
        rc, routes, err = self.ctl("route", "list", "--json", "--seconds", "2")
        self.assertEqual(rc, 0, err)
        return [(r["sender"]["id"], r["sender"]["channel"], r["receiver"]["id"], r["receiver"]["channel"], r["kind"])
                for r in routes[0]]

    def test_routes_added_and_removed_by_name_and_number(self):
        src, rx = self.src, self.rx
        rc, lines, err = self.ctl("route", "add", "%s:3" % src["name"], "%s:NetIn5" % rx["name"], "--json")
        self.assertEqual(rc, 0, err)
        self.assertTrue(lines[0]["confirmed"], lines)
        rc, lines, err = self.ctl("route", "add", "%s:NetOut4" % src["devId"], "%s:6" % rx["devId"], "--json")
        self.assertEqual(rc, 0, err)
        self.assertEqual(self.sim_route(rx, 4), (src["devId"], 2))
        self.assertEqual(self.sim_route(rx, 5), (src["devId"], 3))
        routes = self.listed()
        self.assertIn((src["devId"], 3, rx["devId"], 5, "unicast"), routes)
        self.assertIn((src["devId"], 4, rx["devId"], 6, "unicast"), routes)

        # A dry run names the request and sends nothing.
        heard = self.requests(rx).get("clrRxCh", 0)
        rc, lines, err = self.ctl("route", "remove", "%s:5" % rx["name"], "--dry-run", "--json")
        self.assertEqual(rc, 0, err)
        self.assertEqual(lines[0]["request"], {"ops": "clrRxCh", "dstChId": "4"})
        self.assertEqual((lines[0]["ip"], lines[0]["port"]), (rx["ip"], COMMAND_PORT))
        self.assertEqual(self.requests(rx).get("clrRxCh", 0), heard)
        self.assertEqual(self.sim_route(rx, 4), (src["devId"], 2))

        rc, _, err = self.ctl("route", "remove", "%s:5" % rx["name"])
        self.assertEqual(rc, 0, err)
        rc, _, err = self.ctl("route", "remove", "%s:NetIn6" % rx["devId"])
        self.assertEqual(rc, 0, err)
        self.assertIsNone(self.sim_route(rx, 4))
        self.assertIsNone(self.sim_route(rx, 5))
        routes = self.listed()
        self.assertFalse([r for r in routes if r[2] == rx["devId"] and r[3] in (5, 6)], routes)

    def test_questions_need_yes(self):
        src, rx = self.src, self.rx
        # Receive channel 1 of SIM-04 is fed by SIM-03: replacing it is a question.
        feeding = self.sim_route(rx, 0)
        self.assertIsNotNone(feeding)
        rc, _, err = self.ctl("route", "add", "%s:1" % src["name"], "%s:1" % rx["name"])
        self.assertEqual(rc, 1, err)
        self.assertIn("already has a route", err)
        self.assertEqual(self.sim_route(rx, 0), feeding)
        rc, _, err = self.ctl("route", "add", "%s:1" % src["name"], "%s:1" % rx["name"], "--yes")
        self.assertEqual(rc, 0, err)
        self.assertEqual(self.sim_route(rx, 0), (src["devId"], 0))

        # A multicast stream as sender, by its name: the packet-time question first.
        stream = "%s:2" % src["mcastTx"][0]["name"]
        rc, _, err = self.ctl("route", "add", stream, "%s:7" % rx["name"])
        self.assertEqual(rc, 1, err)
        self.assertIn("Packet time", err)
        rc, lines, err = self.ctl("route", "add", stream, "%s:7" % rx["name"], "--yes", "--json")
        self.assertEqual(rc, 0, err)
        self.assertIn((src["mcastTx"][0]["dstIp"], 2, rx["devId"], 7, "multicast"), self.listed())
        rc, _, err = self.ctl("route", "remove", "%s:7" % rx["name"])
        self.assertEqual(rc, 0, err)
        self.assertIsNone(self.sim_route(rx, 6))

    # ---- streams -------------------------------------------------------------------------------------------------

    def test_stream_create_and_delete(self):
        dev = self.src
        before = self.sim.state(dev["devId"])
        rc, lines, err = self.ctl("stream", "create", dev["name"], "--name", "Ctl stream", "--channels", "3,NetOut4",
                                  "--dry-run", "--json")
        self.assertEqual(rc, 0, err)
        self.assertEqual(lines[0]["request"]["srcChIdArr"], ["2", "3"])
        self.assertTrue(lines[0]["request"]["sdp"]["dstIp"].startswith("239.69."))
        self.assertEqual(self.sim.state(dev["devId"])["mcastTx"], before["mcastTx"], "a dry run created a stream")

        for channels, extra, needle in (("1,2,3,4,5,6,7,8,9", [], "8 channels"),
                                        ("1", ["--address", "240.0.0.1"], "Wrong IP"),
                                        ("1", ["--address", "239.70.1.1", "--port", "6000"], "5004 only")):
            with self.subTest(refused=needle):
                rc, _, err = self.ctl("stream", "create", dev["name"], "--name", "X", "--channels", channels, *extra)
                self.assertEqual(rc, 1, err)
                self.assertIn(needle, err)

        rc, lines, err = self.ctl("stream", "create", dev["name"], "--name", "Ctl stream", "--channels", "3,NetOut4",
                                  "--json")
        self.assertEqual(rc, 0, err)
        self.assertTrue(lines[0]["confirmed"], lines)
        made = [s for s in self.sim.state(dev["devId"])["mcastTx"] if s["name"] == "Ctl stream"]
        self.assertEqual(len(made), 1)
        self.assertEqual(made[0]["srcChIds"], [2, 3])
        self.assertEqual(made[0]["dstIp"], lines[0]["dstIp"])

        rc, _, err = self.ctl("stream", "delete", dev["name"], "Ctl stream")
        self.assertEqual(rc, 1, err)
        self.assertIn("Delete", err)
        rc, _, err = self.ctl("stream", "delete", dev["devId"], "Ctl stream", "--yes")
        self.assertEqual(rc, 0, err)
        self.assertFalse([s for s in self.sim.state(dev["devId"])["mcastTx"] if s["name"] == "Ctl stream"])


if __name__ == "__main__":
    e2etest.main()
