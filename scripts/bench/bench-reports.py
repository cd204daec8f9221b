"""Benchmark of the product-number search (not a test).

Runs, side by side in one private Wine prefix with a warm wineserver:
  - `reg query HKLM\\Software /s` (the platform's own walk),
  - a minimal walk (open every key, enumerate values into 256-byte buffers
    and sub-keys), over the keys the search visits and over the whole tree,
  - the product-number search,
the last three in process by build/mingw/regwalk_bench_win32.exe; first on
the prefix as wineboot made it, then with a generated tree of 50,000 keys
and 200,000 values imported under HKLM\\Software.

    python3 scripts/bench/bench-reports.py [--keep DIR] [--rounds N]

Each walk is charged the processor time of its process and of the
wineserver, less that of a process that walks nothing; wall times swing
tenfold on a shared machine, processor times much less. The best of the
rounds counts, and the ratios are the figures that hold.
"""

import argparse
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
TOOL = ROOT / "build" / "mingw" / "regwalk_bench_win32.exe"
TICKS = os.sysconf("SC_CLK_TCK")


def wine_env(prefix, home):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("LC_", "WINE")) and k not in ("DISPLAY", "HOME")}
    env.update({"HOME": str(home), "WINEPREFIX": str(prefix), "WINEARCH": "win64",
                "WINEDEBUG": "-all", "LANG": "ja_JP.UTF-8",
                "WINEDLLOVERRIDES": "winemenubuilder.exe=d;mscoree=d;mshtml=d"})
    return env


class Server:
    """The prefix's persistent wineserver, run in the foreground as our
    child so that its processor time can be read."""

    def __init__(self, env):
        self.process = subprocess.Popen(["wineserver", "-f", "-p"], env=env)
        time.sleep(1)

    def cpu(self):
        fields = Path("/proc/%d/stat" % self.process.pid).read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def run(command, env, server):
    """(wall seconds, processor seconds, stdout) of one run."""
    cpu_before, wall_before = children_cpu() + server.cpu(), time.perf_counter()
    result = subprocess.run(command, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - wall_before
    cpu = children_cpu() + server.cpu() - cpu_before
    return wall, cpu, result.stdout.decode("utf-8", "replace")


def large_tree(path, vendors=100, products=50, parts=10):
    """Software\\ZeltrandBench\\V<n>\\P<n>\\Part<n>, four values in each part:
    two that the search reports, two that it does not."""
    keys = values = 0
    with open(path, "w", encoding="cp932", newline="\r\n") as out:
        out.write("REGEDIT4\n\n")
        for v in range(vendors):
            for p in range(products):
                for part in range(parts):
                    out.write("[HKEY_LOCAL_MACHINE\\Software\\ZeltrandBench\\V%03d\\P%03d\\Part%02d]\n"
                              '"DisplayName"="Product %d-%d part %d"\n'
                              '"InstallDir"="C:\\\\Program Files\\\\V%03d\\\\P%03d"\n'
                              '"VersionMajor"=dword:%08x\n'
                              '"Flags"=dword:00000001\n\n'
                              % (v, p, part, v, p, part, v, p, part))
                    keys += 1
                    values += 4
                keys += 1
            keys += 1
    return keys + 1, values


def measure(label, env, server, work, rounds):
    tool = ["wine", str(work / TOOL.name)]
    commands = {
        "none": tool + ["none"],
        "same": tool + ["same", "Software"],
        "whole": tool + ["whole", "Software"],
        "search": tool + ["search", "Software"],
        "reg start": ["wine", "reg", "query", r"HKLM\Software\ZeltrandNoSuchKey"],
        "reg query": ["wine", "reg", "query", r"HKLM\Software", "/s"],
    }
    best = {name: (float("inf"), float("inf")) for name in commands}
    output = {}
    for name, command in commands.items():  # warm every path once
        output[name] = run(command, env, server)[2]
    for _ in range(rounds):
        for name, command in commands.items():
            wall, cpu, _ = run(command, env, server)
            best[name] = (min(best[name][0], wall), min(best[name][1], cpu))

    def net(name, start):
        return tuple(1000 * (best[name][i] - best[start][i]) for i in (0, 1))

    figures = {"reg query /s": net("reg query", "reg start"),
               "minimal walk, keys the search visits": net("same", "none"),
               "minimal walk, whole tree": net("whole", "none"),
               "product search": net("search", "none")}
    same = re.search(r"(\d+) keys, (\d+) values", output["same"])
    whole = re.search(r"(\d+) keys, (\d+) values", output["whole"])
    print("%s: HKLM\\Software has %s keys and %s values; the search visits %s keys and %s "
          "values" % (label, whole.group(1), whole.group(2), same.group(1), same.group(2)))
    print("  %-46s %12s %12s" % ("best of %d, less process start" % rounds, "processor ms",
                                 "wall ms"))
    for name, (wall, cpu) in figures.items():
        print("  %-46s %12.0f %12.0f" % (name, cpu, wall))
    search = figures["product search"]
    for name in ("minimal walk, keys the search visits", "minimal walk, whole tree",
                 "reg query /s"):
        print("  %-46s %12.3f %12.3f" % ("search / " + name, search[1] / figures[name][1],
                                         search[0] / figures[name][0]))
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--keep", help="work in this folder and keep it")
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    if not TOOL.exists():
        sys.exit("build the mingw preset first: %s is missing" % TOOL)
    work = Path(args.keep or tempfile.mkdtemp(prefix="zeltrand-bench-"))
    work.mkdir(parents=True, exist_ok=True)
    home = work / "home"
    home.mkdir(exist_ok=True)
    prefix = work / "prefix"
    env = wine_env(prefix, home)
    shutil.copy2(TOOL, work / TOOL.name)
    server = None
    try:
        subprocess.run(["wineboot", "-i"], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        # A persistent server keeps the registry warm between the runs.
        subprocess.run(["wineserver", "-w"], env=env, check=True)
        server = Server(env)
        measure("default prefix", env, server, work, args.rounds)
        reg = work / "large.reg"
        keys, values = large_tree(reg)
        start = time.perf_counter()
        subprocess.run(["wine", "reg", "import", "Z:" + str(reg).replace("/", "\\")], env=env,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        print("imported %d keys and %d values in %.0f s"
              % (keys, values, time.perf_counter() - start))
        measure("default prefix + large tree", env, server, work, args.rounds)
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        subprocess.run(["wineserver", "-w"], env=env)
        if server:
            server.process.wait(timeout=60)
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
