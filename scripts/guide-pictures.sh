#!/usr/bin/env bash
# Regenerates the pictures of the user guide (guide/images) from the program itself: builds and runs the offscreen
# screenshot programs the tests use, then copies the pictures the guide shows under stable names.
#   scripts/guide-pictures.sh          screenshot programs only (no network needed)
#   scripts/guide-pictures.sh --e2e    also the end-to-end tests that take screenshots of the running application
#                                      against the simulator (private network namespaces: root or user namespaces)
#   scripts/guide-pictures.sh --check  builds nothing: both guides have the same chapters, every picture they show is
#                                      there, every picture there is shown, none above 200 KB (a test runs this)
# Pictures wider than 1700 pixels are scaled down by whole steps so the PDF stays light and the text sharp;
# a picture still above 200 KB fails the run. Nothing beyond Python's standard library is used.
set -euo pipefail
cd "$(dirname "$0")/.."

e2e=0
while [ $# -gt 0 ]; do
    case "$1" in
        --e2e) e2e=1 ;;
        --check)
            exec python3 - guide <<'PY'
import os, re, sys

root = sys.argv[1]
failed = []
chapters, shown = {}, set()
for lang in ("en", "cn"):
    text = open(os.path.join(root, lang, "userguide.md"), encoding="utf-8").read()
    text = re.sub(r"^```.*?^```", "", text, flags=re.S | re.M)
    chapters[lang] = re.findall(r"^## (.+)$", text, re.M)
    for picture in re.findall(r"!\[[^\]]*\]\(\.\./images/([^)]+)\)", text):
        shown.add(picture)
        if not os.path.isfile(os.path.join(root, "images", picture)):
            failed.append("%s shows %s, which is not in guide/images" % (lang, picture))
if len(chapters["en"]) != len(chapters["cn"]):
    failed.append("chapters: %d in English, %d in Chinese" % (len(chapters["en"]), len(chapters["cn"])))
