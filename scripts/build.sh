#!/bin/sh
# Configures and builds Tavrin into a build folder (default: build). Extra arguments go to CMake.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TAVRIN_BUILD_DIR:-$ROOT/build}
LAUNCHER=""
command -v ccache >/dev/null 2>&1 && LAUNCHER="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=${TAVRIN_BUILD_TYPE:-RelWithDebInfo} $LAUNCHER "$@"
cmake --build "$BUILD" --parallel "$(nproc)"
