"""Clock events: stored per device (ptpState, ppm) and forwarded as "clockEvent" messages naming the sender."""

import signal
import time

import e2etest

DEVICES_SECONDS = 6
WATCH_SECONDS = DEVICES_SECONDS + 1  # outlasts the devices run, so it sees every event that run stored


class ClockEventsTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        cls.net, cls.sim, cls.ctl = cls.start_network(devices=12)
        cls.sim_devices = cls.sim.dump()
        watch = cls.ctl.start("watch", seconds=WATCH_SECONDS)
        devices = cls.ctl.start("devices", seconds=DEVICES_SECONDS)
        cls.devices_rc = devices.finish(DEVICES_SECONDS + 15)
        cls.watch_rc = watch.finish(WATCH_SECONDS + 15)
        cls.devices_run = devices
        cls.watch = watch
        cls.messages = [e["msg"] for e in watch.events() if e.get("event") == "message"]
        cls.clock = [m for m in cls.messages if isinstance(m, dict) and "event" in m]

    def test_runs_succeed(self):
        self.assertEqual(self.devices_rc, 0, self.devices_run.stderr())
        self.assertEqual(self.watch_rc, 0, self.watch.stderr())

    def test_forwarded_messages_name_the_sender(self):
        self.assertGreater(len(self.clock), 0, "no clock event forwarded")
        for msg in self.clock:
            self.assertEqual(msg.get("ops"), "clockEvent", msg)
            self.assertIn(msg.get("remoteIp"), self.net.device_ips, msg)
            self.assertIn(msg.get("event"), ("masterOffset", "adjustFreq"), msg)
            if msg["event"] == "masterOffset":
                # Members the registry does not read travel on unchanged.
                self.assertIn("offset", msg)
                self.assertIn("state", msg)
            else:
                self.assertIn("ppm", msg)

    def test_every_clock_follower_reports(self):
        senders = {m["remoteIp"] for m in self.clock}
        for dev in self.sim_devices.values():
            follower = dev["myClkId"] != dev["gmClkId"]
            if follower:
                kinds = {m["event"] for m in self.clock if m["remoteIp"] == dev["ip"]}
                self.assertEqual(kinds, {"masterOffset", "adjustFreq"}, dev["devId"])
        self.assertTrue(senders, "no device sent clock events")

    def test_stored_state_and_ppm_follow_the_events(self):
        ctl_devices = {d["devId"]: d for d in self.devices_run.result().json()}
        self.assertEqual(sorted(ctl_devices), sorted(self.sim_devices))
        for dev in ctl_devices.values():
            mine = [m for m in self.clock if m["remoteIp"] == dev["ip"]]
            states = {int(m["state"]) for m in mine if m["event"] == "masterOffset"}
            ppms = {int(m["ppm"]) for m in mine if m["event"] == "adjustFreq"}
            if states:
                self.assertIn(dev["ptpState"], states, dev["devId"])
            else:
                self.assertEqual(dev["ptpState"], 0, dev["devId"])
            if ppms:
                self.assertIn(dev["ppm"], ppms, dev["devId"])
            else:
                self.assertEqual(dev["ppm"], 0, dev["devId"])
        locked = [d for d in ctl_devices.values() if d["ptpState"] == 2]
        self.assertGreater(len(locked), 0, "no device stored as locked")

    def test_watch_without_time_limit_ends_cleanly_on_signals(self):
        for signum in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=signum):
                watch = self.ctl.start("watch")
                got = watch.wait_for(lambda evs: any(e.get("event") == "message" for e in evs), 5)
                self.assertTrue(got, "no message within 5 s: %s" % watch.stderr())
                watch.proc.send_signal(signum)
                t0 = time.monotonic()
                self.assertEqual(watch.finish(5), 0, watch.stderr())
                self.assertLess(time.monotonic() - t0, 3)
                # Every line printed before the signal is whole.
                self.assertTrue(all(isinstance(e, dict) for e in watch.events()))


if __name__ == "__main__":
    e2etest.main()
