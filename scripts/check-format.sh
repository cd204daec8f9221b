#!/bin/sh
# Fails when a C++ source is not formatted as .clang-format says.
cd "${1:-.}" || exit 2
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests -name '*.cpp' -o -name '*.h')
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files && echo "formatting: clean"
