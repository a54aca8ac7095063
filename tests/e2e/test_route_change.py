"""A route change that a device notifies is fetched again: the controller's tables follow the device's, and
`watch` reports the refreshed routes after each change."""

import time

import e2etest
import expect

RUN_SECONDS = 10


def rx_route(sim_dev, rx_ch):
    """(srcDevId, srcChId) feeding rx_ch on the device, or None."""
    tables = sim_dev.get("tables", {})
    rtp_id = next((e["rtpChId"] for e in tables.get("rxCh", []) if e["id"] == rx_ch), None)
    if rtp_id is None:
        return None
    rtp = next((e for e in tables.get("rtpCh", []) if e["id"] == rtp_id), None)
    return (rtp["srcDevId"], rtp["srcChId"]) if rtp else ("?", "?")


class RouteChangeTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        cls.net, cls.sim, cls.ctl = cls.start_network(devices=12)

    def _wait_update_after(self, watch, since, what):
        ok = watch.wait_for(lambda evs: any(e.get("event") == "updateRoute" for e in watch.events(since)), 4)
        self.assertTrue(ok, "no updateRoute reported after %s; watch so far: %s" % (what, watch.events()))

    def test_route_and_unroute_are_fetched_again(self):
        before = self.sim.dump()
        order = sorted(before.values(), key=lambda d: [int(p) for p in d["ip"].split(".")])
        source, target, chained = order[0], order[5], order[2]
        new_rx = target["chNumRx"] - 1
        new_src_ch = 5
        self.assertIsNone(rx_route(target, new_rx), "pick a receive channel that is free")
        old_rx = min(e["id"] for e in chained["tables"]["rxCh"])

        watch = self.ctl.start("watch", seconds=RUN_SECONDS)
        devices = self.ctl.start("devices", seconds=RUN_SECONDS)
        ids = set(before)
        listed = watch.wait_for(lambda evs: ids <= {e.get("devId") for e in evs if e.get("event") == "addDev"}, 5)
        self.assertTrue(listed, "not every device added: %s" % watch.events())
        # Let the first fetch of every table finish before changing anything.
        time.sleep(1.5)

        t_route = time.monotonic()
        self.sim.command({"cmd": "route", "devId": target["devId"], "rxCh": new_rx,
                          "srcDevId": source["devId"], "srcCh": new_src_ch})
        self._wait_update_after(watch, t_route, "the route")

        t_unroute = time.monotonic()
        self.sim.command({"cmd": "unroute", "devId": chained["devId"], "rxCh": old_rx})
        self._wait_update_after(watch, t_unroute, "the unroute")
        after = self.sim.dump()

        # The simulator itself must show both changes, or the comparison below proves nothing.
        self.assertEqual(rx_route(after[target["devId"]], new_rx), (source["devId"], new_src_ch))
        self.assertIsNone(rx_route(after[chained["devId"]], old_rx))
        self.assertEqual(watch.finish(RUN_SECONDS + 10), 0, watch.stderr())
        self.assertEqual(devices.finish(RUN_SECONDS + 10), 0, devices.stderr())
        ctl_devices = {d["devId"]: d for d in devices.result().json()}

        diffs = []
        for dev_id, sim_dev in after.items():
            ctl_dev = ctl_devices.get(dev_id)
            if ctl_dev is None:
                diffs.append("%s not listed" % dev_id)
                continue
            diffs += expect.completeness_diffs(ctl_dev)
            diffs += expect.device_diffs(ctl_dev, sim_dev, tables=expect.RX_TABLES)
            # Transmit tables are fetched once; a receiver's notification need not refresh its senders' tables.
            for table in expect.TX_TABLES:
                got = ctl_dev["tables"].get(table, [])
                if got not in (before[dev_id]["tables"].get(table, []), sim_dev["tables"].get(table, [])):
                    diffs.append("%s %s matches neither the first nor the last device state: %s" % (dev_id, table, got))
        self.assertEqual(diffs, [])
        self.assertEqual(rx_route(ctl_devices[target["devId"]], new_rx), (source["devId"], new_src_ch))
        self.assertIsNone(rx_route(ctl_devices[chained["devId"]], old_rx))


if __name__ == "__main__":
    e2etest.main()
