"""Benchmark of the summary page (not a test).

Makes a record file of PCS PCs x RECORDS records (scripts/bench/
summary-records.py; 1,000 x 250 is about 1.3 GB), then times, best of
three runs taken in turn:
  - zeltrand-summary built for release (build/bench), file to page;
  - DuckDB (@duckdb/node-api from npm, installed into build/bench/node, two
    threads) keeping each computer's latest row, on the file converted to
    UTF-8 beforehand (iconv, not timed);
  - `wc -l`, the least any reader of the file does;
then, one run, a plain Python csv reader that only reads every row (cp932)
and keeps each computer's latest row, and the page's load event in
chromium (playwright-core as the browser test installs it: run
`ctest --preset native -R browser` once first). Peak memory is each
process's maximum resident set.

With --hostile it times instead, one run each, zeltrand-summary on what a
hostile user can write into the record file: a file of every attack the
reader bounds (a 15,000-byte computer name of & with 5,000 programs, lines
over 1 MiB, a torn 3 MiB last line, 2 MB of commas, a record dated 9999,
control bytes), and 50,000 PCs of one record each.

    python3 scripts/bench/bench-summary.py [--pcs 1000] [--records 250] [--hostile]
"""

import argparse
import os
import subprocess
import sys
import time

from release_build import BUILD, ROOT, build_summary

BASELINE = r'''
import csv, sys
latest = {}
with open(sys.argv[1], newline='', encoding='cp932', errors='replace') as f:
    for row in csv.reader(f):
        if len(row) > 10 and row[1] >= latest.get(row[10], ('', ''))[1]:
            latest[row[10]] = row
print(len(latest))
'''
DUCKDB_PACKAGE = '@duckdb/node-api@1.5.6-r.1'
# The record lines hold 20 columns and the programs: 400 columns take the
# benchmark's longest line.
DUCKDB = r'''
import { DuckDBInstance } from '@duckdb/node-api';
const instance = await DuckDBInstance.create(':memory:', { threads: '2' });
const connection = await instance.connect();
const file = process.argv[2].replaceAll("'", "''");
const columns = Array.from({ length: 400 }, (_, i) => `'c${i}': 'VARCHAR'`).join(', ');
const result = await connection.runAndReadAll(`
  SELECT count(*) FROM (
    SELECT c1 AS time, c10 AS pc FROM read_csv('${file}', header = false, skip = 1,
      auto_detect = false, delim = ',', quote = '"', escape = '"', null_padding = true,
      columns = {${columns}})
    QUALIFY row_number() OVER (PARTITION BY pc ORDER BY time DESC) = 1)`);
console.log(String(result.getRows()[0][0]));
'''
LOAD = r'''
import { chromium } from 'playwright-core';
import { pathToFileURL } from 'node:url';
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
const page = await browser.newPage();
await page.goto(pathToFileURL(process.argv[2]).href, { waitUntil: 'load' });
const [nav] = await page.evaluate(() => performance.getEntriesByType('navigation').map((e) => e.loadEventEnd));
console.log(nav);
await browser.close();
'''


def run(command, cwd=None):
    """Wall seconds, processor seconds and peak resident megabytes of one run."""
    start = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, cwd=cwd)
    _, status, usage = os.wait4(process.pid, 0)
    if status != 0:
        sys.exit(f'{command[0]} failed: {status}')
    return time.monotonic() - start, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024


def record(computer, time=b'2024.05.01 08:00:00', programs=()):
    fixed = [b'', time] + [b''] * 8 + [computer] + [b''] * 9
    return b''.join(b'"%s",' % c for c in fixed + list(programs)) + b'\n'


