"""A device that announces itself and never answers costs the controller a few table requests a second: each of
its eight tables is asked once, then again after a wait that doubles up to 5 s, instead of at every 20 ms step.

The peer is a small Python program in the devices' namespace, not controller code: it announces one device every
second and records, without answering, every datagram that reaches the device's command port for a minute."""

import json
import subprocess
import sys
import time

import e2etest
import netns
from programs import Controller

WINDOW_S = 60
TABLE_OPS = ("getAllRxCh", "getAllRtpCh", "getAllUcastRx", "getAllUcastTx", "getAllMcastRx", "getAllMcastTx",
             "getAllActiveUcastId", "getAllActiveMcastId")
FIRST_DELAY_S = 0.2
MAX_DELAY_S = 5.0

# The silent device: announces every second, reads its command port, answers nothing. One JSON line per datagram
# received ({"t": seconds since start, "ops": ...}), then {"done": true}. Datagrams are read bounded (2 KiB each).
PEER = r"""
import json, socket, sys, time
ip, seconds = sys.argv[1], float(sys.argv[2])
announce = {"ops": "iAmVeranto", "devId": "SILENT-1", "name": "Silent", "ip": ip, "port": "9990",
            "chNumRx": "16", "chNumTx": "16", "ucastNumRx": "4", "ucastNumTx": "4", "mcastNumRx": "4",
            "mcastNumTx": "4", "sampleRate": "48000", "sampleByteNum": "3", "pFrameNum": "48", "dscp": "34",
            "delayUs": "1000", "myClkId": "00-1D-C1-FF-FE-00-00-0B", "gmClkId": "00-1D-C1-FF-FE-00-00-0A",
            "model": "MRD-A16", "phyChNumRx": "16", "phyChNumTx": "16", "canWork": "1"}
tx = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
tx.bind((ip, 0))
tx.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(ip))
tx.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 1)
rx = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
rx.bind((ip, 9990))
print(json.dumps({"listening": True}), flush=True)
start = time.monotonic()
next_announce = start
while True:
    now = time.monotonic()
    if now - start >= seconds:
        break
    if now >= next_announce:
        tx.sendto(json.dumps(announce).encode(), ("239.0.0.188", 9996))
        next_announce += 1.0
    rx.settimeout(max(0.001, min(next_announce, start + seconds) - now))
    try:
        data, _src = rx.recvfrom(2048)
    except socket.timeout:
        continue
    try:
        ops = json.loads(data.decode(errors="replace")).get("ops", "")
    except (ValueError, AttributeError):
        ops = ""
    print(json.dumps({"t": round(time.monotonic() - start, 3), "ops": str(ops)[:64]}), flush=True)
print(json.dumps({"done": True}), flush=True)
"""


def table_bound(window_s):
    """Most requests the repeat rule allows for one table in window_s: the first, repeats after 0.2, 0.4, ... s
    until the wait reaches 5 s, then one every 5 s."""
    n, t, wait = 1, 0.0, FIRST_DELAY_S
    while t + wait <= window_s:
        t += wait
        n += 1
        wait = min(wait * 2, MAX_DELAY_S)
    return n


class HostileTablesTest(e2etest.E2ETestCase):
    def test_silent_device_costs_a_few_requests_a_second(self):
        net = netns.SimNet(1)
        self.addCleanup(net.close)
        net.open()
        ip = net.device_ips[0]
        peer = net.popen("dev", [sys.executable, "-c", PEER, ip, str(WINDOW_S + 6)],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.assertEqual(json.loads(peer.stdout.readline() or "null"), {"listening": True}, "the peer did not start")
        watch = Controller(net, self.ctl_path).start("watch", seconds=WINDOW_S + 2)
        # The controller ends first, so no request of it meets a closed port.
        self.assertEqual(watch.finish(WINDOW_S + 15), 0, watch.stderr())
        lines = [json.loads(line) for line in peer.stdout]
        peer.wait(10)
        self.assertEqual(lines[-1:], [{"done": True}], "the peer did not finish")
        self.assertIn({"event": "addDev", "devId": "SILENT-1", "name": "Silent", "ip": ip}, watch.events(),
                      "peer heard %d datagrams; watch stderr: %s" % (len(lines), watch.stderr()[-1500:]))
        requests = [r for r in lines[:-1] if r["ops"] in TABLE_OPS]
        self.assertTrue(requests, "no table request reached the device")
        first = requests[0]["t"]
        window = [r for r in requests if r["t"] < first + WINDOW_S]
        n = len(window)
        print("silent device: N = %d table requests in %d s (%.2f/s); unpaced the controller sent about 400/s"
              % (n, WINDOW_S, n / WINDOW_S), flush=True)

        per_table = {ops: [r["t"] for r in window if r["ops"] == ops] for ops in TABLE_OPS}
        for ops, times in per_table.items():
            with self.subTest(table=ops):
                self.assertGreaterEqual(len(times), 2, "asked and asked again")
                # The timer steps of 20 ms and the scheduler may shift a send by a few steps; never by a wait.
                self.assertLessEqual(len(times), table_bound(WINDOW_S) + 1, times)
                gaps = [b - a for a, b in zip(times, times[1:])]
                self.assertGreaterEqual(min(gaps), FIRST_DELAY_S - 0.05, "repeated before its wait: %s" % times)
                self.assertLessEqual(max(gaps), MAX_DELAY_S + 1.0, "waited past the ceiling: %s" % times)
        self.assertLessEqual(n, len(TABLE_OPS) * (table_bound(WINDOW_S) + 1))
        late = [r for r in window if r["t"] >= first + WINDOW_S / 2]
        self.assertLessEqual(len(late) / (WINDOW_S / 2), len(TABLE_OPS) / MAX_DELAY_S * 1.5,
                             "the steady rate stays near eight tables every 5 s")


if __name__ == "__main__":
    e2etest.main(need_sim=False)
