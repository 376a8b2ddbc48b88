#!/bin/sh
# Installs the Debian 12 packages the build, the tests, the benchmarks and the
# fuzzers need, and only those that are missing. Needs root or sudo when
# something is missing; does nothing (and needs nothing) otherwise.
set -eu

PACKAGES="
build-essential
cmake
pkg-config
libwxgtk3.2-dev
libfontconfig-dev
xvfb
xauth
xdotool
imagemagick
fonts-dseg
libgtest-dev
libgmock-dev
libbenchmark-dev
nlohmann-json3-dev
libexpat1-dev
clang
libclang-rt-14-dev
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "need root or sudo to install:$missing" >&2; exit 1; }
    SUDO="sudo"
fi
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
