"""A host on the devices' network can send the controller's unicast socket anything; its replies speak only for
itself. The peer is a small Python program in the devices' namespace, not controller code: it announces one device
of its own, learns the controller's unicast port from the first table request it receives, and then sends replies
that name a real (simulated) device: a rename, a tagged and a "cookie" reply, and unsolicited "setIp" and "reboot"
replies. The controller must emit them as the peer's own device, emit none of the unsolicited ones, and keep the
real device listed."""

import json
import subprocess
import sys
import time
import types

import e2etest
import netns
from programs import Controller, Simulator

HOSTILE = "HOSTILE-1"

# argv: own address, victim devId. Prints {"listening": true}, then {"fired": [ports...]} once it has sent its replies
# (after a line on standard input), then {"done": true} when standard input closes. Reads at most 2 KiB a datagram.
PEER = r"""
import json, select, socket, sys, time
ip, victim = sys.argv[1], sys.argv[2]
announce = {"ops": "iAmVeranto", "devId": "HOSTILE-1", "name": "Hostile", "ip": ip, "port": "9990",
            "chNumRx": "2", "chNumTx": "2", "ucastNumRx": "1", "ucastNumTx": "1", "mcastNumRx": "1",
            "mcastNumTx": "1", "sampleRate": "48000", "sampleByteNum": "3", "pFrameNum": "48", "dscp": "34",
            "delayUs": "1000", "myClkId": "00-1D-C1-FF-FE-00-00-7F", "gmClkId": "00-1D-C1-FF-FE-00-00-7F",
            "model": "MRD-A16", "phyChNumRx": "2", "phyChNumTx": "2", "canWork": "1"}
forged = [
    {"ops": "setDevName", "devId": victim, "name": "Pwned", "result": "succ"},
    {"ops": "getLock", "uiTag": "dspUiTag", "devId": victim, "val": "0x0"},
    {"ops": "getVolumeDb", "cookie": "0", "devId": victim, "val": "-99"},
    {"ops": "setIp", "devId": victim, "result": "succ"},
    {"ops": "reboot", "devId": victim, "result": "succ"},
]
for msg in forged:
    msg["forged"] = "1"  # marks what the peer sent among the devices' own replies
tx = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
tx.bind((ip, 0))
tx.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(ip))
tx.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 1)
cmd = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
cmd.bind((ip, 9990))
print(json.dumps({"listening": True}), flush=True)
controller = None
next_announce = 0.0
while True:
    now = time.monotonic()
    if now >= next_announce:
        tx.sendto(json.dumps(announce).encode(), ("239.0.0.188", 9996))
        next_announce = now + 1.0
    ready, _, _ = select.select([cmd, sys.stdin], [], [], max(0.01, next_announce - now))
    if cmd in ready:
        _data, src = cmd.recvfrom(2048)
        controller = controller or src
    if sys.stdin in ready:
        if not sys.stdin.readline():
            break
        if controller is None:
            print(json.dumps({"fired": None}), flush=True)
            continue
        for msg in forged:
            cmd.sendto(json.dumps(msg).encode(), controller)  # from the peer's own command port
        # The same from a port no device answers from: dropped however it is named.
        tx.sendto(json.dumps({"ops": "setDevName", "devId": victim, "name": "Pwned2"}).encode(), controller)
        print(json.dumps({"fired": list(controller)}), flush=True)
print(json.dumps({"done": True}), flush=True)
"""


def messages(events):
    return [e["msg"] for e in events if e.get("event") == "message" and isinstance(e.get("msg"), dict)]


class HostileRepliesTest(e2etest.E2ETestCase):
    def test_forged_replies_change_nothing_of_another_device(self):
        net = netns.SimNet(3)
        self.addCleanup(net.close)
        net.open()
        sim_ips, peer_ip = net.device_ips[:2], net.device_ips[2]
        sim = Simulator(types.SimpleNamespace(device_ips=sim_ips, popen=net.popen), self.sim_path)
        self.addCleanup(sim.quit)
        victim = next(dev_id for dev_id, d in sim.dump().items() if d["ip"] == sim_ips[0])

        peer = net.popen("dev", [sys.executable, "-c", PEER, peer_ip, victim], stdin=subprocess.PIPE,
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.addCleanup(peer.kill)
        first = peer.stdout.readline()
        if not first:
            self.fail("the peer ended: %s" % peer.stderr.read())
        self.assertEqual(json.loads(first), {"listening": True})
        watch = Controller(net, self.ctl_path).start("watch", seconds=12)
        listed = lambda evs: {e.get("devId") for e in evs if e.get("event") == "addDev"} >= {victim, HOSTILE}
        self.assertTrue(watch.wait_for(listed, 6), "both devices listed: %s" % watch.stderr())
        time.sleep(1.0)  # the peer has had table requests by now

        fired_at = time.monotonic()
        peer.stdin.write("go\n")
        peer.stdin.flush()
        fired = json.loads(peer.stdout.readline())
        self.assertTrue(fired.get("fired"), "the peer never learnt the controller's port")

        renamed = lambda evs: any(m.get("ops") == "setDevName" for m in messages(evs))
        self.assertTrue(watch.wait_for(renamed, 3), "the forged rename never reached the controller")
        time.sleep(2.0)  # a setIp that were honoured would remove the device at the next 20 ms step
        after = watch.events(since=fired_at)
        peer.stdin.close()
        self.assertEqual(watch.finish(20), 0, watch.stderr())

        got = [m for m in messages(after) if m.get("forged") == "1"]
        self.assertEqual([m for m in got if m.get("devId") != HOSTILE], [], "only the peer's own device speaks")
        by_ops = {m.get("ops"): m for m in got}
        for ops in ("setDevName", "getLock", "getVolumeDb"):
            with self.subTest(ops=ops):
                self.assertIn(ops, by_ops, "emitted as the peer's own reply: %s" % got)
        self.assertNotIn("Pwned2", json.dumps(messages(after)), "a reply from a port no device answers from is dropped")
        for ops in ("setIp", "reboot"):
            self.assertNotIn(ops, [m.get("ops") for m in got], "unsolicited %s reached no window" % ops)
        removed = [e for e in watch.events(since=fired_at) if e.get("event") == "delDev"]
        self.assertEqual(removed, [], "no device removed by unsolicited replies")
        print("hostile peer: %d forged replies sent from %s, %d emitted as %s, none as %s, no device removed"
              % (6, peer_ip, len(by_ops), HOSTILE, victim), flush=True)


if __name__ == "__main__":
    e2etest.main()
