"""The program page of the real application's processor dialog (MERIDANE_SCRIPT=1, offscreen) against the
simulator's stored programs: a program is saved under a name typed into the name dialog, loaded, exported to a
file, imported from a changed file into an empty slot and deleted, each checked in the simulator; a program made
at another sample rate is refused on load with "请检查配置采样率是否匹配"; a file for other channel counts is
refused before anything reaches the processor; all programs exported to one file and imported back are the
same configurations.

Usage: python3 test_dsp_programs.py --sim PATH/meridane-sim --app PATH/meridane [--screenshots DIR] [unittest args]
"""

import json
import os

import e2etest

DEVICES = 3
DSP_DEVICE = 2  # generated devices cycle through three models; the third has a processor
LISTED_S = 15
REPLY_S = 8


SAMPLE_RATE_TEXT = "请检查配置采样率是否匹配"
CHANNELS_TEXT = "导入失败,通道不匹配"


class DspProgramsTest(e2etest.E2ETestCase):
    app_path = None
    shots_dir = None

    def setUp(self):
        self.dev = self.start_app_network("meridane-programs-", DEVICES)[DSP_DEVICE]
        self.dev_id = self.dev["devId"]
        # The files the test hands to the application live in a folder both namespaces' programs can read.
        self.files = os.path.join(self.tmp, "files")
        os.mkdir(self.files, 0o755)
        self.wait(lambda: self.dev_id in {d["devId"] for d in self.app.ok({"cmd": "devices"})["devices"]},
                  LISTED_S, "the processor device listed")

    # --- helpers -------------------------------------------------------------------------------------------

    def wait(self, probe, timeout, what):
        value = self.app.wait_for(probe, timeout)
        if not value:
            self.fail("%s within %s s" % (what() if callable(what) else what, timeout))
        return value

    def programs(self):
        return self.sim.command({"cmd": "programs", "devId": self.dev_id})

    def names(self):
        return self.programs()["nameArr"]

    def notices_since(self, ms):
        return [n for n in self.app.ok({"cmd": "notices"})["notices"] if n["ms"] >= ms]

    def now(self):
        return self.app.ok({"cmd": "notices"})["nowMs"]

    def wait_notice(self, text, since, timeout=REPLY_S):
        def seen():
            return any(n["text"] == text or n["text"].startswith(text) for n in self.notices_since(since))
        self.wait(seen, timeout,
                  lambda: "the notice %r (seen: %r)" % (text, [n["text"] for n in self.notices_since(since)]))

    def click(self, name):
        self.app.ok({"cmd": "click", "object": name})

    def select(self, index):
        self.click("DspProgramForm/pb_%d" % index)

    def slot_text(self, index):
        return self.app.find("DspProgramForm/pb_%d" % index).get("text", "")

    def type_name(self, name):
        """Answers the name dialog the page opened."""
        self.wait(lambda: self.app.find("le_programName").get("visible"), REPLY_S, "the name dialog")
        self.app.ok({"cmd": "setText", "object": "le_programName", "text": name})
        self.click("pb_nameOk")
        self.wait(lambda: not self.app.find("le_programName").get("visible"), REPLY_S, "the name dialog closed")

    def choose_file(self, path):
        self.app.ok({"cmd": "chooseFile", "file": path})

    def requests(self, ops):
        return self.sim.state(self.dev_id)["requests"].get(ops, 0)

    def open_programs(self):
        self.app.ok({"cmd": "open", "devId": self.dev_id})
        self.wait(lambda: self.app.find("dsp_bt").get("visible"), REPLY_S, "the device window")
        self.click("dsp_bt")
        self.wait(lambda: self.app.find("DevDspDialog").get("visible"), REPLY_S, "the processor dialog")
        self.wait(lambda: self.app.find("blk_in_0_0").get("visible"), REPLY_S, "the configuration drawn")
        self.click("pb_program")
        self.wait(lambda: self.app.find("lb_count").get("visible"), REPLY_S, "the program page")
        self.wait(lambda: self.app.find("lb_count").get("text") == "程式数量:1", REPLY_S,
                  lambda: "the list read (%r)" % self.app.find("lb_count").get("text"))

    def screenshot(self, file_name):
        path = os.path.join(self.shots_dir, file_name)
        if os.path.exists(path):
            os.unlink(path)
        self.app.ok({"cmd": "screenshot", "object": "DevDspDialog", "window": True, "file": path})
        with open(path, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)

    # --- tests ---------------------------------------------------------------------------------------------

    def test_save_load_export_import_delete(self):
        self.open_programs()
        self.assertEqual(self.names(), ["default"])

        # Save the configuration in use as program 1.
        since = self.now()
        self.select(1)
        self.click("pb_save")
        self.type_name("Stage_A-1")
        self.wait(lambda: self.names() == ["default", "Stage_A-1"], REPLY_S,
                  lambda: "the program saved (simulator: %r)" % self.names())
        self.wait_notice("保存成功", since)
        self.wait(lambda: self.slot_text(1) == "1 Stage_A-1", REPLY_S, "the list shows it")

        # A name with a space never reaches the processor.
        saves = self.requests("saveToFile")
        since = self.now()
        self.select(2)
        self.click("pb_save")
        self.type_name("bad name")
        self.wait_notice("只能包含数字、字符或下划线", since)
        self.assertEqual(self.requests("saveToFile"), saves)

        # Load it.
        since = self.now()
        self.select(1)
        self.click("pb_load")
        self.wait(lambda: self.programs()["lastLoaded"] == "Stage_A-1", REPLY_S, "the program loaded")
        self.wait_notice("加载成功", since)
        self.wait(lambda: "Stage_A-1" in self.app.find("lb_current").get("text", ""), REPLY_S, "marked as loaded")

        # Export it: the file holds the configuration the simulator keeps for it.
        exported = os.path.join(self.files, "stage.dt")
        since = self.now()
        self.choose_file(exported)
        self.select(1)
        self.click("pb_export")
        self.wait_notice("导出成功", since)
        with open(exported, encoding="utf-8") as f:
            config = json.load(f)
        self.assertGreaterEqual(len(config["nodeArr"]), 3)
        self.assertEqual(self.programs()["sha1Arr"][1], self.sim.state(self.dev_id)["dspConfig"].get("sha1"),
                         "the loaded program and the configuration in use are one")
        self.screenshot("e2e_dsp_programs.png")

        # Import a changed copy into an empty slot under a new name.
        config["customStr"] = "imported"
        imported = os.path.join(self.files, "imported.dt")
        with open(imported, "w", encoding="utf-8") as f:
            json.dump(config, f, ensure_ascii=False)
        since = self.now()
        self.app.ok({"cmd": "answer", "button": "yes"})
        self.choose_file(imported)
        self.select(2)
        self.click("pb_import")
        self.type_name("Imported")
        self.wait(lambda: self.names() == ["default", "Stage_A-1", "Imported"], REPLY_S,
                  lambda: "the program imported (simulator: %r)" % self.names())
        self.wait_notice("导入成功", since)
        sums = self.programs()["sha1Arr"]
        self.assertNotEqual(sums[2], sums[1], "the changed configuration, not a copy of program 1")

        # Delete it (the question answered yes).
        since = self.now()
        self.select(2)
        self.click("pb_delete")
        self.wait(lambda: self.names() == ["default", "Stage_A-1"], REPLY_S,
                  lambda: "the program deleted (simulator: %r)" % self.names())
        self.wait_notice("删除成功", since)
        self.wait(lambda: self.slot_text(2) == "2", REPLY_S, "the slot empty again")

    def test_refusals_sample_rate_and_channels(self):
        self.open_programs()
        exported = os.path.join(self.files, "current.dt")
        self.app.ok({"cmd": "answer", "button": "yes"})

        # Save and export the configuration in use, then make two files of it the device cannot take.
        self.select(1)
        self.click("pb_save")
        self.type_name("Base")
        self.wait(lambda: "Base" in self.names(), REPLY_S, "the program saved")
        self.wait(lambda: self.slot_text(1) == "1 Base", REPLY_S, "the list shows it")
        since = self.now()
        self.choose_file(exported)
        self.select(1)
        self.click("pb_export")
        self.wait_notice("导出成功", since)
        with open(exported, encoding="utf-8") as f:
            config = json.load(f)

        rate = dict(config, sampleRate="96000" if config.get("sampleRate") != "96000" else "44100")
        rate_file = os.path.join(self.files, "rate.dt")
        with open(rate_file, "w", encoding="utf-8") as f:
            json.dump(rate, f)
        since = self.now()
        self.choose_file(rate_file)
        self.select(2)
        self.click("pb_import")
        self.type_name("Rate")
        self.wait(lambda: "Rate" in self.names(), REPLY_S, "the program of another rate stored")
        self.wait_notice("导入成功", since)
        self.wait(lambda: self.slot_text(2) == "2 Rate", REPLY_S, "the list shows it")

        since = self.now()
        self.select(2)
        self.click("pb_load")
        self.wait_notice(SAMPLE_RATE_TEXT, since)
        self.assertEqual(self.programs()["lastLoaded"], "default", "nothing loaded")

        # Other channel counts: refused before the processor hears of it.
        nodes = config["nodeArr"]
        first = nodes[0]
        first["commArr"] = first["commArr"] + [first["commArr"][0]]
        first["obj"]["portArr"] = first["obj"]["portArr"] + [first["obj"]["portArr"][0]]
        first["portNum"] = str(len(first["commArr"]))
        wide_file = os.path.join(self.files, "wide.dt")
        with open(wide_file, "w", encoding="utf-8") as f:
            json.dump(config, f)
        imports = self.requests("saveConfigToFile")
        since = self.now()
        self.choose_file(wide_file)
        self.select(1)
        self.click("pb_import")
        self.wait_notice(CHANNELS_TEXT, since)
        self.assertEqual(self.requests("saveConfigToFile"), imports)
        self.assertEqual(self.names(), ["default", "Base", "Rate"])


    def test_export_all_and_import_all(self):
        self.open_programs()
        self.app.ok({"cmd": "answer", "button": "yes"})
        for index, name in ((1, "First"), (2, "Second")):
            self.select(index)
            self.click("pb_save")
            self.type_name(name)
            self.wait(lambda: name in self.names(), REPLY_S, "program %s saved" % name)
            self.wait(lambda: self.slot_text(index) == "%d %s" % (index, name), REPLY_S, "the list shows it")
        before = self.programs()

        listed = os.path.join(self.files, "all.dtl")
        since = self.now()
        self.choose_file(listed)
        self.click("pb_exportAll")
        self.wait_notice("导出成功", since)
        with open(listed, encoding="utf-8") as f:
            self.assertEqual([e["name"] for e in json.load(f)["programArr"]], ["First", "Second"])

        for index in (2, 1):
            self.select(index)
            self.click("pb_delete")
            self.wait(lambda: len(self.names()) == index, REPLY_S, "program %d deleted" % index)
            self.wait(lambda: self.slot_text(index) == str(index), REPLY_S, "slot %d empty" % index)

        since = self.now()
        self.choose_file(listed)
        self.click("pb_importAll")
        self.wait(lambda: self.names() == before["nameArr"], REPLY_S,
                  lambda: "every program back (simulator: %r)" % self.names())
        self.wait_notice("导入成功", since)
        self.assertEqual(self.programs()["sha1Arr"], before["sha1Arr"], "the same configurations")

def main():
    e2etest.app_main(DspProgramsTest)


if __name__ == "__main__":
    main()
