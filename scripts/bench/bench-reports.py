#!/usr/bin/env python3
"""Benchmark of the product-number search (not a test).

Runs, side by side in one private Wine prefix with a warm wineserver:
  - `reg query HKLM\\Software /s` (the platform's own walk, as a process,
    less the start of a `reg` that finds nothing),
  - a minimal in-process walk and the product-number search
    (build/mingw/regwalk_bench_win32.exe, best of several rounds),
first on the prefix as wineboot made it, then with a generated tree of
50,000 keys and 200,000 values imported under HKLM\\Software.

    python3 scripts/bench/bench-reports.py [--keep DIR]

Absolute times swing between runs on a shared machine; the ratios, measured
side by side, are the figures that hold.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
TOOL = ROOT / "build" / "mingw" / "regwalk_bench_win32.exe"
ROUNDS = 7


def wine_env(prefix, home):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("LC_", "WINE")) and k not in ("DISPLAY", "HOME")}
    env.update({"HOME": str(home), "WINEPREFIX": str(prefix), "WINEARCH": "win64",
                "WINEDEBUG": "-all", "LANG": "ja_JP.UTF-8",
                "WINEDLLOVERRIDES": "winemenubuilder.exe=d;mscoree=d;mshtml=d"})
    return env


def timed(command, env, check=True):
    start = time.perf_counter()
    result = subprocess.run(command, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    if check and result.returncode != 0:
        sys.exit("%s failed with %d" % (" ".join(command), result.returncode))
    return elapsed, result.stdout


def best_of(command, env, times=2, check=True):
    timed(command, env, check)  # warm
    return min(timed(command, env, check)[0] for _ in range(times))


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


def measure(label, env, work):
    start_only = best_of(["wine", "reg", "query", r"HKLM\Software\ZeltrandNoSuchKey"], env,
                         check=False)
    reg_query = best_of(["wine", "reg", "query", r"HKLM\Software", "/s"], env)
    _, output = timed(["wine", str(work / TOOL.name), "Software", str(ROUNDS)], env)
    text = output.decode("utf-8", "replace")
    print(text, end="")
    best = re.search(r"best: minimal walk ([\d.]+) ms \(same keys\), ([\d.]+) ms \(whole tree\); "
                     r"product search ([\d.]+) ms", text)
    same, whole, search = (float(best.group(i)) for i in (1, 2, 3))
    counts = re.search(r"over (\d+) keys and (\d+) values the search visits, [\d.]+ ms over "
                       r"all (\d+) keys and (\d+) values", text)
    reg_ms = (reg_query - start_only) * 1000
    print("%s: HKLM\\Software has %s keys and %s values; the search visits %s keys and %s values"
          % (label, counts.group(3), counts.group(4), counts.group(1), counts.group(2)))
    print("  reg query /s                       %8.1f ms (%.1f ms as a process, %.1f ms of it "
          "starting)" % (reg_ms, reg_query * 1000, start_only * 1000))
    print("  minimal walk, keys the search visits %8.1f ms" % same)
    print("  minimal walk, whole tree           %8.1f ms" % whole)
    print("  product search                     %8.1f ms" % search)
    print("  search / minimal walk (same keys)  %8.3f" % (search / same))
    print("  search / minimal walk (whole tree) %8.3f" % (search / whole))
    print("  search / reg query                 %8.3f" % (search / reg_ms))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--keep", help="work in this folder and keep it")
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
    try:
        subprocess.run(["wineboot", "-i"], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        # A persistent server keeps the registry warm between the runs.
        subprocess.run(["wineserver", "-w"], env=env, check=True)
        subprocess.run(["wineserver", "-p"], env=env, check=True)
        measure("default prefix", env, work)
        reg = work / "large.reg"
        keys, values = large_tree(reg)
        start = time.perf_counter()
        subprocess.run(["wine", "reg", "import", "Z:" + str(reg).replace("/", "\\")], env=env,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        print("imported %d keys and %d values in %.0f s"
              % (keys, values, time.perf_counter() - start))
        measure("default prefix + large tree", env, work)
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        subprocess.run(["wineserver", "-w"], env=env)
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
