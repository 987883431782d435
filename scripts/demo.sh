#!/bin/sh
# Starts the demo publisher and the client together; without a display, runs under Xvfb and takes screenshots.
set -eu
BUILD=${1:?usage: demo.sh BUILD_DIR}
PORT=${TAVRIN_DEMO_PORT:-8642}
if [ -x "$BUILD/tools/tavrin-publisher" ]; then
    "$BUILD/tools/tavrin-publisher" --port "$PORT" &
    PUBLISHER=$!
    trap 'kill $PUBLISHER 2>/dev/null || true' EXIT INT TERM
fi
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
"$BUILD/src/tavrin"
