"""Starts Zeltrand.exe in the private Wine session, takes a screenshot of its
dialog, prints where it is and closes the program again."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e" / "harness"))

from zeltrand_e2e import Case, Session  # noqa: E402


def main(state):
    case = Case(Session(state), "run")
    try:
        case.start()
        shot = case.screenshot("dialog")
        print("Zeltrand is running on a virtual display; its dialog: %s" % shot)
        case.click(27)
        case.wait_exit()
    finally:
        case.finish(False)


if __name__ == "__main__":
    main(sys.argv[1])
