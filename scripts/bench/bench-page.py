"""Benchmark of the summary page in a browser (not a test).

Makes a record file of PCS PCs x RECORDS records of PROGRAMS programs each
(scripts/bench/summary-records.py; 10,000 x 3 x 120 is about 95 MB), its
page with zeltrand-summary built for release (build/bench), and times in
Debian's chromium, headless (bench-page.mjs, with playwright-core as the
browser test installs it: run `ctest --preset native -R browser` once
first), TRIES times: the load and each keystroke of a few filters.

    python3 scripts/bench/bench-page.py [--pcs 10000] [--records 3] [--programs 120] [--tries 3]
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

from release_build import BUILD, ROOT, build_summary


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--pcs', type=int, default=10000)
    parser.add_argument('--records', type=int, default=3)
    parser.add_argument('--programs', type=int, default=120)
    parser.add_argument('--tries', type=int, default=3)
    args = parser.parse_args()
    build_summary()
    records = BUILD / f'records-{args.pcs}x{args.records}x{args.programs}.csv'
    if not records.exists():
        subprocess.run([sys.executable, ROOT / 'scripts/bench/summary-records.py', records,
                        '--pcs', str(args.pcs), '--records', str(args.records),
                        '--programs', str(args.programs)], check=True)
    page = BUILD / 'page.html'
    start = time.monotonic()
    process = subprocess.Popen([BUILD / 'zeltrand-summary', records, page])
    _, status, usage = os.wait4(process.pid, 0)
    if status != 0:
        sys.exit(f'zeltrand-summary failed: {status}')
    print(f'record file {records.stat().st_size / 1e6:.0f} MB; zeltrand-summary '
          f'{time.monotonic() - start:.2f} s, peak {usage.ru_maxrss / 1024:.0f} MB, '
          f'page {page.stat().st_size / 1e6:.1f} MB')
    browser = ROOT / 'build/native/tests/browser'
    shutil.copy(ROOT / 'scripts/bench/bench-page.mjs', browser)
    subprocess.run(['node', browser / 'bench-page.mjs', page, str(args.tries)], check=True)


if __name__ == '__main__':
    main()
