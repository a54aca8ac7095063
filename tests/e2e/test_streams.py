"""Multicast streams learnt from SAP in a described network with varied formats: names byte for byte, channel
counts, sample sizes and rates, packet times that are not whole milliseconds."""

import json
import os
import tempfile

import e2etest
import expect

# Formats chosen to catch a fixed or wrongly derived SDP field on either side.
SENDERS = [
    # (sampleRate, sampleByteNum, pFrameNum, streams [(name, group, port, channels)])
    (48000, 3, 48, [("Stage Left \u2013 Main", "239.69.1.1", 5004, [0, 1]),
                    ("Booth 8ch", "239.69.1.2", 5006, [0, 1, 2, 3, 4, 5, 6, 7])]),
    (48000, 2, 6, [("Lectern", "239.69.2.1", 5004, [3])]),
    (96000, 4, 96, [("Hi-Res Bus", "239.69.3.7", 5008, [0, 1, 2, 3])]),
]


def device(index, ip, rate, byte_num, frames, streams, mcast_rx):
    return {
        "name": "STREAM-%02d" % (index + 1),
        "devId": "MDSTREAM%02d" % (index + 1),
        "model": "MRD-A16",
        "ip": ip,
        "chNumRx": 8, "chNumTx": 8, "phyChNumRx": 8, "phyChNumTx": 8,
        "ucastNumRx": 4, "ucastNumTx": 4, "mcastNumRx": 4, "mcastNumTx": 4,
        "sampleRate": rate, "sampleByteNum": byte_num, "pFrameNum": frames,
        "dscp": 34, "delayUs": 1000, "canWork": 1,
        "myClkId": "00-1D-C1-FF-FE-5E-00-%02X" % (index + 1),
        "routes": [],
        "mcastTx": [{"name": n, "dstIp": g, "dstPort": p, "channels": ch} for n, g, p, ch in streams],
        "mcastRx": mcast_rx,
    }


class StreamsTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        cls.config_dir = tempfile.TemporaryDirectory(prefix="meridane-e2e-")
        cls.addClassCleanup(cls.config_dir.cleanup)
        # A subnet of their own, routed across the veth, unlike the other tests' devices.
        ips = ["10.78.5.%d" % (21 + i) for i in range(len(SENDERS) + 1)]
        devices = [device(i, ips[i], *SENDERS[i], []) for i in range(len(SENDERS))]
        devices.append(device(len(SENDERS), ips[-1], 48000, 3, 48, [],
                              [{"dstIp": "239.69.1.1", "rxChannels": [0, 1]},
                               {"dstIp": "239.69.2.1", "rxChannels": [5]}]))
        cls.config_path = os.path.join(cls.config_dir.name, "streams.json")
        with open(cls.config_path, "w", encoding="utf-8") as f:
            json.dump({"devices": devices}, f, ensure_ascii=False)
        cls.devices_config = devices
        cls.net, cls.sim, cls.ctl = cls.start_network(config=cls.config_path)
        res = cls.ctl.run("streams", seconds=3)
        cls.streams_result = res
        cls.sim_devices = cls.sim.dump()

    def test_streams_as_described(self):
        res = self.streams_result
        self.assertEqual(res.returncode, 0, res.stderr)
        gm = self.devices_config[0]["myClkId"]
        want = {}
        for (rate, byte_num, frames, streams), dev in zip(SENDERS, self.devices_config):
            for name, group, port, channels in streams:
                want[group] = {
                    "name": name + "\r", "srcIp": dev["ip"], "dstIp": group, "dstPort": port, "chNum": len(channels),
                    "sampleByteNum": byte_num, "sampleRate": rate, "frames": frames, "ptpClockId": gm,
                    "rtpTsOffset": None,
                }
        got = res.json()
        # The offset is the sender's own choice; take it from the simulator's tables.
        sim_offsets = {k: v["rtpTsOffset"] for k, v in expect.expected_streams(self.sim_devices).items()}
        for group in want:
            want[group]["rtpTsOffset"] = sim_offsets.get(group)
        self.assertEqual(expect.stream_diffs(got, want), [])

    def test_streams_match_simulator_tables(self):
        self.assertEqual(expect.stream_diffs(self.streams_result.json(), expect.expected_streams(self.sim_devices)), [])

    def test_receivers_and_senders_tables(self):
        res = self.ctl.run("devices", seconds=3)
        self.assertEqual(res.returncode, 0, res.stderr)
        ctl_devices = {d["devId"]: d for d in res.json()}
        diffs = []
        for dev_id, sim_dev in self.sim_devices.items():
            if dev_id not in ctl_devices:
                diffs.append("%s not listed" % dev_id)
                continue
            diffs += expect.device_diffs(ctl_devices[dev_id], sim_dev)
        self.assertEqual(diffs, [])
        receiver = self.sim_devices[self.devices_config[-1]["devId"]]
        groups = sorted(e["sdp"]["dstIp"] for e in receiver["tables"].get("mcastRx", []))
        self.assertEqual(groups, ["239.69.1.1", "239.69.2.1"])


if __name__ == "__main__":
    e2etest.main()
