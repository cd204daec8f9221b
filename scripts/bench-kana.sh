#!/bin/sh
# Times the mail text conversion against glibc's iconv, optimised and
# without sanitizers (tests/tools/kana_benchmark.cpp). Not a test.
set -eu
cd "$(dirname "$0")/.."
out=build/bench
mkdir -p $out
g++ -std=c++20 -O2 -finput-charset=UTF-8 -fexec-charset=CP932 -Isrc -c \
  src/mail/kana_widener.cpp -o $out/kana_widener.o
g++ -std=c++20 -O2 -Isrc tests/tools/kana_benchmark.cpp $out/kana_widener.o -o $out/kana_benchmark
$out/kana_benchmark
