#!/bin/sh
# Builds Zeltrand.exe a second time, from scratch, in another folder and at
# another time, and compares it byte for byte with the first build: two
# builds of one source must give the same exe.
#   check-reproducible.sh SOURCE_DIR FIRST_EXE WORK_DIR
set -eu
source_dir=$1
first=$2
work=$3/second-build-of-Zeltrand
rm -rf "$work"
cmake -S "$source_dir" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELTRAND_TESTS=OFF \
  --toolchain "$source_dir/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$work" --target Zeltrand -j2 >/dev/null
first_hash=$(sha256sum <"$first")
second_hash=$(sha256sum <"$work/Zeltrand.exe")
echo "first build:  $first_hash"
echo "second build: $second_hash"
[ "$first_hash" = "$second_hash" ] || { cmp -l "$first" "$work/Zeltrand.exe" | head; exit 1; }
rm -rf "$work"
