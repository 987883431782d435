#!/bin/sh
# Installs the Debian packages Tavrin needs to build, test and run (clang and its runtime libraries,
# libFuzzer among them, for the fuzz targets). Safe to run again.
set -eu

PACKAGES="build-essential cmake ninja-build pkg-config ccache
 qt6-base-dev qt6-webengine-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
 libgl-dev libxkbcommon-dev
 libcurl4-openssl-dev libxml2-dev zlib1g-dev libcpp-httplib-dev
 libgtest-dev libgmock-dev libbenchmark-dev
 xvfb xauth x11-utils imagemagick curl trayer xdotool python3 libxml2-utils
 clang libclang-rt-dev"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
echo "Installing:$missing"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# shellcheck disable=SC2086
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
