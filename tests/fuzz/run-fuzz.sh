#!/bin/sh
# Runs one fuzz target for SECONDS from its committed seeds, in a scratch
# corpus so the seeds stay as committed; prints how many inputs it ran.
# SEEDS.options, when there, holds more libFuzzer options for the target
# (-len_control=0 where long inputs matter).
# Usage: run-fuzz.sh TARGET SEEDS SECONDS
set -eu
target=$1 seeds=$2 seconds=$3
options=$(cat "$seeds.options" 2>/dev/null || true)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
# shellcheck disable=SC2086 # the options are words
"$target" $options -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/" \
  -rss_limit_mb=4096 "$work/corpus" "$seeds" >"$work/log" 2>&1 || {
  tail -60 "$work/log"
  for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-*; do
    [ -f "$crash" ] && { echo "input that failed ($crash):"; od -c "$crash" | head -20; }
  done
  exit 1
}
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$work/log"
