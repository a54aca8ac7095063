"""The namespace harness itself: addresses, traffic across the veth in both directions, containment, and that
nothing is left behind, also when the harness is killed."""

import json
import os
import signal
import subprocess
import sys
import time
import unittest

import e2etest
import netns
from programs import LineReader

HERE = os.path.dirname(os.path.abspath(__file__))
PROBE = os.path.join(HERE, "udp_probe.py")


def host_links():
    """The harness's own link names as the host sees them (other programs may add links meanwhile)."""
    out = subprocess.run(["ip", "-j", "link", "show"], stdout=subprocess.PIPE, check=True).stdout
    return sorted(link["ifname"] for link in json.loads(out) if link["ifname"] in (netns.CTL_VETH, netns.DEV_VETH))


class Receiver:
    """udp_probe.py recv inside a namespace, started and known to be listening."""

    def __init__(self, net, side, *args):
        self.proc = net.popen(side, [sys.executable, PROBE, "recv"] + list(args), stdout=subprocess.PIPE)
        self.reader = LineReader(self.proc.stdout)
        first = self.reader.readline(5)
        if first is None or json.loads(first) != {"listening": True}:
            raise AssertionError("the probe receiver did not start: %r" % first)

    def received(self, timeout=5):
        """Every datagram until the receiver ends (count reached or its timeout)."""
        out = []
        deadline = time.monotonic() + timeout
        try:
            while True:
                line = self.reader.readline(max(0.0, deadline - time.monotonic()))
                if line is None:
                    break
                out.append(json.loads(line))
        except EOFError:
            pass
        return out


def send(net, side, *args):
    res = net.run(side, [sys.executable, PROBE, "send"] + list(args), timeout=10)
    return json.loads(res.stdout)


class NamespaceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.net = netns.SimNet(5)
        cls.addClassCleanup(cls.net.close)
        cls.net.open()

    def test_addresses(self):
        ctl = self.net.addresses("ctl")
        dev = self.net.addresses("dev")
        # The controller chooses its address by itself only when exactly one non-loopback address exists.
        self.assertEqual({k: v for k, v in ctl.items() if k != "lo"}, {netns.CTL_VETH: [self.net.ctl_ip]})
        self.assertEqual({k: v for k, v in dev.items() if k != "lo"}, {netns.DEV_VETH: self.net.device_ips})
        self.assertEqual(ctl["lo"], ["127.0.0.1"])
        self.assertEqual(self.net.device_ips, ["10.77.0.%d" % h for h in range(11, 16)])
        self.assertEqual(host_links(), [], "the namespaces' links must not appear on the host")

    def test_device_multicast_reaches_controller_with_device_source(self):
        rx = Receiver(self.net, "ctl", "--port", "9996", "--group", "239.0.0.188", "--iface-ip", self.net.ctl_ip,
                      "--count", "2", "--timeout", "5")
        for ip in self.net.device_ips[1], self.net.device_ips[4]:
            self.assertEqual(send(self.net, "dev", "--port", "9996", "--dst", "239.0.0.188", "--src-ip", ip,
                                  "--data", "from " + ip), {"sent": len("from " + ip)})
        got = rx.received()
        self.assertEqual([(g["src"], g["data"]) for g in got],
                         [(ip, "from " + ip) for ip in (self.net.device_ips[1], self.net.device_ips[4])])

    def test_sap_multicast_reaches_controller(self):
        rx = Receiver(self.net, "ctl", "--port", "9875", "--group", "239.255.255.255", "--iface-ip", self.net.ctl_ip)
        send(self.net, "dev", "--port", "9875", "--dst", "239.255.255.255", "--src-ip", self.net.device_ips[0])
        self.assertEqual([g["src"] for g in rx.received()], [self.net.device_ips[0]])

    def test_controller_multicast_reaches_devices(self):
        rx = Receiver(self.net, "dev", "--port", "9996", "--group", "239.0.0.189", "--iface-ip", self.net.device_ips[2])
        send(self.net, "ctl", "--port", "9996", "--dst", "239.0.0.189", "--src-ip", self.net.ctl_ip)
        self.assertEqual([g["src"] for g in rx.received()], [self.net.ctl_ip])

    def test_unicast_reply_path(self):
        rx = Receiver(self.net, "dev", "--port", "9990")
        send(self.net, "ctl", "--port", "9990", "--dst", self.net.device_ips[3], "--src-ip", self.net.ctl_ip)
        self.assertEqual([g["src"] for g in rx.received()], [self.net.ctl_ip])
        rx = Receiver(self.net, "ctl", "--port", "40000")
        send(self.net, "dev", "--port", "40000", "--dst", self.net.ctl_ip, "--src-ip", self.net.device_ips[3])
        self.assertEqual([g["src"] for g in rx.received()], [self.net.device_ips[3]])

    def test_limited_broadcast_from_unbound_socket(self):
        rx = Receiver(self.net, "dev", "--port", "9994")
        self.assertEqual(send(self.net, "ctl", "--port", "9994", "--dst", "255.255.255.255", "--broadcast",
                              "--data", "setIp"), {"sent": 5})
        self.assertEqual([g["src"] for g in rx.received()], [self.net.ctl_ip])

    def test_nothing_routes_out_of_the_namespaces(self):
        # Only the veth subnet is routable: an address elsewhere fails at the route look-up, before any packet.
        self.assertEqual(send(self.net, "ctl", "--port", "9", "--dst", "192.0.2.1"), {"error": "ENETUNREACH"})
        self.assertEqual(send(self.net, "dev", "--port", "9", "--dst", "192.0.2.1"), {"error": "ENETUNREACH"})


