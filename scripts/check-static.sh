#!/bin/sh
# Static analysis of src/ with zero findings allowed: clang-tidy (the checks
# in .clang-tidy) over the portable core as the clang build compiles it, and
# cppcheck over every source. Suppress a finding only at its site, with a
# one-line reason (NOLINT(check) or cppcheck-suppress).
# Usage: check-static.sh SOURCE_DIR CLANG_BUILD_DIR
set -eu
root=$1 build=$2
cd "$root"
status=0
find "$build/escaped/src" -name '*.cpp' -not -path '*/platform/win32/*' |
  xargs -P2 -n6 clang-tidy -p "$build" --quiet 2>/dev/null >"$build/clang-tidy.log" || status=1
if [ $status -ne 0 ]; then
  grep -A3 -E 'warning:|error:' "$build/clang-tidy.log"
  echo "clang-tidy: findings above"
fi
cppcheck --std=c++20 --language=c++ --enable=warning,performance,portability --inline-suppr \
  --error-exitcode=1 --quiet -I src --suppress=missingIncludeSystem --suppress=missingInclude \
  $(find src -name '*.cpp') || { echo "cppcheck: findings above"; status=1; }
[ $status -eq 0 ] && echo "clang-tidy and cppcheck: no findings"
exit $status
