"""The offline design in the real application (MERIDANE_SCRIPT=1, offscreen): enter offline mode, add devices
from the catalogue, route channels by matrix clicks, make a multicast stream, add a processor block, save and
leave; start the application again, enter offline
mode, load the last design and find everything as it was. One simulated device is on the network: the design
never sends it a change.

Usage: python3 test_offline.py --sim PATH/meridane-sim --app PATH/meridane [--screenshots DIR] [unittest args]
"""

import json
import os
import shutil
import subprocess
import tempfile

import e2etest
import netns
from programs import ScriptedApp, Simulator

REPLY_S = 5
LISTED_S = 15
A16 = ["OFF-MRD-A16-1", "OFF-MRD-A16-2"]
P64 = "OFF-MRD-P64-1"
ROUTES = [(A16[0], 1, A16[1], 1), (A16[0], 2, P64, 3)]



class OfflineDesignTest(e2etest.E2ETestCase):
    app_path = None
    shots_dir = None

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="meridane-offline-")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        argv = [self.sim_path, "--print-config", "--devices", "1", "--first-ip", "10.78.0.11"]
        config = json.loads(subprocess.run(argv, stdout=subprocess.PIPE, check=True, timeout=20).stdout)
        self.dev = config["devices"][0]
        config_path = os.path.join(self.tmp, "devices.json")
        with open(config_path, "w", encoding="utf-8") as f:
            json.dump(config, f, ensure_ascii=False)
        self.net = netns.SimNet(device_ips=[d["ip"] for d in config["devices"]])
        self.addCleanup(self.net.close)
        self.net.open()
        self.sim = Simulator(self.net, self.sim_path, config=config_path)
        self.addCleanup(self.sim.quit)
        self.app_dir = os.path.join(self.tmp, "app")
        os.mkdir(self.app_dir, 0o700)
        self.app = None

    def start_app(self):
        if self.app is not None:
            self.app.stop()
        self.app = ScriptedApp(self.net, self.app_path, self.app_dir)
        self.addCleanup(self.app.stop)
        self.wait(lambda: self.dev["devId"] in {d["devId"] for d in self.app.ok({"cmd": "devices"})["devices"]},
                  LISTED_S, "the simulated device listed")

    def wait(self, probe, timeout, what):
        value = self.app.wait_for(probe, timeout)
        if not value:
            self.fail("%s within %s s" % (what() if callable(what) else what, timeout))
        return value

    def changes_sent(self):
        """Requests that would change the simulated device, counted by the simulator."""
        requests = self.sim.state(self.dev["devId"])["requests"]
        return {k: v for k, v in requests.items() if k.startswith(("set", "clr", "del", "reboot"))}

    def enter_offline(self):
        self.app.ok({"cmd": "answer", "button": "yes"})  # enter, and load the last design
        self.app.ok({"cmd": "click", "object": "pbEnterOffline"})
        self.wait(lambda: self.app.find("customDevList").get("visible"), REPLY_S, "the offline device list")

    def cell(self, route):
        send, send_ch, recv, recv_ch = route
        return {"send": send, "sendCh": send_ch, "recv": recv, "recvCh": recv_ch}

    def routed(self, route):
        answer = self.app.command(dict(self.cell(route), cmd="matrixCell"))
        return answer.get("ok") and answer.get("checked")

    def screenshot(self, name, file_name):
        path = os.path.join(self.shots_dir, file_name)
        self.app.ok({"cmd": "screenshot", "object": name, "window": True, "file": path})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)

    def test_design_survives_save_leave_and_restart(self):
        self.start_app()
        before = self.changes_sent()
        self.enter_offline()

        # Three devices of two types from the catalogue.
        self.app.ok({"cmd": "click", "object": "customDevList_caption/add_bt"})
        self.wait(lambda: self.app.find("AddDevForm").get("visible"), REPLY_S, "the add dialog")
        for _ in range(2):
            self.app.ok({"cmd": "click", "object": "FormAddDev:MRD-A16/add_bt"})
        self.app.ok({"cmd": "setText", "object": "lineEdit", "text": "P64"})
        self.app.ok({"cmd": "click", "object": "search_bt"})
        self.wait(lambda: self.app.find("FormAddDev:MRD-P64/add_bt").get("visible"), REPLY_S, "the P64 found")
        self.app.ok({"cmd": "click", "object": "FormAddDev:MRD-P64/add_bt"})
        self.screenshot("AddDevForm", "e2e_offline_add_dev.png")
        for dev_id in A16 + [P64]:
            self.wait(lambda: self.app.find("customListItem:" + dev_id).get("exists"), REPLY_S,
                      "%s in the offline list" % dev_id)
        self.app.ok({"cmd": "key", "object": "AddDevForm", "key": "Escape"})

        # Routes by matrix clicks, in the design only.
        for route in ROUTES:
            self.wait(lambda: self.app.command(dict(self.cell(route), cmd="matrixCell")).get("ok"), REPLY_S,
                      "the cell %s in the matrix" % (route,))
            self.app.ok(dict(self.cell(route), cmd="matrixClick"))
            self.wait(lambda: self.routed(route), REPLY_S, "route %s shown" % (route,))
        self.screenshot("mainWindow", "e2e_offline_workspace.png")

        # A multicast stream of the first stagebox's first two channels, made in the design.
        self.app.ok({"cmd": "open", "devId": A16[0]})
        self.wait(lambda: self.app.find("page_bt_stream").get("visible"), REPLY_S, "the offline device window")
        self.app.ok({"cmd": "click", "object": "page_bt_stream"})
        self.wait(lambda: self.app.find("mul_stream_bt").get("visible"), REPLY_S, "the stream page")
        self.app.ok({"cmd": "click", "object": "mul_stream_bt"})
        self.wait(lambda: self.app.find("creat_bt").get("visible"), REPLY_S, "the stream form")
        self.app.ok({"cmd": "setText", "object": "stream_name_le", "text": "design-mc"})
        for box in ("channel_cb:0", "channel_cb:1"):
            self.app.ok({"cmd": "click", "object": box})
        self.app.ok({"cmd": "click", "object": "creat_bt"})
        self.wait(lambda: self.app.find("send_listWidget").get("rowCount", 0) >= 1, REPLY_S, "the stream listed")
        self.screenshot("DevWin", "e2e_offline_stream.png")
        self.app.ok({"cmd": "key", "object": "DevWin", "key": "Escape"})

        # A noise gate at the head of the processor's first input, saved into the design.
        self.app.ok({"cmd": "open", "devId": P64})
        self.wait(lambda: self.app.find("dsp_bt").get("visible"), REPLY_S, "the processor's device window")
        self.app.ok({"cmd": "click", "object": "dsp_bt"})
        self.wait(lambda: self.app.find("In:0:0").get("visible"), REPLY_S, "the offline processor dialog")
        self.app.ok({"cmd": "click", "object": "In:0:0"})
        if "99" in self.app.find("lb_cpuEstimate").get("text", ""):
            # A 64 x 64 processor's matrix alone fills the estimate: adding takes the administrator's forcing.
            self.app.ok({"cmd": "click", "object": "diy_bt"})
            self.wait(lambda: self.app.find("le_diyCode").get("visible"), REPLY_S, "the administrator code entry")
            self.app.ok({"cmd": "setText", "object": "le_diyCode", "text": "diy"})
            self.app.ok({"cmd": "key", "object": "le_diyCode", "key": "Return"})
            self.wait(lambda: self.app.find("diy_rb_forceadd").get("visible"), REPLY_S, "forcing offered")
            self.app.ok({"cmd": "click", "object": "diy_rb_forceadd"})
        self.app.ok({"cmd": "click", "object": "noisegate_bt"})
        self.wait(lambda: self.app.find("blk_in_0_0").get("exists"), REPLY_S, "the gate drawn")
        self.app.ok({"cmd": "click", "object": "pb_save"})
        self.wait(lambda: any(n["text"] in ("保存配置成功", "Configuration saved")
                              for n in self.app.ok({"cmd": "notices"})["notices"]), REPLY_S,
                  lambda: "the processor configuration saved into the design (notices %s)" % [
                      n["text"] for n in self.app.ok({"cmd": "notices"})["notices"]][-6:])
        self.screenshot("DevDspDialog", "e2e_offline_dsp.png")

        # Save, leave without a second save.
        self.app.ok({"cmd": "click", "object": "action_save"})
        working = os.path.join(self.app_dir, "Documents", "Meridane3", "config.dt")
        self.wait(lambda: os.path.exists(working) and os.path.getsize(working) > 0, REPLY_S, "config.dt written")
        self.app.ok({"cmd": "click", "object": "pbOffline"})
        self.wait(lambda: self.app.find("unSave_bt").get("visible"), REPLY_S, "the leave prompt")
        self.app.ok({"cmd": "click", "object": "unSave_bt"})
        self.wait(lambda: not self.app.find("customDevList").get("visible"), REPLY_S, "online again")

        with open(working, encoding="utf-8") as f:
            design = json.load(f)
        devices = {d["devDetail"]["devId"]: d for d in design["devArray"]}
        self.assertEqual(sorted(devices), sorted(A16 + [P64]))
        self.assertIn("dsp", devices[P64], "the processor model carries its configuration")
        self.assertNotIn("dsp", devices[A16[0]])
        for send, send_ch, recv, recv_ch in ROUTES:
            self.assertIn({"srcDevId": send, "srcChId": str(send_ch - 1), "dstChId": str(recv_ch - 1)},
                          devices[recv]["devRoute"]["ucastList"])
        streams = devices[A16[0]]["devDetail"]["mcastList"]
        self.assertEqual([m["mcastName"] for m in streams], ["design-mc"])
        self.assertEqual(streams[0]["srcChIdArrList"], ["0", "1"])
        configs = devices[P64]["dsp"]["dspArr"]
        current = next(c for c in configs if c.get("name") == "curConfig")
        first_input = next(n for n in current["nodeArr"] if n.get("type") == "0")
        self.assertEqual(first_input["obj"]["portArr"][0]["procArr"][0]["type"], "7", "the gate saved")
        self.assertEqual(self.changes_sent(), before, "the design sent nothing to the network's device")

        # A new start finds the design as it was.
        self.start_app()
        self.enter_offline()
        for dev_id in A16 + [P64]:
            self.wait(lambda: self.app.find("customListItem:" + dev_id).get("exists"), REPLY_S,
                      "%s loaded again" % dev_id)
        for route in ROUTES:
            self.wait(lambda: self.routed(route), REPLY_S, "route %s loaded again" % (route,))


def main():
    e2etest.app_main(OfflineDesignTest)


if __name__ == "__main__":
    main()