class RoutedSubnetTest(unittest.TestCase):
    def test_devices_in_another_subnet_are_reachable(self):
        with netns.SimNet(device_ips=["10.78.5.21", "10.78.5.22"]) as net:
            self.assertEqual(net.addresses("ctl")[netns.CTL_VETH], ["10.77.0.1"])
            rx = Receiver(net, "dev", "--port", "9990")
            send(net, "ctl", "--port", "9990", "--dst", "10.78.5.22")
            self.assertEqual([g["src"] for g in rx.received()], ["10.77.0.1"])
            rx = Receiver(net, "ctl", "--port", "9996", "--group", "239.0.0.188", "--iface-ip", net.ctl_ip)
            send(net, "dev", "--port", "9996", "--dst", "239.0.0.188", "--src-ip", "10.78.5.21")
            self.assertEqual([g["src"] for g in rx.received()], ["10.78.5.21"])

    def test_unusable_addresses_refused(self):
        for ips in (["10.77.0.1"], ["10.78.5.300"], ["10.78.5.2", "10.78.5.2"], []):
            with self.subTest(ips=ips), self.assertRaises(ValueError):
                netns.SimNet(device_ips=ips)


class TeardownTest(unittest.TestCase):
    def test_close_ends_every_process_and_namespace(self):
        net = netns.SimNet(3)
        with net:
            net.popen("ctl", ["sleep", "300"])
            net.popen("dev", ["sleep", "300"])
            pids = net.all_pids()
            ns_ids = list(net.namespace_ids().values())
            self.assertEqual(len(pids), 4)
            self.assertEqual(len(netns.processes_in_namespaces(ns_ids)), 4)
        self.assertEqual(netns.pids_alive(pids), [])
        self.assertEqual(netns.processes_in_namespaces(ns_ids), [])
        self.assertEqual(host_links(), [])

    def test_sigkilled_harness_leaves_nothing(self):
        script = (
            "import json, sys, time\n"
            "sys.path.insert(0, %r)\n"
            "import netns\n"
            "net = netns.SimNet(4)\n"
            "net.open()\n"
            "net.popen('ctl', ['sleep', '300'])\n"
            "net.popen('dev', ['sleep', '300'])\n"
            "print(json.dumps({'pids': net.all_pids(), 'ns': list(net.namespace_ids().values())}), flush=True)\n"
            "time.sleep(300)\n" % HERE
        )
        child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE)
        try:
            line = LineReader(child.stdout).readline(10)
            self.assertIsNotNone(line, "the harness child did not start")
            info = json.loads(line)
            self.assertEqual(len(netns.pids_alive(info["pids"])), 4)
        finally:
            os.kill(child.pid, signal.SIGKILL)
            child.wait()
            child.stdout.close()
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and (netns.pids_alive(info["pids"])
                                               or netns.processes_in_namespaces(info["ns"])):
            time.sleep(0.05)
        self.assertEqual(netns.pids_alive(info["pids"]), [])
        self.assertEqual(netns.processes_in_namespaces(info["ns"]), [])
        self.assertEqual(host_links(), [])


if __name__ == "__main__":
    e2etest.main(need_sim=False, need_ctl=False)