def hostile():
    """The attacks, a file each: [(name, path)]. The bytes are let go before
    the runs: a child's peak memory counts the parent's at the fork."""
    attacks = (record(b'&' * 15000, programs=[b'p%d' % i for i in range(5000)])
               + record(b'PC01', programs=[b'x' * (3 << 20)]) * 3
               + b',' * (1 << 20) + b'\n' + b'",' * (1 << 20) + b'\n'
               + record(b'PC01', b'9999.12.31 23:59:59') + record(b'PC\x1b]0;x\x07\r\x00')
               + b'"' * (3 << 20))
    (BUILD / 'hostile-attacks.csv').write_bytes(attacks)
    del attacks
    pcs = b''.join(record(b'FAKE%05d' % i) for i in range(50000))
    (BUILD / 'hostile-pcs.csv').write_bytes(pcs)
    return (('every attack', BUILD / 'hostile-attacks.csv'),
            ('50,000 one-record PCs', BUILD / 'hostile-pcs.csv'))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--pcs', type=int, default=1000)
    parser.add_argument('--records', type=int, default=250)
    parser.add_argument('--hostile', action='store_true')
    args = parser.parse_args()
    build_summary()
    if args.hostile:
        for name, records in hostile():
            page = BUILD / 'hostile.html'
            wall, cpu, peak = run([BUILD / 'zeltrand-summary', records, page])
            print(f'{name}: file {records.stat().st_size / 1e6:.1f} MB, '
                  f'page {page.stat().st_size / 1e6:.2f} MB, '
                  f'{wall:.2f} s ({cpu:.2f} s processor), peak {peak:.0f} MB')
        return
    records = BUILD / f'records-{args.pcs}x{args.records}.csv'
    if not records.exists():
        subprocess.run([sys.executable, ROOT / 'scripts/bench/summary-records.py', records,
                        '--pcs', str(args.pcs), '--records', str(args.records)], check=True)
    utf8 = BUILD / f'records-{args.pcs}x{args.records}.utf8.csv'
    if not utf8.exists():
        with open(utf8, 'wb') as out:
            subprocess.run(['iconv', '-f', 'CP932', '-t', 'UTF-8', records], stdout=out, check=True)
    node = BUILD / 'node'
    if not (node / 'node_modules/@duckdb/node-api').exists():
        subprocess.run(['npm', 'install', '--prefix', node, DUCKDB_PACKAGE], check=True,
                       stdout=subprocess.DEVNULL)
    (node / 'latest.mjs').write_text(DUCKDB)
    page = BUILD / 'summary.html'
    size = records.stat().st_size
    commands = {
        'zeltrand-summary': ([BUILD / 'zeltrand-summary', records, page], None),
        'DuckDB, 2 threads': (['node', 'latest.mjs', utf8], node),
        'wc -l': (['wc', '-l', records], None),
    }
    best = {}
    for _ in range(3):
        for name, (command, cwd) in commands.items():
            result = run(command, cwd)
            if name not in best or result[0] < best[name][0]:
                best[name] = result
    print(f'record file: {args.pcs} PCs x {args.records} records, {size / 1e6:.0f} MB '
          f'({utf8.stat().st_size / 1e6:.0f} MB in UTF-8)')
    for name, (wall, cpu, peak) in best.items():
        print(f'{name}: {wall:.2f} s ({cpu:.2f} s processor), peak {peak:.0f} MB')
    ours = best['zeltrand-summary'][0]
    print(f'page {page.stat().st_size / 1e6:.1f} MB; DuckDB takes '
          f'{best["DuckDB, 2 threads"][0] / ours:.1f}x the time, wc -l '
          f'{best["wc -l"][0] / ours:.2f}x')
    theirs, theirs_cpu, theirs_mb = run([sys.executable, '-c', BASELINE, records])
    print(f'python csv reader: {theirs:.2f} s ({theirs_cpu:.2f} s processor), '
          f'peak {theirs_mb:.0f} MB')
    browser = ROOT / 'build/native/tests/browser'
    (browser / 'load.mjs').write_text(LOAD)
    load = subprocess.run(['node', browser / 'load.mjs', page], check=True, capture_output=True,
                          text=True).stdout.strip()
    print(f'page load event in chromium: {float(load) / 1000:.2f} s')


if __name__ == '__main__':
    main()
