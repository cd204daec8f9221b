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
# zeltrand-summary for a file server, built as the README writes it (no
# -Werror there: a compiler's new warning must not stop a user's build).
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELTRAND_TESTS=OFF \
  -DZELTRAND_E2E=OFF >/dev/null
cmake --build build/release --target zeltrand-summary
build/release/zeltrand-summary --version
size=$(stat -c %s build/mingw/Zeltrand.exe)
echo "Zeltrand.exe: $size bytes"
# The same core and unit tests built by clang, a second compiler's view.
cmake --preset clang >/dev/null
cmake --build --preset clang
ctest --preset clang "$@"
ctest --preset native "$@"
# Line coverage of the portable core by the unit tests. (gcovr replaces the
# file it is told to write, so it writes its report into the build tree.)
# The Wine prefixes' drive Z: is the whole file system: not searched.
gcovr --root . --filter 'src/' --exclude 'src/platform/win32/' --exclude-directories '.*/wine-' \
  --delete --print-summary \
  --txt build/native/coverage.txt build/native | grep -E '^(lines|branches):'

