"""The device windows of the real application, driven line by line (MERIDANE_SCRIPT=1, offscreen) against the
simulator: renaming a device and its channels, a sample-rate change with its reboot, locking and unlocking with the
password, delay statistics, the level meters, and screenshots of the windows for a look by eye.

Every test gets a fresh pair of namespaces, a fresh simulator and a fresh application.

Usage: python3 test_device_control.py --sim PATH/meridane-sim --app PATH/meridane [--screenshots DIR] [unittest args]
"""

import os
import time

import e2etest

DEVICES = 3
PASSWORD = "Pw-4711"
SILENT_INPUT = 1
LISTED_S = 15
REPLY_S = 5
REBOOT_MS = 3000

# Set from the command line; kept in the environment so that a re-run inside a user namespace still finds them.


def _is_lock_tip(text):
    return "设备已加锁" in text or "lock" in text.lower()


def _is_password_error(text):
    return "密码错误" in text or "password error" in text.lower()


def _as_int(text):
    try:
        return int(str(text).strip())
    except ValueError:
        return None


class DeviceControlTest(e2etest.E2ETestCase):
    app_path = None
    shots_dir = None
    config = None

    @classmethod
    def setUpClass(cls):
        config = cls.generated_config(DEVICES)
        first = config["devices"][0]
        first["password"] = PASSWORD
        first["silentPhyRx"] = [SILENT_INPUT]
        # The third device refuses route changes from the start (no test edits its settings).
        config["devices"][2]["lock"] = "0x1"
        cls.config = config

    def setUp(self):
        self.devs = self.start_app_network("meridane-devctl-", len(self.config["devices"]),
                                           ["--reboot-ms", str(REBOOT_MS)], self.config)
        self.wait_listed()

    # --- helpers ---------------------------------------------------------------------------------------------
    def detail(self, dev_id):
        answer = self.app.command({"cmd": "detail", "devId": dev_id})
        return answer.get("detail") if answer.get("ok") else None

    def listed(self):
        return {d["devId"]: d for d in self.app.ok({"cmd": "devices"})["devices"]}

    def wait_listed(self):
        """Every simulated device listed with the names and version it reports."""

        def problems():
            out = []
            listed = self.listed()
            for dev in self.devs:
                d = self.detail(dev["devId"]) if dev["devId"] in listed else None
                if d is None:
                    out.append("%s not listed" % dev["devId"])
                    continue
                sim = self.sim.state(dev["devId"])
                for key in ("rxChNames", "txChNames"):
                    if d[key] != sim[key]:
                        out.append("%s %s not fetched yet" % (dev["devId"], key))
                if not d["firmwareVersion"]:
                    out.append("%s has no version" % dev["devId"])
            return out

        left = self.app.wait_for(lambda: not problems(), LISTED_S, interval=0.3)
        self.assertTrue(left, "not every device listed within %s s: %s\n%s" % (LISTED_S, problems(), self.app.log()))

    def wait(self, probe, timeout, what):
        """Waits for probe() to be true; `what` (text, or a function giving it on failure) names the expectation."""
        value = self.app.wait_for(probe, timeout)
        if not value:
            self.fail("%s within %s s" % (what() if callable(what) else what, timeout))
        return value

    def open_window(self, dev):
        self.app.ok({"cmd": "open", "devId": dev["devId"]})

        def shown():
            win = self.app.find("DevWin")
            name = self.app.find("devName_le")
            return win.get("visible") and name.get("visible") and name.get("window") == "DevWin" and win

        self.wait(shown, REPLY_S, "a visible device window for %s" % dev["devId"])

    def click(self, name):
        self.app.ok({"cmd": "click", "object": name})

    def set_text(self, name, text):
        self.app.ok({"cmd": "setText", "object": name, "text": text})

    def wait_visible(self, name, timeout=REPLY_S):
        return self.wait(lambda: self.app.find(name).get("visible") and self.app.find(name), timeout,
                         "%s visible" % name)

    def notices(self, since_ms=0):
        return [n for n in self.app.ok({"cmd": "notices"})["notices"] if n["ms"] >= since_ms]

    def now_ms(self):
        return self.app.ok({"cmd": "notices"})["nowMs"]

    def wait_notice(self, predicate, since_ms, timeout=REPLY_S, label=None):
        """A tip or message box after since_ms whose text satisfies predicate (or such a text on `label`)."""

        def seen():
            for n in self.notices(since_ms):
                if predicate(n["text"]):
                    return n["text"]
            if label is not None:
                found = self.app.find(label)
                if found.get("visible") and predicate(found.get("text", "")):
                    return found["text"]
            return None

        text = self.app.wait_for(seen, timeout)
        self.assertTrue(text, "no such notice within %s s; notices: %s" % (timeout, self.notices(since_ms)))
        return text

    def requests(self, dev_id, ops):
        return self.sim.state(dev_id)["requests"].get(ops, 0)

    def enter_password(self, password):
        self.wait_visible("ManagePasswd")
        self.set_text("passwd_le", password)
        self.click("ok_bt")

    def lock_via_dialog(self, option):
        """pb_manage, one option of the lock dialog, OK, then the device's password."""
        self.click("pb_manage")
        self.wait_visible("ManageLock")
        self.click(option)
        self.wait(lambda: self.app.find(option).get("checked"), REPLY_S, "%s checked" % option)
        self.click("ok_bt")
        self.enter_password(PASSWORD)

    def screenshot(self, file_name, window="DevWin"):
        path = os.path.join(self.shots_dir, file_name)
        if os.path.exists(path):
            os.unlink(path)
        shot = self.app.ok({"cmd": "screenshot", "object": window, "window": True, "file": path})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)
        self.assertGreater(shot["width"], 200)
        self.assertGreater(shot["height"], 150)

    def matrix_cell(self, cell):
        return self.app.ok(dict(cell, cmd="matrixCell"))

    # --- the tests -------------------------------------------------------------------------------------------
    def test_matrix_click_routes_and_unroutes(self):
        sender, receiver = self.devs[0], self.devs[1]
        cell = {"send": sender["devId"], "sendCh": 3, "recv": receiver["devId"], "recvCh": 3}
        self.app.ok({"cmd": "answer", "button": "yes"})
        self.wait(lambda: self.app.command(dict(cell, cmd="matrixCell")).get("ok"), LISTED_S, "the cell in the matrix")
        self.assertFalse(self.matrix_cell(cell)["checked"])
        self.app.ok(dict(cell, cmd="matrixClick"))
        # The mark comes from the receiver's tables, fetched again after its route notification.
        self.wait(lambda: self.matrix_cell(cell)["checked"], 3 * REPLY_S, "the routed mark")
        self.assertFalse(self.matrix_cell(cell)["checking"])
        self.assertEqual(self.requests(receiver["devId"], "setUcastRx"), 1)
        self.app.ok(dict(cell, cmd="matrixClick"))
        self.wait(lambda: not self.matrix_cell(cell)["checked"], 3 * REPLY_S, "the mark removed")
        self.assertEqual(self.requests(receiver["devId"], "clrRxCh"), 1)

    def test_locked_receiver_refuses_a_matrix_click(self):
        sender, receiver = self.devs[0], self.devs[2]
        cell = {"send": sender["devId"], "sendCh": 4, "recv": receiver["devId"], "recvCh": 4}
        self.app.ok({"cmd": "answer", "button": "yes"})
        self.wait(lambda: self.app.command(dict(cell, cmd="matrixCell")).get("ok"), LISTED_S, "the cell in the matrix")
        since = self.now_ms()
        self.app.ok(dict(cell, cmd="matrixClick"))
        self.wait_notice(_is_lock_tip, since)
        self.assertEqual(self.requests(receiver["devId"], "setUcastRx"), 1)
        time.sleep(1)
        self.assertFalse(self.matrix_cell(cell)["checked"])
        self.assertFalse(self.matrix_cell(cell)["checking"], "the refusal refreshes the routes")

    def test_multicast_stream_created_routed_and_deleted(self):
        sender, receiver = self.devs[0], self.devs[1]
        self.app.ok({"cmd": "answer", "button": "yes"})
        self.open_window(sender)
        self.click("page_bt_stream")
        self.wait_visible("mul_stream_bt")
        self.click("mul_stream_bt")
        self.wait_visible("creat_bt")
        self.set_text("stream_name_le", "e2e-mc")
        self.click("channel_cb:0")
        self.click("channel_cb:1")
        self.click("creat_bt")

        def created():
            return [s for s in self.sim.state(sender["devId"])["mcastTx"] if s["name"] == "e2e-mc"]

        stream = self.wait(created, REPLY_S, "the stream created on the simulator")[0]
        self.assertEqual(stream["chNum"], 2)
        # The old stream of the generated network and the new one.
        self.wait(lambda: self.app.find("send_listWidget").get("rowCount", 0) >= 2, REPLY_S,
                  "the stream listed in the view")
        self.screenshot("e2e_stream_view.png")
        # The stream reaches the matrix as a row from its SAP announcement.
        cell = {"send": stream["dstIp"], "sendCh": 2, "recv": receiver["devId"], "recvCh": 6}
        self.wait(lambda: self.app.command(dict(cell, cmd="matrixCell")).get("ok"), LISTED_S,
                  "the announced stream as a matrix row")
        self.app.ok(dict(cell, cmd="matrixClick"))
        self.wait(lambda: self.matrix_cell(cell)["checked"], 3 * REPLY_S, "the multicast routed mark")
        self.assertEqual(self.requests(receiver["devId"], "setMcastRx"), 1)
        self.screenshot("e2e_matrix.png", window="mainWindow")
        self.click("pbClock")
        self.wait_visible("ClockForm")
        self.screenshot("e2e_clock.png", window="mainWindow")
        self.click("pbRoute")

        self.app.ok({"cmd": "selectRow", "object": "send_listWidget", "row": -1})
        self.click("send_del_bt_1")
        self.wait(lambda: not created(), REPLY_S, "the stream removed from the simulator")
        self.assertEqual(self.requests(sender["devId"], "clrMcastTx"), 1)
        # Its SAP deletion takes the row away.
        self.wait(lambda: not self.app.command(dict(cell, cmd="matrixCell")).get("ok"), LISTED_S,
                  "the deleted stream's row gone from the matrix")

    def test_rename_device_and_channels(self):
        dev = self.devs[1]
        dev_id = dev["devId"]
        self.open_window(dev)
        self.assertEqual(self.app.find("devName_le")["text"], dev["name"])

        # A refused name never reaches the device and the field shows the old name again.
        since = self.now_ms()
        self.set_text("devName_le", "Bad.Name")
        self.wait(lambda: self.notices(since), REPLY_S, "a tip for a name with a dot")
        self.wait(lambda: self.app.find("devName_le")["text"] == dev["name"], REPLY_S, "the old name restored")
        self.assertEqual(self.requests(dev_id, "setDevName"), 0)

        self.set_text("devName_le", "Lectern 2")
        self.wait(lambda: self.sim.state(dev_id)["name"] == "Lectern 2", REPLY_S, "the simulator renamed")
        self.wait(lambda: self.detail(dev_id)["name"] == "Lectern 2", REPLY_S, "the detail renamed")
        self.wait(lambda: "Lectern 2" in self.app.find("title_label").get("text", ""), REPLY_S,
                  lambda: "the frame title renamed (%r)" % self.app.find("title_label").get("text"))

        # One receive and one transmit name through the table: each lands in its own list.
        table = self.wait_visible("channel_table")
        first_col = [row[0] for row in table["cells"]]
        old_rx = self.detail(dev_id)["rxChNames"][0]
        rx_row = first_col.index(old_rx)
        tx_row = first_col.index(self.detail(dev_id)["txChNames"][0])
        self.assertNotEqual(rx_row, tx_row)
        self.app.ok({"cmd": "setCell", "object": "channel_table", "row": rx_row, "col": 0, "text": "Kick In"})
        self.app.ok({"cmd": "setCell", "object": "channel_table", "row": tx_row, "col": 0, "text": "Program L"})
        self.wait(lambda: self.sim.state(dev_id)["rxChNames"][0] == "Kick In", REPLY_S, "receive name on the device")
        self.wait(lambda: self.sim.state(dev_id)["txChNames"][0] == "Program L", REPLY_S,
                  "transmit name on the device")
        self.wait(lambda: self.detail(dev_id)["rxChNames"][0] == "Kick In", REPLY_S, "receive name in the detail")
        self.wait(lambda: self.detail(dev_id)["txChNames"][0] == "Program L", REPLY_S, "transmit name in the detail")
        state = self.sim.state(dev_id)
        self.assertEqual(state["rxChNames"][1:], ["NetIn%d" % (i + 2) for i in range(len(state["rxChNames"]) - 1)])

    def test_sample_rate_change_reboots_the_device(self):
        dev = self.devs[1]
        dev_id = dev["devId"]
        self.open_window(dev)
        combo = self.wait_visible("samplerate_comb")
        self.assertEqual(combo["items"], [str(r) for r in self.detail(dev_id)["sampleRates"]])
        self.assertEqual(combo["currentText"], str(dev["sampleRate"]))
        self.assertIn("96000", combo["items"])

        self.app.ok({"cmd": "answer", "button": "yes"})
        since = self.now_ms()
        self.app.ok({"cmd": "activate", "object": "samplerate_comb", "index": combo["items"].index("96000")})
        self.wait(lambda: [n for n in self.notices(since) if n["source"] == "messageBox" and n["answer"] == "yes"],
                  REPLY_S, "the question answered")
        self.wait(lambda: self.requests(dev_id, "reboot") >= 1, REPLY_S, "a reboot request after the rate")
        state = self.sim.state(dev_id)
        self.assertEqual(state["requests"].get("setSampleRate"), 1)
        self.assertEqual(state["rebootCount"], 1)

        # Gone from the list while it restarts, then back with the new rate.
        gone = self.app.wait_for(lambda: dev_id not in self.listed(), REBOOT_MS / 1000 + 3, interval=0.1)
        self.assertTrue(gone, "the rebooting device was never dropped from the list")
        self.wait(lambda: self.listed().get(dev_id, {}).get("sampleRate") == 96000, LISTED_S,
                  lambda: "the device listed again at 96000 (listed: %s)" % self.listed().get(dev_id))
        self.assertEqual(self.sim.state(dev_id)["sampleRate"], 96000)
        self.assertEqual(self.requests(dev_id, "setSampleRate"), 1)

    def test_route_lock_refuses_routes_and_the_password_unlocks(self):
        dev = self.devs[0]
        dev_id = dev["devId"]
        src = self.devs[1]["devId"]
        self.open_window(dev)
        self.lock_via_dialog("devRoute_readOnly_cb")
        self.wait(lambda: self.sim.state(dev_id)["lock"] == "0x1", REPLY_S,
                  lambda: "route read-only on the device (lock %s)" % self.sim.state(dev_id)["lock"])
        self.wait(lambda: self.detail(dev_id)["routeLock"] == 1, REPLY_S, "routeLock 1 in the detail")
        self.assertEqual(self.detail(dev_id)["detailLock"], 0)
        self.wait(lambda: not self.app.find("ManageLock").get("visible"), REPLY_S, "the lock dialog closed")

        # A route change is refused by the device; the tip says so and the routes stay.
        before = self.sim.dump()[dev_id]["tables"]
        asked = self.requests(dev_id, "setUcastRx")
        since = self.now_ms()
        self.app.ok({"cmd": "send", "msg": {"ops": "setUcastRx", "devId": dev_id, "srcDevId": src, "srcChId": "2",
                                           "dstChId": "3"}})
        self.wait(lambda: self.requests(dev_id, "setUcastRx") == asked + 1, REPLY_S, "the route request sent")
        self.wait_notice(_is_lock_tip, since)
        self.assertEqual(self.sim.dump()[dev_id]["tables"], before)

        # Ctrl+0 asks for the password: a wrong one is refused and the dialog stays.
        self.app.ok({"cmd": "key", "object": "DevWin", "key": "Ctrl+0"})
        since = self.now_ms()
        self.enter_password("wrong-pw")
        self.wait_notice(_is_password_error, since, label="message_label")
        self.assertTrue(self.app.find("ManagePasswd").get("visible"), "the dialog closed after a wrong password")
        self.assertEqual(self.sim.state(dev_id)["lock"], "0x1")
        self.assertEqual(self.detail(dev_id)["routeLock"], 1)

        self.enter_password(PASSWORD)
        self.wait(lambda: self.sim.state(dev_id)["lock"] == "0x0", REPLY_S, "the device unlocked")
        self.wait(lambda: self.detail(dev_id)["routeLock"] == 0, REPLY_S, "routeLock 0 in the detail")
        # Unlocked, the same route goes through.
        self.app.ok({"cmd": "send", "msg": {"ops": "setUcastRx", "devId": dev_id, "srcDevId": src, "srcChId": "2",
                                           "dstChId": "3"}})
        self.wait(lambda: self.sim.dump()[dev_id]["tables"] != before, REPLY_S, "the route made once unlocked")

    def test_delay_statistics(self):
        receiver = self.devs[1]
        self.open_window(receiver)
        self.click("page_bt_delay")
        combo = self.wait(lambda: [i for i in self.app.find("comboBox").get("items", []) if i.startswith("ucast:")]
                          and self.app.find("comboBox"), REPLY_S, "a unicast stream listed")
        index = next(i for i, text in enumerate(combo["items"]) if text.startswith("ucast:"))
        entry = combo["items"][index]
        self.assertIn(self.devs[0]["ip"], entry)
        self.assertIn(receiver["ip"], entry)
        self.assertIn("->", entry)
        self.app.ok({"cmd": "activate", "object": "comboBox", "index": index})

        total = self.wait(lambda: (_as_int(self.app.find("total_le").get("text")) or 0) > 0
                          and _as_int(self.app.find("total_le")["text"]), REPLY_S, "a non-zero total")
        cleared = self.requests(receiver["devId"], "clrUcastStats")
        self.click("clear_bt")
        self.wait(lambda: self.requests(receiver["devId"], "clrUcastStats") == cleared + 1, REPLY_S, "a clear request")
        self.wait(lambda: (_as_int(self.app.find("total_le").get("text")) or 0) < total, REPLY_S,
                  lambda: "the total reset (was %d, shows %r)" % (total, self.app.find("total_le").get("text")))

        # A device that receives nothing says so and asks for nothing.
        idle = self.devs[0]
        self.open_window(idle)
        self.click("page_bt_delay")
        items = self.wait(lambda: self.app.find("comboBox").get("visible") and self.app.find("comboBox")["items"],
                          REPLY_S, "the stream list of the idle device")
        self.assertEqual(len(items), 1, items)
        self.assertTrue(items[0] == "暂无活跃通道" or items[0].startswith("There"), items)
        time.sleep(2)
        state = self.sim.state(idle["devId"])
        self.assertEqual([ops for ops in ("getUcastStats", "getMcastStats") if state["requests"].get(ops)], [])

    def test_levels_are_polled_four_times_a_second(self):
        dev = self.devs[0]
        dev_id = dev["devId"]
        self.open_window(dev)
        self.click("page_bt_levels")
        self.wait_visible("meter:In:0")
        time.sleep(1)

        def rounds(since_ms, until_ms):
            msgs = self.app.ok({"cmd": "messages", "ops": "getAllPhyLevel", "devId": dev_id, "last": 200})["messages"]
            out = {"0": 0, "1": 0}
            for m in msgs:
                body = m["msg"]
                if since_ms <= m["ms"] < until_ms and body.get("idStart", "0") == "0" and body.get("inOrOut") in out:
                    out[body["inOrOut"]] += 1
            return out

        start = self.now_ms()
        readings = []
        for _ in range(6):
            readings.append(self.app.find("meter:In:0").get("value"))
            time.sleep(0.5)
        end = self.now_ms()
        seen = rounds(start, end)
        seconds = (end - start) / 1000.0
        for side, count in seen.items():
            self.assertGreaterEqual(count, 2 * seconds, "side %s: %d level rounds in %.1f s" % (side, count, seconds))
            self.assertLessEqual(count, 8 * seconds, "side %s: %d level rounds in %.1f s" % (side, count, seconds))
        self.assertTrue(all(isinstance(r, (int, float)) for r in readings), readings)
        self.assertGreater(len(set(readings)), 1, "the meter never moved: %s" % readings)
        silent = "meter:In:%d" % SILENT_INPUT
        self.wait(lambda: self.app.find(silent).get("value") == -90, REPLY_S,
                  lambda: "the silent input at -90 (shows %r)" % self.app.find(silent).get("value"))

        # Hidden, the page stops asking.
        self.click("page_bt_config")
        time.sleep(0.6)
        count = self.app.ok({"cmd": "messages", "ops": "getAllPhyLevel", "devId": dev_id})["count"]
        time.sleep(1.5)
        self.assertLessEqual(self.app.ok({"cmd": "messages", "ops": "getAllPhyLevel", "devId": dev_id})["count"],
                             count + 1, "levels still polled with the page hidden")

    def test_screenshots_of_settings_levels_and_lock(self):
        dev = self.devs[0]
        dev_id = dev["devId"]
        self.open_window(dev)
        self.wait(lambda: self.app.find("devInfo_label").get("text"), REPLY_S, "the device information shown")
        self.screenshot("e2e_settings.png")
        self.click("page_bt_levels")
        self.wait_visible("meter:In:0")
        time.sleep(1.5)
        self.screenshot("e2e_levels.png")

        self.click("page_bt_config")
        self.lock_via_dialog("dev_readOnly_cb")
        self.wait(lambda: self.sim.state(dev_id)["lock"] == "0x2", REPLY_S,
                  lambda: "details read-only on the device (lock %s)" % self.sim.state(dev_id)["lock"])
        self.wait(lambda: self.detail(dev_id)["detailLock"] == 1, REPLY_S, "detailLock 1 in the detail")
        self.wait(lambda: not self.app.find("ManageLock").get("visible"), REPLY_S, "the lock dialog closed")
        self.wait_visible("TranslucentLock", timeout=3)
        self.assertFalse(self.app.find("TransparentLock").get("visible"))
        self.screenshot("e2e_lock.png")


def main():
    e2etest.app_main(DeviceControlTest)


if __name__ == "__main__":
    main()