for picture in sorted(os.listdir(os.path.join(root, "images"))):
    size = os.path.getsize(os.path.join(root, "images", picture))
    if picture not in shown:
        failed.append("guide/images/%s is shown by neither guide" % picture)
    if size > 200 * 1024:
        failed.append("guide/images/%s has %d KB (at most 200)" % (picture, size // 1024))
print("guide: %d chapters in each language, %d pictures" % (len(chapters["en"]), len(shown)))
for line in failed:
    print("  " + line)
sys.exit(1 if failed else 0)
PY
            ;;
        -h|--help) sed -n 2,10p "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
    shift
done

if [ ! -f build/CMakeCache.txt ]; then
    scripts/build.sh
fi

programs=(meridane_screenshot device_screenshots routeui_screenshots
          dsp_screenshots dsp_eq_screenshots dsp_dynamics_screenshots dsp_matrix_screenshots
          dsp_channelpage_screenshots dsp_aec_screenshots dsp_fir_screenshots dsp_program_screenshots
          dsp_default_screenshots dsp_mic_screenshots
          offline_adddevscreenshots offline_archivescreenshots offline_workspacescreenshots)
targets=("${programs[@]}")
if [ "$e2e" = 1 ]; then
    targets+=(meridane meridane-sim)
fi
# The build directory is shared: one build at a time.
flock /tmp/meridane-build.lock cmake --build build --target "${targets[@]}" -j 2

shots=build/screenshots
mkdir -p "$shots"
for program in "${programs[@]}"; do
    exe=$(find build/tests -type f -perm -u+x -name "$program" | head -n 1)
    if [ -z "$exe" ]; then
        echo "guide-pictures: $program was not built" >&2
        exit 1
    fi
    echo "== $program"
    QT_QPA_PLATFORM=offscreen "$exe" >/dev/null
done

e2e_status=0
if [ "$e2e" = 1 ]; then
    # A failed test still leaves the screenshots it took; the pictures are copied and the run fails at the end.
    (cd build && ctest --output-on-failure -R '^e2e_(device_control|dsp|dsp_programs|offline|devtest|signal_tool)$') || e2e_status=$?
fi

# source picture (in build/screenshots) -> name in guide/images; "?" before a source marks one taken only by --e2e
# or by a program that may be missing: it is copied when present and kept from the last run otherwise.
python3 - "$shots" guide/images <<'PY'
import os, struct, sys, zlib

PICTURES = [
    # one picture per language where the window exists in both (the e2e runs show the application in English)
    ("main_en_10.png", "main_routing_en.png"),
    ("main_cn_10.png", "main_routing_cn.png"),
    ("main_en_30.png", "main_network_en.png"),
    ("main_cn_30.png", "main_network_cn.png"),
    ("?e2e_settings.png", "device_settings_en.png"),
    ("settings_window.png", "device_settings_cn.png"),
    ("?e2e_levels.png", "device_levels_en.png"),
    ("levels_page.png", "device_levels_cn.png"),
    ("?e2e_lock.png", "device_locked_en.png"),
    ("settings_locked.png", "device_locked_cn.png"),
    ("?e2e_stream_view.png", "stream_view_en.png"),
    ("stream_create.png", "stream_view_cn.png"),
    ("?e2e_clock.png", "clock_view_en.png"),
    ("clock_view.png", "clock_view_cn.png"),
    ("?e2e_dsp_dialog.png", "dsp_diagram_en.png"),
    ("dsp_dialog.png", "dsp_diagram_cn.png"),
    ("?e2e_dsp_matrix.png", "dsp_matrix_en.png"),
    ("dsp_matrix.png", "dsp_matrix_cn.png"),
    ("?e2e_dsp_programs.png", "dsp_programs_en.png"),
    ("dsp_programs.png", "dsp_programs_cn.png"),
    ("?e2e_offline_workspace.png", "offline_workspace_en.png"),
    ("offline_workspace.png", "offline_workspace_cn.png"),
    ("offline_add_dev_en.png", "offline_add_dev_en.png"),
    ("offline_add_dev.png", "offline_add_dev_cn.png"),
    ("archive_export_en.png", "archive_export_en.png"),
    ("archive_export.png", "archive_export_cn.png"),
    ("archive_load_preview_en.png", "archive_load_preview_en.png"),
    ("archive_load_preview.png", "archive_load_preview_cn.png"),
    # one picture for both guides
    ("device_levels.png", "main_levels.png"),
    ("manage_lock.png", "lock_dialog.png"),
    ("manage_passwd.png", "password_dialog.png"),
    ("delay_stats.png", "delay_stats.png"),
    ("clock_log.png", "clock_log.png"),
    ("matrix.png", "routing_matrix.png"),
    ("stream_view.png", "stream_tables.png"),
    ("dsp_admin_entry.png", "dsp_admin_entry.png"),
    ("dsp_eq_editor.png", "dsp_eq_editor.png"),
    ("dsp_eq_single.png", "dsp_eq_single.png"),
    ("dsp_compress.png", "dsp_compress.png"),
    ("dsp_channel_page.png", "dsp_channel_volume.png"),
    ("dsp_aec.png", "dsp_aec.png"),
    ("dsp_automix.png", "dsp_automix.png"),
    ("dsp_ducker.png", "dsp_ducker.png"),
    ("dsp_fir.png", "dsp_fir.png"),
    ("dsp_channel_programs.png", "dsp_channel_programs.png"),
    ("dsp_default_preview.png", "dsp_default_preview.png"),
    ("dsp_mic_control.png", "dsp_mic_control.png"),
    ("offline_workspace_leave.png", "offline_leave.png"),
    # the service tools
    ("?test_page.png", "device_test_page.png"),
    ("?e2e_devtest.png", "device_test_page_en.png"),
    ("?e2e_signal_tool.png", "signal_tool.png"),
]
MAX_WIDTH = 1700
MAX_BYTES = 200 * 1024


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, head = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            head = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = head
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError("only 8-bit RGB or RGBA, not interlaced")
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if f == 1:
            for i in range(channels, stride):
                line[i] = (line[i] + line[i - channels]) & 255
        elif f == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 255
        elif f == 3:
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 255
        elif f == 4:
            for i in range(stride):
                a = line[i - channels] if i >= channels else 0
                b = prev[i]
                c = prev[i - channels] if i >= channels else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, channels, rows


def shrink(width, height, channels, rows, step):
    """Box filter: each output pixel is the mean of a step x step block."""
    w, h = width // step, height // step
    out = []
    for y in range(h):
        block = rows[y * step:(y + 1) * step]
        line = bytearray(w * channels)
        for x in range(w):
            for c in range(channels):
                total = 0
                for r in block:
                    total += sum(r[(x * step + k) * channels + c] for k in range(step))
                line[x * channels + c] = total // (step * step)
        out.append(line)
    return w, h, out


def write_png(path, width, channels, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    # Filter "up" on every row: simple, and screenshots of flat areas compress well with it.
    raw, prev = bytearray(), bytearray(width * channels)
    for line in rows:
        raw.append(2)
        raw += bytes((a - b) & 255 for a, b in zip(line, prev))
        prev = line
    head = struct.pack(">IIBBBBB", width, len(rows), 8, 2 if channels == 3 else 6, 0, 0, 0)
    with open(path + ".tmp", "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))
    os.replace(path + ".tmp", path)


source_dir, target_dir = sys.argv[1], sys.argv[2]
failed = False
for source, target in PICTURES:
    optional = source.startswith("?")
    source = source.lstrip("?")
    src = os.path.join(source_dir, source)
    dst = os.path.join(target_dir, target)
    if not os.path.exists(src):
        if optional and os.path.exists(dst):
            print("kept      %s (no new %s)" % (target, source))
            continue
        print("missing   %s (wanted as %s)" % (source, target))
        failed = True
        continue
    width, height, channels, rows = read_png(src)
    step = 1
    while width // step > MAX_WIDTH:
        step += 1
    if step > 1:
        width, height, rows = shrink(width, height, channels, rows, step)
    write_png(dst, width, channels, rows)
    size = os.path.getsize(dst)
    print("%-9s %s <- %s (%dx%d, %d KB)" % ("written", target, source, width, height, size // 1024))
    if size > MAX_BYTES:
        print("  above %d KB" % (MAX_BYTES // 1024))
        failed = True
sys.exit(1 if failed else 0)
PY
if [ "$e2e_status" != 0 ]; then
    echo "guide-pictures: an end-to-end test failed (see above); pictures it did not take are from an earlier run" >&2
    exit 1
fi
