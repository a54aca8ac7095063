"""The factory configuration dialog of the real application (MERIDANE_SCRIPT=1, offscreen) against the simulator's
processor service: a command with a typo is refused with its position and nothing reaches the device; a layout
typed as commands is previewed, exported to a file, sent with "setFactoryConfig" and found in the simulator exactly
as exported; after the restart the dialog asks for, the device runs it.

Usage: python3 test_dsp_default_config.py --sim PATH/meridane-sim --app PATH/meridane [--screenshots DIR]
       [unittest args]
"""

import json
import os

import e2etest

DEVICES = 3
DSP_DEVICE = 2  # generated devices cycle through three models; the third has a processor
LISTED_S = 15
REPLY_S = 8
REBOOT_MS = 600


PARSE_FAULT = ("命令解析异常", "Command parse error")
SET_ASKS = ("设置成功,重启后生效,是否立刻重启？", "Set; it takes effect after a restart. Restart now?")
EXPORTED = ("导出成功", "Export succeeded")
HPF_AND_EQ = [4, 0]  # JSON types of a high- or low-pass filter and an equaliser

COMMANDS = "\n".join([
    "proc#in#1#hpf,eq(8)",
    "comm#in#2#(-6,0,1,3)",
    "matrix#1-2#1#-6",
    "matrix#[3;4]#[2;3]",
    "gainShared#1",
    "core#in#*#1",
])


