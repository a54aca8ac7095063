"""The test page of a device window in the real application (MERIDANE_SCRIPT=1, offscreen) against the simulator:
factory mode through Ctrl+8 and the prompt, the audio configuration text read, edited and found in the simulated
device (refused with a wrong code), a GPIO port read, refused with a 129-character command and saved, and a
screenshot of the page in factory mode.

The session brings codes of its own ("factoryCodes"): the program's real codes appear nowhere.

Usage: python3 test_devtest.py --sim PATH/meridane-sim --app PATH/meridane [--screenshots DIR] [unittest args]
"""

import json
import os
import shutil
import subprocess
import tempfile

import e2etest
import netns
from programs import ScriptedApp, Simulator

MODE2 = "4826"
MODE1 = "3715"
MODE0 = "9051"
CODES = [{"code": MODE2, "grant": "mode2"}, {"code": MODE1, "grant": "mode1"}, {"code": MODE0, "grant": "mode0"}]
FIRMWARE = "3.1.4-20260301"
LISTED_S = 15
REPLY_S = 5


class DevTestPageTest(e2etest.E2ETestCase):
    app_path = None
    shots_dir = None

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="meridane-devtest-")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        argv = [self.sim_path, "--print-config", "--devices", "2", "--first-ip", "10.77.0.11"]
        config = json.loads(subprocess.run(argv, stdout=subprocess.PIPE, check=True, timeout=20).stdout)
        # The configuration edit needs firmware from 3.0.0 on.
        config["devices"][0]["version"] = FIRMWARE
        # The second device keeps its settings locked: its factory reset must never leave the application.
        config["devices"][1]["version"] = FIRMWARE
        config["devices"][1]["lock"] = "0x2"
        config_path = os.path.join(self.tmp, "devices.json")
        with open(config_path, "w", encoding="utf-8") as f:
            json.dump(config, f, ensure_ascii=False)
        self.dev = config["devices"][0]
        self.locked = config["devices"][1]
        self.net = netns.SimNet(device_ips=[d["ip"] for d in config["devices"]])
        self.addCleanup(self.net.close)
        self.net.open()
        self.sim = Simulator(self.net, self.sim_path, config=config_path)
        self.addCleanup(self.sim.quit)
        app_dir = os.path.join(self.tmp, "app")
        os.mkdir(app_dir, 0o700)
        self.app = ScriptedApp(self.net, self.app_path, app_dir)
        self.addCleanup(self.app.stop)
        self.wait(lambda: self.listed_with_version(self.dev) and self.listed_with_version(self.locked), LISTED_S,
                  "the devices listed with their versions")

    # --- helpers ---------------------------------------------------------------------------------------------
    def listed_with_version(self, dev):
        answer = self.app.command({"cmd": "detail", "devId": dev["devId"]})
        return answer.get("ok") and answer["detail"].get("firmwareVersion") == FIRMWARE.split("-")[0]

    def wait(self, probe, timeout, what):
        value = self.app.wait_for(probe, timeout)
        if not value:
            self.fail("%s within %s s\n%s" % (what() if callable(what) else what, timeout, self.app.log()))
        return value

    def find(self, name):
        return self.app.find(name)

    def wait_visible(self, name, timeout=REPLY_S):
        return self.wait(lambda: self.find(name).get("visible") and self.find(name), timeout, "%s visible" % name)

    def click(self, name):
        self.app.ok({"cmd": "click", "object": name})

    def set_text(self, name, text):
        self.app.ok({"cmd": "setText", "object": name, "text": text})

    def now_ms(self):
        return self.app.ok({"cmd": "notices"})["nowMs"]

    def state(self, dev=None):
        return self.sim.state((dev or self.dev)["devId"])

    def requests(self, ops, dev=None):
        return self.state(dev)["requests"].get(ops, 0)

    def answers(self, ops):
        return self.app.ok({"cmd": "messages", "ops": ops, "devId": self.dev["devId"]})["count"]

    def enter_code(self, code):
        self.wait_visible("FactoryCodePrompt")
        self.set_text("code_le", code)
        self.click("FactoryCodePrompt/ok_bt")
        self.wait(lambda: not self.find("FactoryCodePrompt").get("visible"), REPLY_S, "the prompt closed")

    def open_test_page_in_factory_mode(self, dev=None):
        for bad in ([], [{"code": "1"}], [{"code": "", "grant": "mode1"}], [{"code": "1", "grant": "mode9"}]):
            self.assertFalse(self.app.command({"cmd": "factoryCodes", "codes": bad}).get("ok"), bad)
        answer = self.app.ok({"cmd": "factoryCodes", "codes": CODES, "switches": ["CanResetFactory"]})
        self.assertEqual(answer["installed"], len(CODES))
        self.app.ok({"cmd": "open", "devId": (dev or self.dev)["devId"]})
        self.wait_visible("page_bt_test")
        self.click("page_bt_test")
        self.wait_visible("devtest")
        self.assertFalse(self.find("cfgBox").get("visible"), "the editor is hidden in user mode 0")
        self.app.ok({"cmd": "key", "object": "DevWin", "key": "Ctrl+8"})
        self.enter_code(MODE2)
        self.wait_visible("cfgBox")
        self.wait_visible("gpioBox")

    # --- the tests -------------------------------------------------------------------------------------------
    def test_configuration_text_changed_on_the_device(self):
        self.open_test_page_in_factory_mode()
        before = self.state()["cfg"]
        self.assertIn("chNum_dspToNet", before, "the simulated device carries the key")
        self.click("pb_readcfg")
        count = int(before["chNum_dspToNet"])
        self.wait(lambda: self.find("cfg_chNum_dspToNet").get("enabled") and
                  self.find("cfg_chNum_dspToNet").get("value") == count, REPLY_S, "the device's count shown")
        wanted = count + 2 if count <= 254 else count - 2
        self.app.ok({"cmd": "setValue", "object": "cfg_chNum_dspToNet", "value": wanted})

        # A wrong code, and the first set's code, send nothing.
        for code in ("0000", MODE1):
            since = self.now_ms()
            self.click("pb_modifycfg")
            self.enter_code(code)
            self.wait_notice_any(("密码错误!", "Wrong password!"), since)
        self.assertEqual(self.requests("setCfg"), 0)
        self.assertEqual(self.state()["cfg"], before)

        # The second set's code sends it; no to the reboot question.
        self.app.ok({"cmd": "answer", "button": "no"})
        self.click("pb_modifycfg")
        self.enter_code(MODE2)
        self.wait(lambda: self.state()["cfg"].get("chNum_dspToNet") == str(wanted), REPLY_S,
                  lambda: "the new count in the simulator (cfg %s)" % self.state()["cfg"])
        after = self.state()["cfg"]
        for key, value in before.items():
            if key != "chNum_dspToNet":
                self.assertEqual(after.get(key), value, "line %s kept" % key)
        self.assertEqual(self.requests("setCfg"), 1)
        self.assertEqual(self.requests("reboot"), 0, "no to the reboot question")

    def test_gpio_port_read_refused_and_saved(self):
        self.open_test_page_in_factory_mode()
        self.click("pb_io_3")
        # The answer fills the form: edits wait for it, or it would overwrite them.
        self.wait(lambda: self.answers("getGpioInfo") >= 1, REPLY_S, "GPIO_3 read")

        since = self.now_ms()
        self.set_text("gpio_customCmd_le", "x" * 129)
        self.click("pb_gpio_save")
        self.wait_notice_any(("不能超过128字符", "At most 128 characters"), since)
        self.assertEqual(self.requests("setGpioInfo"), 0, "a 129-character command is not sent")

        since = self.now_ms()
        self.app.ok({"cmd": "setValue", "object": "gpio_channelId_sb", "value": 7})
        self.app.ok({"cmd": "activate", "object": "gpio_program_cb", "index": 5})
        self.set_text("gpio_customCmd_le", "recall 2")
        self.click("pb_gpio_save")
        self.wait_notice_any(("保存成功", "Saved"), since)
        entry = self.state()["gpio"][3]
        self.assertEqual(entry.get("channelId"), "7")
        self.assertEqual(entry.get("programId"), "15")
        self.assertEqual(entry.get("customCmd"), "recall 2")
        self.assertEqual(self.state()["gpio"][2].get("channelId"), "0", "no other entry changed")

        # Read back through another port and this one again.
        self.click("pb_io_1")
        self.wait(lambda: self.answers("getGpioInfo") >= 2 and self.find("gpio_customCmd_le").get("text") == "",
                  REPLY_S, "port 1 shown")
        self.click("pb_io_3")
        self.wait(lambda: self.answers("getGpioInfo") >= 3 and
                  self.find("gpio_customCmd_le").get("text") == "recall 2", REPLY_S, "port 3 read back")

        path = os.path.join(self.shots_dir, "e2e_devtest.png")
        if os.path.exists(path):
            os.unlink(path)
        self.app.ok({"cmd": "screenshot", "object": "DevWin", "window": True, "file": path})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")


    def test_factory_service_ssh_cpu_and_reset(self):
        self.open_test_page_in_factory_mode()
        since = self.now_ms()
        self.click("pb_ssh")
        self.wait_notice_any(("设置成功", "Set successfully"), since)
        self.assertEqual(self.requests("startSsh"), 1)

        # The UDP tool: any text to a port of the device, the answer in its log.
        self.set_text("udp_send_te", '{"ops":"getVersion"}')
        self.click("udp_send_bt")
        self.wait(lambda: "Recv=>" in (self.find("udp_log_te").get("text") or ""), REPLY_S, "an answer logged")
        log = self.find("udp_log_te")["text"].split("\n")
        self.assertTrue(log[0].startswith("Send(%s:9994)" % self.dev["ip"]), log)
        self.assertIn('"ops":"getVersion"', log[1])
        self.assertIn(FIRMWARE, log[1])

        # The CPU frequency through the factory port; the answer reaches the window through the reply-address map.
        self.app.ok({"cmd": "activate", "object": "cpufreq_cb", "index": 3})
        self.click("pb_cpufreq")
        self.wait(lambda: self.state()["oemData"].get("cpuKHz") == "816000", REPLY_S,
                  lambda: "cpuKHz in the simulator (%s)" % self.state()["oemData"])
        self.wait(lambda: self.find("cpu_value").get("text") == "816000 kHz", REPLY_S, "the frequency shown")

        # A GPIO entry changed, then the factory reset brings it back; yes to both questions restarts the device.
        self.click("pb_io_2")
        self.wait(lambda: self.answers("getGpioInfo") >= 1, REPLY_S, "GPIO_2 read")
        self.app.ok({"cmd": "setValue", "object": "gpio_channelId_sb", "value": 5})
        self.click("pb_gpio_save")
        self.wait(lambda: self.state()["gpio"][2].get("channelId") == "5", REPLY_S, "GPIO_2 saved")
        self.app.ok({"cmd": "answer", "button": "yes"})
        asked = self.now_ms()
        self.click("pb_resetfactory")
        self.wait(lambda: self.requests("resetFactory") == 1, REPLY_S, "the reset heard")
        self.wait(lambda: self.state()["gpio"][2].get("channelId") == "0", REPLY_S, "GPIO_2 back to its default")
        self.wait(lambda: any(n["ms"] >= asked and ("恢复成功" in n["text"] or "Reset done" in n["text"]) for n in
                              self.app.ok({"cmd": "notices"})["notices"]), 2 * REPLY_S, "the restart question")
        self.wait(lambda: self.requests("reboot") == 1, REPLY_S, "the restart asked for")
        self.assertEqual(self.requests("resetFacotry"), 0, "firmware 3.1.4 takes the current spelling only")

    def test_factory_reset_of_a_locked_device_sends_nothing(self):
        self.wait(lambda: self.app.command({"cmd": "detail", "devId": self.locked["devId"]})["detail"]
                  .get("detailLock") == 1, REPLY_S, "the lock known")
        self.open_test_page_in_factory_mode(self.locked)
        self.app.ok({"cmd": "answer", "button": "yes"})
        since = self.now_ms()
        self.click("pb_resetfactory")
        self.wait_notice_any(("设备已上锁，请先解锁", "The device is locked, please unlock"), since)
        time = self.now_ms()
        self.app.wait_for(lambda: self.now_ms() > time + 2500, 4)
        self.assertEqual(self.requests("resetFactory", self.locked), 0)
        self.assertEqual(self.requests("resetFacotry", self.locked), 0)
        self.assertFalse(any(n["source"] == "messageBox" and n["ms"] >= since
                             for n in self.app.ok({"cmd": "notices"})["notices"]), "not even asked")

    def wait_notice_any(self, texts, since_ms):
        def seen():
            return any(n["ms"] >= since_ms and any(t in n["text"] for t in texts)
                       for n in self.app.ok({"cmd": "notices"})["notices"])

        self.wait(seen, 2 * REPLY_S, lambda: "one of %r (notices: %s)" % (texts, self.app.ok({"cmd": "notices"})))


def main():
    e2etest.app_main(DevTestPageTest)


if __name__ == "__main__":
    main()
