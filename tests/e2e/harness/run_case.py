"""Runs one end-to-end case: python3 run_case.py --state FILE CASES_FILE NAME

NAME is the part after "case_" of a function in CASES_FILE; the case gets a
fresh `zeltrand_e2e.Case` and always has its leftovers cleaned up.
`python3 run_case.py --list CASES_FILE` prints the file's case names, also
those of functions it makes from a table.
"""

import argparse
import runpy
import sys
import time
import traceback
from pathlib import Path

# The harness, and tests/e2e itself for the expected tables.
sys.path[:0] = [str(Path(__file__).resolve().parent), str(Path(__file__).resolve().parent.parent)]

from zeltrand_e2e import Case, CaseFailure, Session  # noqa: E402


def load_case(cases_file, name):
    function = runpy.run_path(str(cases_file)).get("case_" + name)
    if function is None:
        raise SystemExit("%s has no case_%s" % (cases_file, name))
    return function


def main():
    # One stream, in order, for CTest's log.
    sys.stdout.reconfigure(line_buffering=True)
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", type=Path, metavar="CASES_FILE")
    parser.add_argument("--state", type=Path)
    parser.add_argument("cases_file", type=Path, nargs="?")
    parser.add_argument("name", nargs="?")
    args = parser.parse_args()
    if args.list:
        for name in runpy.run_path(str(args.list)):
            if name.startswith("case_"):
                print(name[len("case_"):])
        return 0
    if not (args.state and args.cases_file and args.name):
        parser.error("--state, CASES_FILE and NAME are needed to run a case")
    function = load_case(args.cases_file, args.name)
    began = time.monotonic()
    case = Case(Session(args.state), args.name)
    failed = True
    try:
        function(case)
        failed = False
    except CaseFailure as failure:
        print("FAILED: %s" % failure, flush=True)
    except Exception:
        traceback.print_exc(file=sys.stdout)
    finally:
        case.finish(failed)
        print("case folder: %s" % case.folder)
        print("case time: %.2f s" % (time.monotonic() - began))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
