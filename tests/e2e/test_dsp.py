"""The signal-processor dialog of the real application (MERIDANE_SCRIPT=1, offscreen) against the simulator's
processor service: the configuration arrives over TCP and is drawn, an added block is saved with "setConfig" and
comes back with the next "getConfig", block editors change the processor live (and a processor locked behind the
controller's back refuses, the editor showing the device's values again), and a lost service shows "not
connected" until the dialog reconnects.

Usage: python3 test_dsp.py --sim PATH/meridane-sim --app PATH/meridane [--screenshots DIR] [unittest args]
"""

import os

import e2etest

DEVICES = 3
DSP_DEVICE = 2  # generated devices cycle through three models; the third has a processor
LISTED_S = 15
REPLY_S = 5
# Clearing the matrix is a paced batch of one datagram per crosspoint (thousands): on a loaded machine it
# takes longer than one reply; what is checked is the count, not the speed.
BATCH_S = 30
RECONNECT_S = 12  # one 5 s retry period, the connection and a fresh download


NOT_CONNECTED = ("未连接", "Not connected")
NOISE_GATE_TYPE = 7
EQ_TYPE = 0
COMPRESS_TYPE = 2
HLPF_TYPE = 4
DELAY_TYPE = 1
FIR_TYPE = 5


class DspDialogTest(e2etest.E2ETestCase):
    app_path = None
    shots_dir = None

    def setUp(self):
        self.dev = self.start_app_network("meridane-dsp-", DEVICES)[DSP_DEVICE]
        self.assertIsNotNone(self.sim.state(self.dev["devId"])["dspConfig"], "the third device has a processor")
        self.wait(lambda: self.dev["devId"] in {d["devId"] for d in self.app.ok({"cmd": "devices"})["devices"]},
                  LISTED_S, "the processor device listed")

    def wait(self, probe, timeout, what):
        value = self.app.wait_for(probe, timeout)
        if not value:
            self.fail("%s within %s s" % (what() if callable(what) else what, timeout))
        return value

    def dsp_state(self):
        return self.sim.state(self.dev["devId"])["dspConfig"]

    def status(self):
        return self.app.find("lb_status").get("text", "")

    def open_dialog(self):
        self.app.ok({"cmd": "open", "devId": self.dev["devId"]})
        self.wait(lambda: self.app.find("dsp_bt").get("visible"), REPLY_S, "the device window")
        self.app.ok({"cmd": "click", "object": "dsp_bt"})
        self.wait(lambda: self.app.find("DevDspDialog").get("visible"), REPLY_S, "the processor dialog")
        # Drawn: the first block of the first input chain as the simulator holds it.
        self.wait(lambda: self.app.find("blk_in_0_0").get("visible"), REPLY_S,
                  lambda: "the configuration drawn (status %r)" % self.status())

    def screenshot(self, file_name):
        path = os.path.join(self.shots_dir, file_name)
        if os.path.exists(path):
            os.unlink(path)
        shot = self.app.ok({"cmd": "screenshot", "object": "DevDspDialog", "window": True, "file": path})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)
        self.assertGreater(shot["width"], 300)

    def test_configuration_drawn_edited_saved_and_read_back(self):
        self.open_dialog()
        before = self.dsp_state()
        chains = before["inChains"]
        self.assertTrue(chains and chains[0], "the simulated processor has blocks")
        # Every block of the first input is drawn, and no more.
        for i in range(len(chains[0])):
            self.assertTrue(self.app.find("blk_in_0_%d" % i).get("exists"), "block %d of input 1" % i)
        self.assertFalse(self.app.find("blk_in_0_%d" % len(chains[0])).get("exists"))
        self.screenshot("e2e_dsp_dialog.png")

        # A noise gate at the head of the second input; nothing reaches the device before the save.
        channel = next(i for i, c in enumerate(chains) if NOISE_GATE_TYPE not in c)
        self.app.ok({"cmd": "click", "object": "In:%d:0" % channel})
        if "99" in self.app.find("lb_cpuEstimate").get("text", ""):
            # Forcing is offered only after the administrator entry.
            self.app.ok({"cmd": "click", "object": "diy_bt"})
            self.wait(lambda: self.app.find("le_diyCode").get("visible"), REPLY_S, "the administrator code entry")
            self.app.ok({"cmd": "setText", "object": "le_diyCode", "text": "diy"})
            self.app.ok({"cmd": "key", "object": "le_diyCode", "key": "Return"})
            self.wait(lambda: self.app.find("diy_rb_forceadd").get("visible"), REPLY_S, "forcing offered")
            self.app.ok({"cmd": "click", "object": "diy_rb_forceadd"})
        self.app.ok({"cmd": "click", "object": "noisegate_bt"})
        self.wait(lambda: self.app.find("blk_in_%d_%d" % (channel, len(chains[channel]))).get("exists"), REPLY_S,
                  "the added block drawn")
        self.assertEqual(self.dsp_state()["saved"], before["saved"])

        self.app.ok({"cmd": "answer", "button": "yes"})
        self.app.ok({"cmd": "click", "object": "pb_save"})
        self.wait(lambda: self.dsp_state()["saved"] == before["saved"] + 1, REPLY_S, "setConfig on the simulator")
        after = self.dsp_state()
        self.assertEqual(after["inChains"][channel], [NOISE_GATE_TYPE] + chains[channel])
        self.assertEqual(after["inChains"][:channel], chains[:channel], "other chains unchanged")
        self.assertEqual(after["outChains"], before["outChains"])
        # The save downloads the configuration again: the new chain is drawn from the device's answer.
        requests = self.sim.state(self.dev["devId"])["requests"]
        self.wait(lambda: self.sim.state(self.dev["devId"])["requests"].get("getConfig", 0) >= 2, REPLY_S,
                  lambda: "a second getConfig (requests %s)" % requests)
        self.wait(lambda: self.app.find("blk_in_%d_%d" % (channel, len(chains[channel]))).get("exists"), REPLY_S,
                  "the saved chain drawn again")

    def block_obj(self, channel, index):
        """The parameters of input `channel`'s block `index` as the simulated processor holds them now."""
        config = self.sim.command({"cmd": "dspConfig", "devId": self.dev["devId"]})["config"]
        node = next(n for n in config["nodeArr"] if n.get("type") == "0")
        return node["obj"]["portArr"][channel]["procArr"][index]["obj"]

    def notices(self):
        return [n["text"] for n in self.app.ok({"cmd": "notices"})["notices"]]

    def test_editors_change_the_processor_live_and_a_hidden_lock_refuses(self):
        self.open_dialog()
        chain = self.dsp_state()["inChains"][0]
        self.assertEqual(chain[:3], [HLPF_TYPE, EQ_TYPE, COMPRESS_TYPE], "the first input's chain as simulated")

        # Equaliser: a band's gain and the high-pass filter's order, each live.
        self.app.ok({"cmd": "click", "object": "blk_in_0_1"})
        self.wait(lambda: self.app.find("DspEqHlpBlockForm").get("visible"), REPLY_S, "the equaliser editor")
        self.app.ok({"cmd": "setValue", "object": "sb_band_gain_0", "value": 5.5})
        self.wait(lambda: float(self.block_obj(0, 1)["eqArr"][0]["dbGain"]) == 5.5, REPLY_S,
                  lambda: "band 1 at +5.5 dB on the processor (%s)" % self.block_obj(0, 1)["eqArr"][0])
        order = self.block_obj(0, 0)["order"]
        self.app.ok({"cmd": "activate", "object": "combox_hpf_order", "index": 0})
        self.wait(lambda: self.block_obj(0, 0)["order"] != order, REPLY_S,
                  lambda: "the high-pass order changed from %s on the processor" % order)
        self.screenshot_window("DspEqHlpBlockForm", "e2e_dsp_eq_editor.png")

        # Compressor threshold through its spin box.
        self.app.ok({"cmd": "click", "object": "blk_in_0_2"})
        self.wait(lambda: self.app.find("threshold_spin").get("visible"), REPLY_S, "the compressor editor")
        self.app.ok({"cmd": "setValue", "object": "threshold_spin", "value": -30})
        self.wait(lambda: float(self.block_obj(0, 2)["trigDb"]) == -30, REPLY_S,
                  lambda: "the threshold at -30 dB on the processor (%s)" % self.block_obj(0, 2))

        # Locked by someone else a moment ago: the processor refuses, the editor says so and shows its value again.
        self.assertTrue(self.sim.command({"cmd": "dspLock", "devId": self.dev["devId"], "mask": "1",
                                          "unseen": True}).get("ok"))
        self.app.ok({"cmd": "setValue", "object": "threshold_spin", "value": -35})
        self.wait(lambda: "Set Failed!" in self.notices(), REPLY_S, lambda: "'Set Failed!' (%s)" % self.notices())
        self.wait(lambda: self.app.find("threshold_spin").get("value") == -30, REPLY_S,
                  lambda: "the editor back at -30 (%s)" % self.app.find("threshold_spin"))
        self.assertEqual(float(self.block_obj(0, 2)["trigDb"]), -30)
        self.screenshot_window("DspCompressForm", "e2e_dsp_compress_refused.png")

    def node_obj(self, node_type, index=0):
        """The "obj" of the `index`-th node of `node_type` ("2" echo canceller, "3" automixer) on the processor."""
        config = self.sim.command({"cmd": "dspConfig", "devId": self.dev["devId"]})["config"]
        return [n for n in config["nodeArr"] if n.get("type") == node_type][index]["obj"]

    def test_node_and_block_editors_reach_the_processor(self):
        self.open_dialog()
        chains = self.dsp_state()["inChains"]
        self.assertEqual(chains[1][2], DELAY_TYPE, "the second input's delay as simulated")
        self.assertEqual(chains[2][0], FIR_TYPE, "the third input's FIR as simulated")

        # Echo canceller: switching AEC off (or on) is stored in its node.
        has_aec = self.node_obj("2")["hasAec"]
        self.app.ok({"cmd": "click", "object": "edit:Aec:0"})
        self.wait(lambda: self.app.find("cb_aec").get("visible"), REPLY_S, "the echo canceller editor")
        self.app.ok({"cmd": "activate", "object": "cb_aec", "index": 0 if has_aec == "1" else 1})
        self.wait(lambda: self.node_obj("2")["hasAec"] != has_aec, REPLY_S,
                  lambda: "hasAec changed from %s (%s)" % (has_aec, self.node_obj("2")))

        # Automixer: a member's priority changes its mask, and only that member's.
        masks = self.node_obj("3")["maskArr"]
        self.app.ok({"cmd": "click", "object": "edit:AutoMixer:0"})
        self.wait(lambda: self.app.find("cb_priority").get("visible"), REPLY_S, "the automixer editor")
        self.app.ok({"cmd": "activate", "object": "cb_priority", "index": 3})
        self.wait(lambda: self.node_obj("3")["maskArr"] != masks, REPLY_S,
                  lambda: "a member mask changed from %s" % masks)
        after = self.node_obj("3")["maskArr"]
        self.assertEqual(int(after[0]) & 0xF, 3, "priority 3 in the low bits of the first member")
        self.assertEqual(int(after[0]) >> 21, int(masks[0]) >> 21, "the member's input kept")
        self.assertEqual(after[1:], masks[1:])
        self.screenshot_window("DspAutomixForm", "e2e_dsp_automix.png")

        # Delay of 10 ms at 48 kHz: 480 samples.
        self.app.ok({"cmd": "click", "object": "blk_in_1_2"})
        self.wait(lambda: self.app.find("ds_ms").get("visible"), REPLY_S, "the delay editor")
        self.app.ok({"cmd": "setValue", "object": "ds_ms", "value": 10})
        self.wait(lambda: self.block_obj(1, 2)["delayNum"] == "480", REPLY_S,
                  lambda: "480 samples on the processor (%s)" % self.block_obj(1, 2))

        # FIR: custom coefficients imported from a file.
        coefficients = [0.01, -0.02, 0.05, 0.3, 0.5, 0.3, 0.05, -0.02, 0.01]
        path = os.path.join(self.tmp, "fir.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write("h = [%s];\n" % ", ".join(str(c) for c in coefficients))
        self.app.ok({"cmd": "click", "object": "blk_in_2_0"})
        self.wait(lambda: self.app.find("cb_type").get("visible"), REPLY_S, "the FIR editor")
        self.app.ok({"cmd": "activate", "object": "cb_type", "index": 3})
        self.wait(lambda: self.block_obj(2, 0)["firType"] == "3", REPLY_S, "the FIR switched to coefficients")
        self.app.ok({"cmd": "chooseFile", "file": path})
        self.app.ok({"cmd": "click", "object": "pb_import"})
        self.wait(lambda: [float(c) for c in self.block_obj(2, 0).get("arr", [])] == coefficients, REPLY_S,
                  lambda: "the coefficients on the processor (%s)" % self.block_obj(2, 0))
        self.assertEqual(self.block_obj(2, 0)["taps"], str(len(coefficients)))
        self.screenshot_window("DspFirForm", "e2e_dsp_fir_custom.png")

    def matrix_columns(self):
        config = self.sim.command({"cmd": "dspConfig", "devId": self.dev["devId"]})["config"]
        return next(n for n in config["nodeArr"] if n.get("type") == "1")["obj"]["portArr"]

    def requests(self, ops):
        return self.sim.state(self.dev["devId"])["requests"].get(ops, 0)

    def test_matrix_clear_all_and_a_single_crosspoint(self):
        self.open_dialog()
        columns = self.matrix_columns()
        cells = sum(len(c["muteArr"]) for c in columns)
        self.assertTrue(any(m == "0" for c in columns for m in c["muteArr"]), "the simulated matrix has routes")
        self.app.ok({"cmd": "click", "object": "pb_matrix"})
        self.wait(lambda: self.app.find("matrix_grid").get("visible"), REPLY_S, "the matrix page")
        self.wait(lambda: self.requests("getMatrix") + self.requests("getMatrixBatch") >= len(columns), REPLY_S,
                  "the matrix read page by page")
        self.screenshot_window("DevDspDialog", "e2e_dsp_matrix.png")

        # One datagram per crosspoint, every one off on the processor afterwards.
        before = self.requests("setMatrixMute")
        self.app.ok({"cmd": "click", "object": "clearBt"})
        self.wait(lambda: self.requests("setMatrixMute") - before == cells, BATCH_S,
                  lambda: "%d setMatrixMute (got %d)" % (cells, self.requests("setMatrixMute") - before))
        self.assertTrue(all(m == "1" for c in self.matrix_columns() for m in c["muteArr"]), "every crosspoint off")

        # A single click routes one crosspoint with one datagram.
        self.app.ok({"cmd": "dspMatrixClick", "col": 1, "row": 2})
        self.wait(lambda: self.matrix_columns()[1]["muteArr"][2] == "0", REPLY_S, "output 2, input 3 routed")
        self.assertEqual(self.requests("setMatrixMute") - before, cells + 1)
        on = [(c, r) for c, col in enumerate(self.matrix_columns()) for r, m in enumerate(col["muteArr"]) if m == "0"]
        self.assertEqual(on, [(1, 2)])

    def screenshot_window(self, name, file_name):
        path = os.path.join(self.shots_dir, file_name)
        self.app.ok({"cmd": "screenshot", "object": name, "window": True, "file": path})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)

    def test_lost_service_shows_not_connected_and_reconnects(self):
        self.open_dialog()
        dev_id = self.dev["devId"]
        downloads = self.sim.state(dev_id)["requests"].get("getConfig", 0)
        self.assertTrue(self.sim.command({"cmd": "dspService", "devId": dev_id, "on": False}).get("ok"))
        self.wait(lambda: self.status() in NOT_CONNECTED, REPLY_S, lambda: "'not connected' (status %r)" % self.status())
        self.assertTrue(self.sim.command({"cmd": "dspService", "devId": dev_id, "on": True}).get("ok"))
        self.wait(lambda: self.sim.state(dev_id)["requests"].get("getConfig", 0) > downloads, RECONNECT_S,
                  "the dialog reconnected and downloaded the configuration again")
        self.wait(lambda: self.status() not in NOT_CONNECTED, REPLY_S, "the status cleared")
        self.assertTrue(self.app.find("blk_in_0_0").get("visible"))


def main():
    e2etest.app_main(DspDialogTest)


if __name__ == "__main__":
    main()