class DspDefaultConfigTest(e2etest.E2ETestCase):
    app_path = None
    shots_dir = None

    def setUp(self):
        self.dev = self.start_app_network("meridane-dspdef-", DEVICES, ["--reboot-ms", str(REBOOT_MS)])[DSP_DEVICE]
        self.dev_id = self.dev["devId"]
        self.assertIsNotNone(self.sim.state(self.dev_id)["dspConfig"], "the third device has a processor")
        self.wait(lambda: self.dev_id in {d["devId"] for d in self.app.ok({"cmd": "devices"})["devices"]},
                  LISTED_S, "the processor device listed")

    def wait(self, probe, timeout, what):
        value = self.app.wait_for(probe, timeout)
        if not value:
            self.fail("%s within %s s" % (what() if callable(what) else what, timeout))
        return value

    def notices(self):
        return [n["text"] for n in self.app.ok({"cmd": "notices"})["notices"]]

    def wait_notice(self, texts, count_before, what):
        def seen():
            return any(any(t in n for t in texts) for n in self.notices()[count_before:])
        self.wait(seen, REPLY_S, lambda: "%s (notices %s)" % (what, self.notices()[count_before:]))

    def factory_requests(self):
        return self.sim.state(self.dev_id)["requests"].get("setFactoryConfig", 0)

    def pending(self):
        return self.sim.command({"cmd": "dspConfig", "devId": self.dev_id, "factory": True})["config"]

    def open_dialog(self):
        self.app.ok({"cmd": "open", "devId": self.dev_id})
        self.wait(lambda: self.app.find("pb_defaultDsp").get("visible"), REPLY_S, "the device window")
        self.app.ok({"cmd": "click", "object": "pb_defaultDsp"})
        self.wait(lambda: self.app.find("ModifyDefaultDspDialog").get("visible"), REPLY_S,
                  "the factory configuration dialog")

    def test_typed_layout_is_written_found_and_runs_after_the_restart(self):
        self.open_dialog()
        inputs = self.dev["phyChNumRx"] + self.dev["chNumRx"]
        outputs = self.dev["phyChNumTx"] + self.dev["chNumTx"]
        self.assertEqual(self.app.find("sb_inNum").get("value"), inputs)
        self.assertEqual(self.app.find("sb_outNum").get("value"), outputs)
        label = self.app.find("lb_devChannels").get("text", "")
        self.assertTrue(label.startswith(("本设备通道信息: 模拟输入%d通道" % self.dev["phyChNumRx"],
                                          "This device's channels: analog inputs %d" % self.dev["phyChNumRx"])),
                        label)

        # A typo: refused where it is, nothing reaches the device.
        self.app.ok({"cmd": "answer", "button": "ok"})
        seen = len(self.notices())
        self.app.ok({"cmd": "setText", "object": "te_cmd", "text": "proc#in#1-99999999#eq"})
        self.app.ok({"cmd": "click", "object": "pb_setDefault"})
        self.wait_notice(PARSE_FAULT, seen, "the parse fault shown")
        fault = [n for n in self.notices()[seen:] if any(t in n for t in PARSE_FAULT)][0]
        self.assertTrue(("第 1 行第 11 列" in fault) or ("line 1, column 11" in fault), fault)
        self.assertEqual(self.factory_requests(), 0)
        self.assertIsNone(self.pending())

        # The layout, previewed and exported.
        self.app.ok({"cmd": "setText", "object": "te_cmd", "text": COMMANDS})
        self.app.ok({"cmd": "click", "object": "rb_preview"})
        self.wait(lambda: self.app.find("te_previewOut").get("visible"), REPLY_S, "the preview")
        out_preview = self.app.find("te_previewOut").get("text", "")
        self.assertTrue(("输入 1-2 (-6 dB)" in out_preview) or ("in 1-2 (-6 dB)" in out_preview), out_preview)
        self.assertEqual(len(out_preview.splitlines()), outputs)
        self.screenshot("e2e_dsp_default_config.png")

        export = os.path.join(self.tmp, "layout.dt")
        seen = len(self.notices())
        self.app.ok({"cmd": "chooseFile", "file": export})
        self.app.ok({"cmd": "click", "object": "pb_export"})
        self.wait_notice(EXPORTED, seen, "the export confirmed")
        with open(export, "rb") as f:
            text = f.read()
        self.assertNotIn(b"\n", text)
        exported = json.loads(text.decode("utf-8"))
        self.assertEqual(exported["name"], "userGenerate")
        layout = exported["config"]
        self.assertEqual(self.factory_requests(), 0, "exporting sends nothing")

        # Set as default, restart declined: the simulator holds exactly the exported layout, waiting.
        reboots = self.sim.state(self.dev_id)["rebootCount"]
        self.app.ok({"cmd": "answer", "button": "no"})
        seen = len(self.notices())
        self.app.ok({"cmd": "click", "object": "pb_setDefault"})
        self.wait_notice(SET_ASKS, seen, "the restart question")
        self.assertEqual(self.factory_requests(), 1)
        self.assertEqual(self.pending(), layout)
        nodes = layout["nodeArr"]
        self.assertEqual([n["type"] for n in nodes], ["0", "1", "0"])
        in_ports = nodes[0]["obj"]["portArr"]
        self.assertEqual([int(b["type"]) for b in in_ports[0]["procArr"]], HPF_AND_EQ)
        self.assertEqual({p["core"] for p in in_ports}, {"1"})
        self.assertEqual(nodes[0]["commArr"][1], {"gainDb": "-6", "mute": "0", "inverse": "1", "groupId": "3"})
        columns = nodes[1]["obj"]["portArr"]
        self.assertEqual([c["mode"] for c in columns], ["1"] + ["0"] * (outputs - 1))
        self.assertEqual(columns[0]["muteArr"][:3], ["0", "0", "1"])
        self.assertEqual(columns[1]["muteArr"][2], "0")
        self.assertEqual(columns[2]["muteArr"][3], "0")
        self.assertEqual(self.sim.state(self.dev_id)["rebootCount"], reboots, "no restart asked for")

        # Again, restart accepted: the device reboots and then runs the new default.
        self.app.ok({"cmd": "answer", "button": "yes"})
        seen = len(self.notices())
        self.app.ok({"cmd": "click", "object": "pb_setDefault"})
        self.wait_notice(SET_ASKS, seen, "the restart question again")
        self.wait(lambda: self.sim.state(self.dev_id)["rebootCount"] > reboots, REPLY_S, "the device restarted")
        self.wait(lambda: self.sim.command({"cmd": "dspConfig", "devId": self.dev_id})["config"] == layout,
                  REPLY_S + REBOOT_MS / 1000.0, "the new default running after the restart")
        self.assertIsNone(self.pending())

    def screenshot(self, file_name):
        path = os.path.join(self.shots_dir, file_name)
        if os.path.exists(path):
            os.unlink(path)
        shot = self.app.ok({"cmd": "screenshot", "object": "ModifyDefaultDspDialog", "window": True, "file": path})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)
        self.assertGreater(shot["width"], 300)


def main():
    e2etest.app_main(DspDefaultConfigTest)


if __name__ == "__main__":
    main()
