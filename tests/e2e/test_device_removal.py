"""A device that stops announcing is removed once its life runs out, exactly once and alone, and is added again
when it comes back."""

import time

import e2etest

LIFE_MS = 3000
WATCH_SECONDS = 11
DEVICES_SECONDS = 7


class DeviceRemovalTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        cls.net, cls.sim, cls.ctl = cls.start_network(devices=6)

    def test_silenced_device_removed_then_added_again(self):
        sim_devices = self.sim.dump()
        victim = sorted(sim_devices)[2]
        ids = set(sim_devices)

        watch = self.ctl.start("watch", seconds=WATCH_SECONDS, life_ms=LIFE_MS)
        devices = self.ctl.start("devices", seconds=DEVICES_SECONDS, life_ms=LIFE_MS)

        def added(evs):
            return {e.get("devId") for e in evs if e.get("event") == "addDev"}

        self.assertTrue(watch.wait_for(lambda evs: ids <= added(evs), 5), "not all added: %s" % watch.events())
        t_silence = time.monotonic()
        self.sim.command({"cmd": "silence", "devId": victim})

        gone = watch.wait_for(lambda evs: any(e.get("event") == "delDev" for e in evs), LIFE_MS / 1000 + 3)
        self.assertTrue(gone, "no delDev within %s ms of silence: %s" % (LIFE_MS + 3000, watch.events()))
        removed_after = time.monotonic() - t_silence
        # The last announcement came at most one announcement period before the silence.
        self.assertGreater(removed_after, LIFE_MS / 1000 - 1.5, "removed too early")

        # The `devices` run must end while the device is away.
        self.assertEqual(devices.finish(DEVICES_SECONDS + 10), 0, devices.stderr())
        t_resume = time.monotonic()
        self.sim.command({"cmd": "resume", "devId": victim})
        back = watch.wait_for(lambda evs: victim in added(watch.events(t_resume)), 4)
        self.assertTrue(back, "the device did not come back: %s" % watch.events(t_resume))

        self.assertEqual(watch.finish(WATCH_SECONDS + 10), 0, watch.stderr())
        events = watch.events()
        dels = [e for e in events if e.get("event") == "delDev"]
        self.assertEqual([e.get("devId") for e in dels], [victim], "exactly one delDev, for the silenced device")
        self.assertEqual(dels[0].get("ip"), sim_devices[victim]["ip"])
        self.assertEqual(dels[0].get("name"), sim_devices[victim]["name"])
        adds = [e.get("devId") for e in events if e.get("event") == "addDev"]
        self.assertEqual(sorted(adds), sorted(list(ids) + [victim]))

        # The `devices` run ended after the removal and before the return.
        listed = {d["devId"] for d in devices.result().json()}
        self.assertEqual(listed, ids - {victim})


if __name__ == "__main__":
    e2etest.main()
