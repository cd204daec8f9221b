"""Benchmark (not a test): the latest records of PCS PCs sent to the OCS
Inventory NG server on loopback by zeltrand-summary --ocs, against Debian's
fusioninventory-injector sending the same inventories as files, in one run.

    python3 scripts/bench/bench-ocs.py [--pcs 1000] [--records 3] [--rounds 2]

The record file comes from summary-records.py (100 to 300 programs a PC).
The inventories the injector sends are the very documents zeltrand-summary
posts, caught by a small server here first. Each round empties the server's
computers before each tool and alternates which goes first; every figure is
printed, then the best of each. Needs build/native/zeltrand-summary.
"""

import argparse
import http.server
import subprocess
import sys
import tempfile
import threading
import time
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
URL = "http://127.0.0.1/ocsinventory"
SUMMARY = ROOT / "build" / "native" / "zeltrand-summary"
REPLY = zlib.compress(b"<?xml version='1.0' encoding='UTF-8'?>\n<REPLY>\n"
                      b"  <RESPONSE>NO_ACCOUNT_UPDATE</RESPONSE>\n</REPLY>\n")


def server(*args):
    return subprocess.run(["bash", str(ROOT / "scripts" / "ocs-server.sh")] + list(args),
                          check=True, capture_output=True, text=True).stdout


def computers():
    return int(server("sql", "SELECT COUNT(*) FROM hardware").strip())


def catch_documents(records, folder):
    """The documents zeltrand-summary posts, as NNNN.xml files."""
    caught = []

    class Catcher(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_POST(self):
            body = self.rfile.read(int(self.headers["Content-Length"]))
            caught.append(zlib.decompress(body))
            self.send_response(200)
            self.send_header("Content-Type", "application/x-compressed")
            self.send_header("Content-Length", str(len(REPLY)))
            self.end_headers()
            self.wfile.write(REPLY)

        def log_message(self, *args):
            pass

    httpd = http.server.HTTPServer(("127.0.0.1", 0), Catcher)
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    url = "http://127.0.0.1:%d/ocsinventory" % httpd.server_address[1]
    subprocess.run([str(SUMMARY), "--ocs", "--all", url, str(records)], check=True,
                   capture_output=True)
    httpd.shutdown()
    for i, document in enumerate(caught):
        (folder / ("%04d.xml" % i)).write_bytes(document)
    return len(caught)


def timed(name, command, pcs):
    server("reset")
    began = time.monotonic()
    result = subprocess.run(command, capture_output=True, text=True)
    seconds = time.monotonic() - began
    stored = computers()
    # The server fails a request now and then (mod_perl: "can't find
    # ANONSUB's entry"); the rate counts what it stored.
    note = "" if stored == pcs else " (%d not stored, exit code %d)" % (pcs - stored,
                                                                       result.returncode)
    print("%-28s %4d computers in %6.1f s: %6.1f a second%s" % (name, stored, seconds,
                                                                  stored / seconds, note),
          flush=True)
    return stored / seconds


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pcs", type=int, default=1000)
    parser.add_argument("--records", type=int, default=3)
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    if not SUMMARY.exists():
        sys.exit("build the native preset first: %s is missing" % SUMMARY)
    server("start")
    if subprocess.run(["sh", "-c", "command -v fusioninventory-injector"]).returncode != 0:
        subprocess.run(["apt-get", "install", "-y", "-q", "--no-install-recommends",
                        "fusioninventory-agent"], check=True)
    with tempfile.TemporaryDirectory() as tmp:
        records = Path(tmp) / "records.csv"
        subprocess.run([sys.executable, str(ROOT / "scripts" / "bench" / "summary-records.py"),
                        str(records), "--pcs", str(args.pcs), "--records", str(args.records)],
                       check=True)
        documents = Path(tmp) / "documents"
        documents.mkdir()
        if catch_documents(records, documents) != args.pcs:
            sys.exit("zeltrand-summary did not post one document a PC")
        tools = {
            "zeltrand-summary --ocs": [str(SUMMARY), "--ocs", "--all", URL, str(records)],
            "fusioninventory-injector": ["fusioninventory-injector", "-d", str(documents),
                                         "-u", URL],
        }
        best = {name: 0.0 for name in tools}
        for round_ in range(args.rounds):
            order = list(tools) if round_ % 2 == 0 else list(reversed(tools))
            for name in order:
                best[name] = max(best[name], timed(name, tools[name], args.pcs))
        server("reset")
    zeltrand, injector = best["zeltrand-summary --ocs"], best["fusioninventory-injector"]
    print("best: zeltrand-summary %.1f/s, injector %.1f/s, ratio %.2f" % (
        zeltrand, injector, zeltrand / injector))


if __name__ == "__main__":
    main()
