"""The controller refuses, at once and clearly, an address that no interface of its host carries and arguments it
cannot use; with a good address and no device it succeeds with an empty list."""


import e2etest
import netns
from programs import Controller


class BadAddressTest(e2etest.E2ETestCase):
    @classmethod
    def setUpClass(cls):
        # No simulator: the controller's namespace is all that matters here.
        cls.net = netns.SimNet(2)
        cls.addClassCleanup(cls.net.close)
        cls.net.open()
        cls.ctl = Controller(cls.net, cls.ctl_path)

    def assert_refused(self, res, needle=None):
        self.assertEqual(res.returncode, 2, "exit %s; stderr: %s" % (res.returncode, res.stderr))
        self.assertEqual(res.stdout.strip(), "", "nothing may be printed as a result")
        err = res.stderr.strip()
        self.assertTrue(err, "no message on standard error")
        if needle:
            self.assertIn(needle, err)
        # Refused before listening, not after the listening time.
        self.assertLess(res.seconds, 3.0)

    def test_address_on_no_interface(self):
        for command in ("devices", "streams", "watch"):
            with self.subTest(command=command):
                self.assert_refused(self.ctl.run(command, seconds=5, ip="10.99.99.99"), "10.99.99.99")

    def test_address_of_another_namespace(self):
        # The devices' addresses exist, but not on the controller's host.
        self.assert_refused(self.ctl.run("devices", seconds=5, ip=self.net.device_ips[0]), self.net.device_ips[0])

    def test_bad_arguments(self):
        self.assert_refused(self.ctl.run("devices", seconds=5, ip="10.77.0.300"))
        self.assert_refused(self.ctl.run("frobnicate", seconds=1))

    def test_good_address_without_devices(self):
        res = self.ctl.run("devices", seconds=1)
        self.assertEqual(res.returncode, 0, res.stderr)
        self.assertEqual(res.json(), [])
        res = self.ctl.run("streams", seconds=1)
        self.assertEqual(res.returncode, 0, res.stderr)
        self.assertEqual(res.json(), [])


if __name__ == "__main__":
    e2etest.main(need_sim=False)
