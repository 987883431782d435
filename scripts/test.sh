#!/bin/sh
# Installs what is needed, builds, and runs every test. Extra arguments go to CMake.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TAVRIN_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" "$@"
cd "$BUILD"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
