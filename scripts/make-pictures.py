"""Remakes the README's pictures from the real Zeltrand.exe in the private
Wine session: the dialog as an office PC shows it (docs/dialog.png) and the
detail display of a field (docs/detail.png).

    python3 scripts/make-pictures.py STATE DOCS_DIR    (sh scripts/run.sh --pictures)

The PC is tests/fixtures/registry/office_pc.reg; the program runs from a
folder whose Zeltrand.ini names the record file on the office's share, as
an administrator sets it up. Sender and server are left to the program, so
they show what a first run shows.
"""

import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e" / "harness"))

from registry_fixtures import FIXTURES  # noqa: E402
from zeltrand_e2e import Case, Session, wait_until  # noqa: E402

CPU_FIELD = 3
MEASURING = "計測中..."
EXIT_BUTTON = 27
SETTINGS = "[file]\r\nRecFile=\\\\fileserver\\inventory\\Zeltrand.csv\r\n"


def cut_out(shot, windows, target):
    """The rectangle around the windows in a screenshot, without metadata."""
    left, top = min(w.x for w in windows), min(w.y for w in windows)
    right, bottom = max(w.x + w.w for w in windows), max(w.y + w.h for w in windows)
    size = "%dx%d" % (right - left, bottom - top)
    subprocess.run(["convert", str(shot), "-crop", "%s+%d+%d" % (size, left, top), "+repage",
                    "-strip", str(target)], check=True)
    print("wrote %s (%s)" % (target, size))


def main(state, docs):
    docs.mkdir(parents=True, exist_ok=True)
    z = Case(Session(state), "pictures")
    failed = True
    try:
        z.import_reg(FIXTURES / "office_pc.reg")
        z.place("Zeltrand.ini", SETTINGS.encode("cp932"))
        z.start()
        wait_until(lambda: z.text(CPU_FIELD) != MEASURING, 20, "the CPU measurement")
        dialog = z.info()
        cut_out(z.screenshot("dialog"), [dialog], docs / "dialog.png")
        # The CPU field's text is longer than the field: a click shows it whole.
        z.pointer(CPU_FIELD, click=True)
        box = z.msgbox()
        z.driver.run("settle", box.hwnd)
        cut_out(z.screenshot("detail"), [dialog, z.info(box.hwnd)], docs / "detail.png")
        z.answer("IDOK")
        z.click(EXIT_BUTTON)
        z.wait_exit()
        failed = False
    finally:
        z.finish(failed)


if __name__ == "__main__":
    main(sys.argv[1], Path(sys.argv[2]))
