"""Benchmark (not a test): a logon storm against the OCS Inventory NG server
on loopback. SENDERS zeltrand-summary --ocs processes at once, each with
its own PCs, and then the server's database is counted against what was
sent: computers missing, programs missing, and what the senders were told.

    python3 scripts/bench/bench-ocs-storm.py [--senders 8] [--pcs 25] [--rounds 2]

Each setting starts from an empty server:
  debian          the configuration Debian's packages install
  no-cache        INVENTORY_CACHE_ENABLED 0 (the server's cache tables)
  read-committed  MariaDB's transaction isolation READ-COMMITTED
  both            the two together
each with a storm of new PCs and a second one of the same PCs (their
program names known to the server by then); and then, with the last
setting, a storm of the same PCs with FREQUENCY 1: the PCs ask first
(PROLOG) and send nothing, as at every logon after a day's first. Needs build/native/zeltrand-summary.
"""

import argparse
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
URL = "http://127.0.0.1/ocsinventory"
SUMMARY = ROOT / "build" / "native" / "zeltrand-summary"
ISOLATION = Path("/etc/mysql/mariadb.conf.d/99-zeltrand-storm.cnf")


def server(*args):
    return subprocess.run(["bash", str(ROOT / "scripts" / "ocs-server.sh")] + list(args),
                          check=True, capture_output=True, text=True).stdout


def sql(query):
    return [row.split("\t") for row in server("sql", query).splitlines()]


def set_up(cache, read_committed):
    server("stop")
    if read_committed:
        ISOLATION.write_text("[mysqld]\ntransaction-isolation = READ-COMMITTED\n")
    elif ISOLATION.exists():
        ISOLATION.unlink()
    subprocess.run(["/etc/init.d/mariadb", "restart"], check=True, capture_output=True)
    server("start")
    server("reset")
    sql("UPDATE config SET IVALUE=%d WHERE NAME='INVENTORY_CACHE_ENABLED'" % int(cache))


def split(records, senders, folder):
    """One record file a sender, the PCs dealt out in turn, each record
    dated now (the server counts its FREQUENCY from the inventory's date);
    the programs each PC sends, by computer name."""
    lines = records.read_bytes().split(b"\n")
    now = time.strftime("%Y.%m.%d %H:%M:%S").encode()
    header = lines[0]
    body = [re.sub(rb'^("(?:[^"]|"")*",)"[^"]*"', lambda m: m.group(1) + b'"' + now + b'"', line)
            for line in lines[1:] if line]
    files = []
    for k in range(senders):
        path = folder / ("sender%d.csv" % k)
        path.write_bytes(b"\n".join([header] + body[k::senders]) + b"\n")
        files.append(path)
    programs = {}
    for line in body:
        columns = line.decode("cp932").split('","')
        programs[columns[10]] = sum(1 for c in columns[20:] if c.strip('",'))
    return files, programs


def storm(files):
    began = time.monotonic()
    runs = [subprocess.Popen([str(SUMMARY), "--ocs", URL, str(f)], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True) for f in files]
    reports = [run.communicate()[0] for run in runs]
    # The lines after "送信できなかったPC:", one a PC.
    failed = sum(len(report.partition("送信できなかったPC:\n")[2].splitlines())
                 for report in reports)
    return time.monotonic() - began, failed


def count(programs):
    """Computers missing or not rewritten by this storm, and programs missing."""
    stored = dict(sql("SELECT h.NAME, COUNT(s.ID) FROM hardware h LEFT JOIN software s "
                      "ON s.HARDWARE_ID = h.ID WHERE h.USERID <> 'before' GROUP BY h.ID"))
    lost_pcs = sum(1 for name in programs if name not in stored)
    lost_programs = sum(n - int(stored.get(name, 0)) for name, n in programs.items())
    return lost_pcs, lost_programs


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--senders", type=int, default=8)
    parser.add_argument("--pcs", type=int, default=25, help="PCs a sender")
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    if not SUMMARY.exists():
        sys.exit("build the native preset first: %s is missing" % SUMMARY)
    server("start")
    settings = {"debian": (True, False), "no-cache": (False, False),
                "read-committed": (True, True), "both": (False, True)}
    with tempfile.TemporaryDirectory() as tmp:
        records = Path(tmp) / "records.csv"
        subprocess.run([sys.executable, str(ROOT / "scripts" / "bench" / "summary-records.py"),
                        str(records), "--pcs", str(args.senders * args.pcs), "--records", "1"],
                       check=True)
        files, programs = split(records, args.senders, Path(tmp))
        print("%d senders, %d PCs, %d programs" % (args.senders, len(programs),
                                                   sum(programs.values())), flush=True)
        try:
            for round_ in range(args.rounds):
                for name, (cache, read_committed) in settings.items():
                    set_up(cache, read_committed)
                    # New PCs, then the same PCs again: their program names
                    # are in the server's table of names by then.
                    for storm_name in ("new", "again"):
                        sql("UPDATE hardware SET USERID='before'")
                        seconds, failed = storm(files)
                        lost_pcs, lost_programs = count(programs)
                        print("round %d %-15s %-5s %6.1f s  computers lost %3d  programs lost "
                              "%5d  reported failed %3d" % (round_ + 1, name, storm_name, seconds,
                                                            lost_pcs, lost_programs, failed),
                              flush=True)
            sql("UPDATE config SET IVALUE=1 WHERE NAME='FREQUENCY'; "
                "UPDATE hardware SET USERID='before'")
            seconds, failed = storm(files)
            written = sql("SELECT COUNT(*) FROM hardware WHERE USERID <> 'before'")[0][0]
            print("again, FREQUENCY 1            %6.1f s  inventories written %s of %d" % (
                seconds, written, len(programs)), flush=True)
        finally:
            if ISOLATION.exists():
                ISOLATION.unlink()
            server("reset")


if __name__ == "__main__":
    main()
