#!/bin/sh
# Builds everything and runs every test: the unit tests of the portable core
# (with sanitizers) and the end-to-end tests of Zeltrand.exe under Wine.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
cmake --preset native >/dev/null
cmake --build --preset native
size=$(stat -c %s build/mingw/Zeltrand.exe)
echo "Zeltrand.exe: $size bytes"
# The same core and unit tests built by clang, a second compiler's view.
cmake --preset clang >/dev/null
cmake --build --preset clang
ctest --preset clang "$@"
ctest --preset native "$@"
# Line coverage of the portable core by the unit tests. (gcovr replaces the
# file it is told to write, so it writes its report into the build tree.)
gcovr --root . --filter 'src/' --exclude 'src/platform/win32/' --delete --print-summary \
  --txt build/native/coverage.txt build/native | grep -E '^(lines|branches):'

