"""The microphone dialog of the real application's processor dialog (MERIDANE_SCRIPT=1, offscreen) against the
simulated microphone processor behind the device's serial tunnel: opening the dialog reads what the processor
holds; the echo-cancellation level and a gain changed in the dialog reach the processor; the save stores them
there, confirmed once with "保存成功".

Usage: python3 test_dsp_mic.py --sim PATH/meridane-sim --app PATH/meridane [--screenshots DIR] [unittest args]
"""

import os
import time

import e2etest

DEVICES = 3
DSP_DEVICE = 2  # generated devices cycle through three models; the third has a processor
LISTED_S = 15
REPLY_S = 8
READS = 21  # five single settings, then gain and mute of four inputs and four outputs


SAVED = ("保存成功", "Saved")  # the language the application chose
PRESET = {"aec": 2, "agc": 1, "headphone": 1, "inGain": [12, -6, 0, 0], "outMute": [1, 0, 0, 0]}


class DspMicTest(e2etest.E2ETestCase):
    app_path = None
    shots_dir = None

    def setUp(self):
        self.dev_id = self.start_app_network("meridane-mic-", DEVICES)[DSP_DEVICE]["devId"]
        self.wait(lambda: self.dev_id in {d["devId"] for d in self.app.ok({"cmd": "devices"})["devices"]},
                  LISTED_S, "the processor device listed")

    # --- helpers -------------------------------------------------------------------------------------------

    def wait(self, probe, timeout, what):
        value = self.app.wait_for(probe, timeout)
        if not value:
            self.fail("%s within %s s" % (what() if callable(what) else what, timeout))
        return value

    def mic(self, **extra):
        return self.sim.command(dict({"cmd": "mic", "devId": self.dev_id}, **extra))

    def control(self, name):
        return self.app.find("MicControlDialog/" + name)

    def saved_notices(self):
        return [n for n in self.app.ok({"cmd": "notices"})["notices"]
                if n["source"] == "messageBox" and n["text"] in SAVED]

    def open_mic(self):
        self.app.ok({"cmd": "open", "devId": self.dev_id})
        self.wait(lambda: self.app.find("dsp_bt").get("visible"), REPLY_S, "the device window")
        self.app.ok({"cmd": "click", "object": "dsp_bt"})
        self.wait(lambda: self.app.find("DevDspDialog").get("visible"), REPLY_S, "the processor dialog")
        self.wait(lambda: self.app.find("blk_in_0_0").get("visible"), REPLY_S, "the configuration drawn")
        self.app.ok({"cmd": "click", "object": "pb_mic"})
        self.wait(lambda: self.app.find("MicControlDialog").get("visible"), REPLY_S, "the microphone dialog")

    def screenshot(self, file_name):
        path = os.path.join(self.shots_dir, file_name)
        if os.path.exists(path):
            os.unlink(path)
        shot = self.app.ok({"cmd": "screenshot", "object": "MicControlDialog", "window": True, "file": path})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)
        self.assertGreater(shot["width"], 300)

    # --- tests ---------------------------------------------------------------------------------------------

    def test_read_change_and_save_reach_the_processor(self):
        preset = self.mic(set=PRESET)
        self.assertTrue(preset["ok"], preset)
        self.assertEqual(preset["commands"], 0)

        # Opening reads every setting through the tunnel; the controls show what the processor holds.
        self.open_mic()
        self.wait(lambda: self.mic()["commands"] >= READS, REPLY_S,
                  lambda: "the reads at the processor (%d)" % self.mic()["commands"])
        self.wait(lambda: self.control("cb_aec").get("currentIndex") == 2, REPLY_S,
                  lambda: "the echo cancellation read (%r)" % self.control("cb_aec"))
        self.wait(lambda: self.control("sb_micInGain").get("value") == 12, REPLY_S,
                  lambda: "the microphone gain read (%r)" % self.control("sb_micInGain"))
        self.assertEqual(self.control("cb_agc").get("currentIndex"), 1)
        self.assertEqual(self.control("sb_localRefGain").get("value"), -6)
        self.assertTrue(self.control("ck_aecOutMute").get("checked"))
        self.assertFalse(self.control("ck_afcOutMute").get("checked"))
        self.assertTrue(self.control("rb_hpLocal").get("checked"))
        self.screenshot("e2e_dsp_mic.png")

        # Changes reach the processor's running settings, not yet its stored ones.
        self.app.ok({"cmd": "activate", "object": "MicControlDialog/cb_aec", "index": 4})
        self.app.ok({"cmd": "setValue", "object": "MicControlDialog/sb_interpOutGain", "value": -15})
        self.wait(lambda: self.mic()["live"]["aec"] == 4, REPLY_S, lambda: "the new level (%r)" % self.mic())
        self.wait(lambda: self.mic()["live"]["outGain"][2] == -15, REPLY_S, lambda: "the new gain (%r)" % self.mic())
        state = self.mic()
        self.assertEqual(state["saved"]["aec"], 2)
        self.assertEqual(state["saves"], 0)

        # Saved: stored in the processor, confirmed once although the answer reaches the windows twice.
        self.app.ok({"cmd": "answer", "button": "ok"})
        self.app.ok({"cmd": "click", "object": "MicControlDialog/pb_saveParam"})
        self.wait(lambda: self.mic()["saves"] == 1, REPLY_S, "the save at the processor")
        self.wait(lambda: self.saved_notices(), REPLY_S, "the save confirmed")
        state = self.mic()
        self.assertEqual(state["saved"]["aec"], 4)
        self.assertEqual(state["saved"]["outGain"][2], -15)
        self.assertEqual(state["saved"], state["live"])
        time.sleep(0.5)
        notices = self.saved_notices()
        self.assertEqual(len(notices), 1, notices)
        self.assertEqual(notices[0]["answer"], "ok")


def main():
    e2etest.app_main(DspMicTest)


if __name__ == "__main__":
    main()
