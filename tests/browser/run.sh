#!/bin/sh
# The browser test of the summary page: makes the page of the fixture with
# zeltrand-summary and drives chromium over it. playwright-core comes from
# npm into the build tree (the lock file pins it); it downloads no browser.
# A missing chromium or node fails the test, never skips it.
#   run.sh ZELTRAND_SUMMARY WORK_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$2
mkdir -p "$work"
cp "$here/package.json" "$here/package-lock.json" "$here/summary.mjs" "$work/"
if ! cmp -s "$here/package-lock.json" "$work/node_modules/.installed-lock.json"; then
  (cd "$work" && npm ci --no-audit --no-fund --silent)
  cp "$here/package-lock.json" "$work/node_modules/.installed-lock.json"
fi
"$1" "$here/../fixtures/summary/records.csv" "$work/summary.html"
node "$work/summary.mjs" "$work/summary.html" "$work/summary.png" "$work/pc.png"
