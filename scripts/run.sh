#!/bin/sh
# Installs what is needed, builds, and runs the client against the bundled demo publisher.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TAVRIN_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh"
exec "$ROOT/scripts/demo.sh" "$BUILD"
