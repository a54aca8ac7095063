"""meridane-ctl's archives against the simulator: `export` reads three devices (one with a processor) into an
archive; after names, a gain, a route and a processor block are changed in the simulator, `load --dry-run` lists
exactly those changes and sends no change request, `load` restores every value, `load --categories name` sends
only "setDevName", and a device that falls silent during a load or an export is logged while the others are
loaded or written (exit 2).

Usage: python3 test_archive.py --sim PATH/meridane-sim --ctl PATH/meridane-ctl [unittest args]
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import e2etest

PLAIN, ROUTED, DSP = 0, 1, 2  # generated devices: the second receives routes, the third has a processor
CHANGE_PREFIXES = ("set", "clr", "save", "del", "reboot")

# Sends one framed request to a processor's TCP service and prints the reply (4-byte little-endian length first).
TCP_CLIENT = r"""
import json, socket, struct, sys
host, body = sys.argv[1], sys.stdin.buffer.read()
s = socket.create_connection((host, 8999), timeout=5)
s.sendall(struct.pack("<I", len(body)) + body)
def take(n):
    out = b""
    while len(out) < n:
        chunk = s.recv(n - len(out))
        if not chunk:
            raise SystemExit("connection closed")
        out += chunk
    return out
print(take(struct.unpack("<I", take(4))[0]).decode())
"""

# Sends one datagram to a device's command port and prints the reply.
UDP_CLIENT = r"""
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.settimeout(3)
s.sendto(sys.stdin.buffer.read(), (sys.argv[1], int(sys.argv[2])))
print(s.recvfrom(65536)[0].decode())
"""


def change_counts(state):
    """Requests a simulated device heard that change something, by "ops". Every run of meridane-ctl asks new
    devices whether a password is set ("setPassword" with empty texts) as the application does; that is not a
    change and not the load's."""
    return {ops: n for ops, n in state["requests"].items() if ops.startswith(CHANGE_PREFIXES) and ops != "setPassword"}


def normal(config):
    """The configuration with unnamed groups named as the program names them and numbers in one notation."""
    def walk(v):
        if isinstance(v, dict):
            return {k: walk(x) for k, x in v.items()}
        if isinstance(v, list):
            return [walk(x) for x in v]
        if isinstance(v, str):
            try:
                return str(int(v, 0))
            except ValueError:
                return v
        return v
    out = walk(config)
    for i, group in enumerate(out.get("groupArr", [])):
        if isinstance(group, dict) and not group.get("name"):
            group["name"] = "Group%d" % (i + 1)
    return out


def differences(a, b, path="", limit=10):
    """Up to `limit` paths where the two JSON values differ, with both values."""
    out = []
    if isinstance(a, dict) and isinstance(b, dict):
        for k in sorted(set(a) | set(b)):
            out += differences(a.get(k), b.get(k), path + "/" + k, limit - len(out))
            if len(out) >= limit:
                break
    elif isinstance(a, list) and isinstance(b, list) and len(a) == len(b):
        for i, (x, y) in enumerate(zip(a, b)):
            out += differences(x, y, "%s[%d]" % (path, i), limit - len(out))
            if len(out) >= limit:
                break
    elif a != b:
        out.append((path, str(a)[:80], str(b)[:80]))
    return out


def gains(values):
    """Gains as the archive keeps them: "-inf" and anything below -60 dB are -60."""
    out = []
    for v in values:
        v = float(v)
        out.append(-60.0 if v < -60 else v)
    return out


def first_bypass(node, path=()):
    """The path (keys and indexes) of the first "bypass" flag in a processor configuration, or None."""
    if isinstance(node, dict) and node.get("bypass") in ("0", "1"):
        return path + ("bypass",)
    children = node.items() if isinstance(node, dict) else enumerate(node) if isinstance(node, list) else ()
    for key, child in children:
        found = first_bypass(child, path + (key,))
        if found:
            return found
    return None


def at(node, path):
    for key in path:
        node = node[key]
    return node


class ArchiveTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        argv = [cls.sim_path, "--print-config", "--devices", "3", "--first-ip", "10.77.0.11"]
        config = json.loads(subprocess.run(argv, stdout=subprocess.PIPE, check=True, timeout=20).stdout)
        # Values away from the archive's defaults, so a category left out is seen in the file.
        config["devices"][ROUTED].update({"dscp": 40, "delayUs": 3000, "ptpPriority": 100, "ptpDscp": 50})
        cls.tmp = tempfile.mkdtemp(prefix="meridane-archive-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, True)
        path = os.path.join(cls.tmp, "devices.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(config, f)
        cls.net, cls.sim, _ = cls.start_network(config=path)
        cls.devs = config["devices"]
        cls.ids = [d["devId"] for d in cls.devs]
        cls.archive = os.path.join(cls.tmp, "all.odt")

    # --- helpers -------------------------------------------------------------------------------------------

    def ctl(self, *args, timeout=90):
        argv = [self.ctl_path, "--ip", self.net.ctl_ip, "--seconds", "3"] + list(args)
        res = self.net.run("ctl", argv, timeout=timeout)
        return res.returncode, res.stdout.decode(errors="replace"), res.stderr.decode(errors="replace")

    def send(self, message):
        """One request straight to a device's command port, as another controller would send it."""
        ip = self.devs[self.ids.index(message["devId"])]["ip"]
        res = self.net.run("ctl", [sys.executable, "-c", UDP_CLIENT, ip, "9990"], input_bytes=json.dumps(message).encode())
        self.assertEqual(res.returncode, 0, "%s: %s" % (message, res.stderr.decode(errors="replace")))
        reply = json.loads(res.stdout)
        self.assertEqual(reply.get("result"), "succ", "%s: %s" % (message, reply))
        return reply

    def processor(self, request):
        body = json.dumps(dict(request, devId=self.ids[DSP])).encode()
        res = self.net.run("ctl", [sys.executable, "-c", TCP_CLIENT, self.devs[DSP]["ip"]], input_bytes=body)
        self.assertEqual(res.returncode, 0, res.stderr.decode(errors="replace"))
        return json.loads(res.stdout)

    def routes(self, dev_id):
        """(receive channel, sender devId, sender channel) of every unicast route a device holds."""
        state = self.sim.state(dev_id)
        dump = self.sim.dump()[dev_id]["tables"]
        rtp = {e["id"]: (e.get("srcDevId", ""), e.get("srcChId", -1)) for e in dump.get("rtpCh", [])}
        out = sorted((e["id"],) + rtp.get(e["rtpChId"], ("", -1)) for e in dump.get("rxCh", []))
        return out, [(m["dstIp"], m["dstPort"]) for m in state["mcastTx"]]

    def snapshot(self):
        """Every value a load restores, per device, as the simulator holds it."""
        out = {}
        for dev_id in self.ids:
            s = self.sim.state(dev_id)
            out[dev_id] = {
                "name": s["name"],
                "names": [s[k] for k in ("rxChNames", "txChNames", "phyRxChNames", "phyTxChNames")],
                "gains": [gains(s[k]) for k in ("phyGainRx", "phyGainTx")],
                "mutes": [s[k] for k in ("phyMuteRx", "phyMuteTx")],
                "settings": [s[k] for k in ("delayUs", "dscp", "sampleByteNum", "ptpPriority", "ptpDscp")],
                "routes": self.routes(dev_id),
                # The configuration itself: a load writes it through the processor model, so key order may differ.
                "dsp": self.sim.command({"cmd": "dspConfig", "devId": dev_id})["config"] if s["dspConfig"] else None,
            }
        return out

    def json_lines(self, out, kind):
        return [o for o in (json.loads(line) for line in out.splitlines() if line.startswith("{")) if o["kind"] == kind]

    def change_requests(self):
        return {dev_id: change_counts(self.sim.state(dev_id)) for dev_id in self.ids}

    def heard_since(self, before):
        after = self.change_requests()
        return {d: {o: n - before[d].get(o, 0) for o, n in after[d].items() if n != before[d].get(o, 0)}
                for d in self.ids}

    # --- the tests, in order: each starts from what the one before left ---------------------------------

    def test_1_export_writes_every_device_and_the_chosen_groups(self):
        routed = self.ids[ROUTED]
        for channel, val in ((0, "-inf"), (1, "-75")):
            self.send({"ops": "setPhyGainDbRx", "devId": routed, "id": str(channel), "val": val})
        type(self).before = self.snapshot()

        rc, out, err = self.ctl("export", self.archive, "--json")
        self.assertEqual(rc, 0, err)
        summary = json.loads(out)
        self.assertEqual((summary["devices"], summary["written"], summary["failedSteps"]), (3, True, 0), out)
        with open(self.archive, encoding="utf-8") as f:
            doc = json.load(f)
        by_id = {d["devDetail"]["devId"]: d for d in doc["devArray"]}
        self.assertEqual(sorted(by_id), sorted(self.ids))
        detail = by_id[routed]["devDetail"]
        self.assertEqual(detail["channelData"]["rxPhyGainList"][:2], ["-60", "-60"], "-inf and -75 dB kept as -60")
        self.assertEqual((detail["dscp"], detail["ptpPriority"], detail["ptpDscp"]), ("40", "100", "50"))
        self.assertTrue(by_id[routed]["devRoute"]["ucastList"], "the routes the device receives")
        self.assertIn("dsp", by_id[self.ids[DSP]])
        self.assertNotIn("dsp", by_id[self.ids[PLAIN]])

        name_only = os.path.join(self.tmp, "names.odt")
        rc, out, err = self.ctl("export", "--categories", "name", "--devices", self.devs[ROUTED]["name"], name_only)
        self.assertEqual(rc, 0, err)
        with open(name_only, encoding="utf-8") as f:
            doc = json.load(f)
        self.assertEqual(len(doc["devArray"]), 1)
        d = doc["devArray"][0]["devDetail"]
        self.assertEqual(d["devName"], self.devs[ROUTED]["name"])
        defaults = {"sampleRate": "48000", "delayMs": "5", "ptpDscp": "46", "dscp": "34", "ptpPriority": "128",
                    "sampleByteNum": "3", "pFrameNum": "12", "isFixIp": "0"}
        self.assertEqual({k: d[k] for k in defaults}, defaults)
        self.assertTrue(all(g == "0" for g in d["channelData"]["rxPhyGainList"]))
        self.assertEqual(doc["devArray"][0]["devRoute"], {"ucastList": [], "mcastList": []})

        rc, out, err = self.ctl("export", "--devices", "No such device", os.path.join(self.tmp, "x.odt"))
        self.assertEqual(rc, 3, err)
        self.assertFalse(os.path.exists(os.path.join(self.tmp, "x.odt")))

    def test_2_dry_run_lists_exactly_the_changes_and_sends_none(self):
        plain, routed = self.ids[PLAIN], self.ids[ROUTED]
        self.send({"ops": "setDevName", "devId": plain, "name": "Renamed desk"})
        self.send({"ops": "setPhyGainDbTx", "devId": routed, "id": "3", "val": "-12"})
        self.sim.command({"cmd": "unroute", "devId": routed, "rxCh": 0})
        config = self.sim.command({"cmd": "dspConfig", "devId": self.ids[DSP]})["config"]
        type(self).bypass = first_bypass(config)
        self.assertIsNotNone(self.bypass)
        at(config, self.bypass[:-1])["bypass"] = "1" if at(config, self.bypass) == "0" else "0"
        self.assertEqual(self.processor({"ops": "setConfig", "config": config})["result"], "succ")

        before = self.change_requests()
        rc, out, err = self.ctl("load", self.archive, "--dry-run", "--json")
        self.assertEqual(rc, 0, err)
        self.assertEqual(self.heard_since(before), {d: {} for d in self.ids}, "a dry run sends no change")
        assigned = {a["offlineDevId"]: a["onlineDevId"] for a in self.json_lines(out, "assign")}
        self.assertEqual(assigned, {d: d for d in self.ids})
        changed = sorted({(c["devId"], c["category"]) for c in self.json_lines(out, "change")})
        self.assertEqual(changed, sorted([(plain, "name"), (routed, "gains"), (routed, "routes"),
                                          (self.ids[DSP], "params")]), out)
        gain = [c for c in self.json_lines(out, "change") if c["category"] == "gains"]
        self.assertEqual(len(gain), 1, gain)
        self.assertEqual((float(gain[0]["online"]), float(gain[0]["archive"])), (-12.0, 0.0))

    def test_3_load_restores_every_value(self):
        rc, out, err = self.ctl("load", self.archive, "--json")
        self.assertEqual(rc, 0, out + err)
        steps = self.json_lines(out, "step")
        self.assertTrue(steps and all(s["status"] == "done" for s in steps), out)
        self.assertIn("总耗时", err)
        after = self.snapshot()
        for dev_id in self.ids:
            for key in after[dev_id]:
                if key != "dsp":
                    self.assertEqual(after[dev_id][key], self.before[dev_id][key], "%s %s" % (dev_id, key))
        held = after[self.ids[DSP]]["dsp"]
        self.assertEqual(at(held, self.bypass), at(self.before[self.ids[DSP]]["dsp"], self.bypass), "the block")
        type(self).after = after

    def test_3b_load_restores_the_whole_processor_configuration(self):
        """The processor's configuration comes back whole, matrix gains included. Two differences of form are
        allowed: an unnamed group comes back with the name the program shows for it, and a number may come back
        in another notation ("0x0" as "0")."""
        dsp = self.ids[DSP]
        self.assertEqual(differences(normal(self.after[dsp]["dsp"]), normal(self.before[dsp]["dsp"])), [])

    def test_4_name_only_sends_only_the_name(self):
        routed = self.ids[ROUTED]
        self.send({"ops": "setDevName", "devId": routed, "name": "Somebody else"})
        self.send({"ops": "setPhyGainDbTx", "devId": routed, "id": "3", "val": "-6"})
        before = self.change_requests()
        rc, out, err = self.ctl("load", self.archive, "--categories", "name")
        self.assertEqual(rc, 0, out + err)
        self.assertEqual(self.heard_since(before), {d: ({"setDevName": 1} if d == routed else {}) for d in self.ids})
        self.assertEqual(self.sim.state(routed)["name"], self.devs[ROUTED]["name"])
        self.assertEqual(gains(self.sim.state(routed)["phyGainTx"])[3], -6.0, "gains were not chosen")

    def test_5_a_silent_device_is_logged_and_the_others_are_loaded(self):
        for i, dev_id in enumerate(self.ids):
            self.send({"ops": "setDevName", "devId": dev_id, "name": "Lost %d" % i})
        # The last device is read for the preview as usual, then falls silent at its first change request.
        silent = self.ids[DSP]
        self.sim.command({"cmd": "silence", "devId": silent, "onOps": "setDevName"})
        try:
            rc, out, err = self.ctl("load", self.archive, "--categories", "name", "--json")
        finally:
            self.sim.command({"cmd": "resume", "devId": silent})
        self.assertEqual(rc, 2, out + err)
        steps = {s["devId"]: s["status"] for s in self.json_lines(out, "step")}
        self.assertEqual(steps, {silent: "noAnswer", self.ids[PLAIN]: "done", self.ids[ROUTED]: "done"}, out)
        self.assertIn("No Return With", err)
        for i in (PLAIN, ROUTED):
            self.assertEqual(self.sim.state(self.ids[i])["name"], self.devs[i]["name"])
        self.assertEqual(self.sim.state(silent)["name"], "Lost 2")

    def test_6_export_goes_on_past_a_device_that_falls_silent(self):
        # The device answers its first read-out steps, then falls silent at the microphone read (a request only
        # the export sends): its remaining steps fail and the export still writes all three.
        path = os.path.join(self.tmp, "silent.odt")
        silent = self.ids[ROUTED]
        self.sim.command({"cmd": "silence", "devId": silent, "onOps": "getInfo"})
        try:
            rc, out, err = self.ctl("export", path, "--json")
        finally:
            self.sim.command({"cmd": "resume", "devId": silent})
        self.assertEqual(rc, 2, out + err)
        summary = json.loads(out)
        self.assertTrue(summary["written"], out)
        self.assertEqual(summary["devices"], 3)
        self.assertGreater(summary["failedSteps"], 0)
        with open(path, encoding="utf-8") as f:
            self.assertEqual(len(json.load(f)["devArray"]), 3)


if __name__ == "__main__":
    e2etest.main()
