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


def cut_out(shot, window, target):
    """The window's rectangle of a screenshot, without metadata."""
    subprocess.run(["convert", str(shot), "-crop", "%dx%d+%d+%d" % (window.w, window.h,
                                                                 window.x, window.y),
                    "+repage", "-strip", str(target)], check=True)
    print("wrote %s (%dx%d)" % (target, window.w, window.h))


def main(state, docs):
    docs.mkdir(parents=True, exist_ok=True)
    z = Case(Session(state), "pictures")
    failed = True
    try:
        z.import_reg(FIXTURES / "office_pc.reg")
        z.place("Zeltrand.ini", SETTINGS.encode("cp932"))
        z.start()
        wait_until(lambda: z.text(CPU_FIELD) != MEASURING, 20, "the CPU measurement")
        cut_out(z.screenshot("dialog"), z.info(), docs / "dialog.png")
        z.click(EXIT_BUTTON)
        z.wait_exit()
        failed = False
    finally:
        z.finish(failed)


if __name__ == "__main__":
    main(sys.argv[1], Path(sys.argv[2]))
