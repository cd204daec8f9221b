#!/bin/sh
# Installs the Debian packages that building and testing Zeltrand need, when
# they are missing. Runs apt only if something is missing.
set -eu
cd "$(dirname "$0")/.."

packages="cmake ninja-build g++ make googletest libgtest-dev libgmock-dev clang-format
  libcurl4-openssl-dev zlib1g-dev
  clang libclang-rt-14-dev clang-tidy cppcheck gcovr
  python3 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb xauth x11-utils locales-all fonts-ipafont-gothic imagemagick"
if [ -f scripts/e2e-deps.txt ]; then
  packages="$packages $(grep -v '^#' scripts/e2e-deps.txt | tr '\n' ' ')"
fi
# npm comes with some builds of nodejs; Debian's comes as its own package.
command -v npm >/dev/null 2>&1 || packages="$packages npm"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y --no-install-recommends $missing
