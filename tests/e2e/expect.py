"""Comparisons between what the controller printed and what the simulator says it is, as readable differences."""

TABLES = ("rxCh", "rtpCh", "ucastRx", "ucastTx", "mcastRx", "mcastTx")
RX_TABLES = ("rxCh", "rtpCh", "ucastRx", "mcastRx")
TX_TABLES = ("ucastTx", "mcastTx")

ANNOUNCEMENT_FIELDS = (
    "devId", "name", "ip", "port", "chNumRx", "chNumTx", "ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx",
    "sampleRate", "sampleByteNum", "pFrameNum", "dscp", "delayUs", "myClkId", "gmClkId", "model", "phyChNumRx",
    "phyChNumTx", "canWork",
)
CONTROLLER_FIELDS = ANNOUNCEMENT_FIELDS + ("lifeMs", "ptpState", "ppm", "complete", "fetched", "tables")
STREAM_FIELDS = ("name", "srcIp", "dstIp", "dstPort", "chNum", "sampleByteNum", "sampleRate", "frames", "ptpClockId",
                 "rtpTsOffset")

# Next id to fetch of each table once complete, from the announced counts.
FETCHED_GOAL = {
    "rxCh": "chNumRx", "rtpCh": "chNumRx", "ucastRx": "ucastNumRx", "ucastTx": "ucastNumTx",
    "mcastRx": "mcastNumRx", "mcastTx": "mcastNumTx", "activeUcast": "ucastNumRx", "activeMcast": "mcastNumRx",
}


def _table_diff(dev_id, table, got, want):
    got_by_id = {e.get("id"): e for e in got}
    want_by_id = {e.get("id"): e for e in want}
    out = []
    for i in sorted(set(got_by_id) | set(want_by_id), key=lambda v: (v is None, v)):
        g, w = got_by_id.get(i), want_by_id.get(i)
        if g != w:
            out.append("%s %s[%s]: controller %s, simulator %s" % (dev_id, table, i, g, w))
    if not out and got != want:
        out.append("%s %s: same entries in another order or repeated: %s vs %s" % (dev_id, table, got, want))
    return out


def device_diffs(ctl_dev, sim_dev, tables=TABLES):
    """Differences in the fields both print (the announcement) and in the given tables."""
    dev_id = sim_dev.get("devId")
    out = []
    for key, want in sim_dev.items():
        if key == "tables":
            continue
        if key not in ctl_dev:
            out.append("%s: controller has no %r" % (dev_id, key))
        elif ctl_dev[key] != want:
            out.append("%s %s: controller %r, simulator %r" % (dev_id, key, ctl_dev[key], want))
    got_tables = ctl_dev.get("tables", {})
    want_tables = sim_dev.get("tables", {})
    for table in tables:
        out += _table_diff(dev_id, table, got_tables.get(table, []), want_tables.get(table, []))
    return out


def completeness_diffs(ctl_dev):
    """A controller device whose tables are not all fetched up to the announced counts."""
    out = []
    if ctl_dev.get("complete") is not True:
        out.append("%s: complete is %r" % (ctl_dev.get("devId"), ctl_dev.get("complete")))
    fetched = ctl_dev.get("fetched", {})
    for table, count_field in FETCHED_GOAL.items():
        if fetched.get(table) != ctl_dev.get(count_field):
            out.append("%s fetched.%s = %r, announced %s = %r"
                       % (ctl_dev.get("devId"), table, fetched.get(table), count_field, ctl_dev.get(count_field)))
    return out


def expected_streams(sim_devices):
    """The multicast streams that the simulated devices announce by SAP, keyed by group address."""
    out = {}
    for dev in sim_devices.values():
        for tx in dev.get("tables", {}).get("mcastTx", []):
            sdp = tx["sdp"]
            out[sdp["dstIp"]] = {
                # SAP's "s=" line ends in CRLF; the registry keeps the CR as part of the name.
                "name": tx["name"] + "\r",
                "srcIp": sdp["srcIp"],
                "dstIp": sdp["dstIp"],
                "dstPort": sdp["dstPort"],
                "chNum": sdp["chNum"],
                "sampleByteNum": sdp["sampleByteNum"],
                "sampleRate": dev["sampleRate"],
                "frames": dev["pFrameNum"],
                # A sender's media clock is referenced to its grandmaster.
                "ptpClockId": dev["gmClkId"],
                "rtpTsOffset": sdp["rtpTsOffset"],
            }
    return out


def stream_diffs(ctl_streams, want):
    out = []
    seen = {}
    for s in ctl_streams:
        if s.get("dstIp") in seen:
            out.append("stream %s listed twice" % s.get("dstIp"))
        seen[s.get("dstIp")] = s
    for dst, w in want.items():
        g = seen.get(dst)
        if g is None:
            out.append("stream %s (%r) missing" % (dst, w["name"]))
            continue
        for key in STREAM_FIELDS:
            if g.get(key) != w[key]:
                out.append("stream %s %s: controller %r, expected %r" % (dst, key, g.get(key), w[key]))
    for dst in set(seen) - set(want):
        out.append("stream %s listed but not announced: %r" % (dst, seen[dst]))
    return out
