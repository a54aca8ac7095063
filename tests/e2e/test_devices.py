"""Discovery over real sockets: every simulated device is listed with its announcement and complete tables, and
the multicast streams announced by SAP are listed as the devices describe them."""


import e2etest
import expect


class DiscoveryTest(e2etest.E2ETestCase):
    DEVICES = 12
    SIM_ARGS = ()

    @classmethod
    def setUpClass(cls):
        cls.net, cls.sim, cls.ctl = cls.start_network(devices=cls.DEVICES, sim_args=cls.SIM_ARGS)
        cls.ctl_devices = cls.ctl.devices(seconds=5)
        cls.sim_devices = cls.sim.dump()

    def test_every_device_listed_once_at_its_address(self):
        self.assertEqual(len(self.sim_devices), self.DEVICES, "the simulator should run one device per address")
        self.assertEqual(sorted(self.ctl_devices), sorted(self.sim_devices))
        self.assertEqual(sorted(d["ip"] for d in self.ctl_devices.values()), sorted(self.net.device_ips))

    def test_announcement_fields_and_tables_match_the_devices(self):
        diffs = []
        for dev_id, sim_dev in self.sim_devices.items():
            ctl_dev = self.ctl_devices.get(dev_id)
            if ctl_dev is None:
                diffs.append("%s not listed" % dev_id)
                continue
            missing = [k for k in expect.CONTROLLER_FIELDS if k not in ctl_dev]
            if missing:
                diffs.append("%s lacks %s" % (dev_id, missing))
            diffs += expect.device_diffs(ctl_dev, sim_dev)
        self.assertEqual(diffs, [])

    def test_tables_complete(self):
        diffs = []
        for ctl_dev in self.ctl_devices.values():
            diffs += expect.completeness_diffs(ctl_dev)
        self.assertEqual(diffs, [])

    def test_routes_present_in_the_network(self):
        # The comparison above is only as strong as the network is rich: it must hold routes and streams.
        tables = [d["tables"] for d in self.ctl_devices.values()]
        self.assertGreaterEqual(sum(len(t.get("rxCh", [])) for t in tables), (self.DEVICES - 1) * 2)
        self.assertGreaterEqual(sum(len(t.get("ucastRx", [])) for t in tables), self.DEVICES - 1)
        self.assertGreaterEqual(sum(len(t.get("mcastTx", [])) for t in tables), 1)
        self.assertGreaterEqual(sum(len(t.get("mcastRx", [])) for t in tables), 1)

    def test_fresh_announcement_life(self):
        for dev in self.ctl_devices.values():
            # Announced about every second, so the remaining life is close to the full 120 s.
            self.assertTrue(115000 <= dev["lifeMs"] <= 120000, "%s lifeMs %r" % (dev["devId"], dev["lifeMs"]))

    def test_streams_from_sap(self):
        want = expect.expected_streams(self.sim_devices)
        self.assertGreaterEqual(len(want), 1)
        res = self.ctl.run("streams", seconds=3)
        self.assertEqual(res.returncode, 0, res.stderr)
        self.assertEqual(expect.stream_diffs(res.json(), want), [])


class OddPageDiscoveryTest(DiscoveryTest):
    """Pages that end inside the tables: no page boundary may lose or shift an entry."""

    DEVICES = 4
    SIM_ARGS = ("--page-size", "3")
    test_streams_from_sap = None  # SAP has no pages


if __name__ == "__main__":
    e2etest.main()
