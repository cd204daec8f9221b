#!/bin/sh
# Fuzzes one target for longer than the test run does.
# Usage: scripts/fuzz.sh TARGET SECONDS   (TARGET: profile, import, ...;
# the targets are tests/fuzz/*_fuzz.cpp)
set -eu
cd "$(dirname "$0")/.."
[ $# -eq 2 ] || { echo "usage: $0 TARGET SECONDS"; ls tests/fuzz/*_fuzz.cpp; exit 2; }
scripts/install-deps.sh
cmake --preset clang >/dev/null
cmake --build --preset clang --target "fuzz_$1"
exec sh tests/fuzz/run-fuzz.sh "build/clang/tests/fuzz/fuzz_$1" "tests/fuzz/corpus/$1" "$2"
