#!/bin/sh
# Starts the demo publisher and the client together. Without a display it runs both under Xvfb and
# saves screenshots of the screen to SCREENSHOTS (default BUILD_DIR/screenshots).
# Ends on Ctrl-C, or after TAVRIN_DEMO_SECONDS seconds when that is set.
set -eu
BUILD=${1:?usage: demo.sh BUILD_DIR}
BUILD=$(cd "$BUILD" && pwd)
PORT=${TAVRIN_DEMO_PORT:-8642}
SHOTS=${TAVRIN_SCREENSHOTS:-$BUILD/screenshots}
SECONDS_TO_RUN=${TAVRIN_DEMO_SECONDS:-}

PUBLISHER=""
CLIENT=""
XVFB=""
TRAYER=""
cleanup() {
    trap - EXIT INT TERM
    # The client exits in order on SIGTERM: window rectangle saved, temporary files removed.
    if [ -n "$CLIENT" ]; then
        kill -TERM "$CLIENT" 2>/dev/null || true
        wait "$CLIENT" 2>/dev/null || true
    fi
    [ -n "$PUBLISHER" ] && kill "$PUBLISHER" 2>/dev/null || true
    [ -n "$TRAYER" ] && kill "$TRAYER" 2>/dev/null || true
    [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 0' INT TERM

"$BUILD/tools/tavrin-publisher" --port "$PORT" &
PUBLISHER=$!

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # No screen: a virtual one on the first free display number.
    N=99
    while [ -e "/tmp/.X11-unix/X$N" ] || [ -e "/tmp/.X$N-lock" ]; do N=$((N + 1)); done
    Xvfb ":$N" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB=$!
    export DISPLAY=":$N"
    i=0
    while [ ! -e "/tmp/.X11-unix/X$N" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    mkdir -p "$SHOTS"
    echo "No display: running under Xvfb on $DISPLAY; screenshots go to $SHOTS"
    # A notification area on the virtual screen, so the client's icon shows in the screenshots.
    if command -v trayer >/dev/null; then
        trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 --transparent false \
            --tint 0x303030 >/dev/null 2>&1 &
        TRAYER=$!
    fi
fi

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
"$BUILD/src/tavrin" &
CLIENT=$!

elapsed=0
shot=0
while kill -0 "$CLIENT" 2>/dev/null; do
    if [ -n "$SECONDS_TO_RUN" ] && [ "$elapsed" -ge "$SECONDS_TO_RUN" ]; then break; fi
    sleep 1
    elapsed=$((elapsed + 1))
    # Under Xvfb: a screenshot once the window had time to appear, then one every 10 seconds.
    if [ -n "$XVFB" ] && [ "$elapsed" -ge 10 ] && [ $((elapsed % 10)) -eq 0 ] && command -v import >/dev/null; then
        shot=$((shot + 1))
        import -window root "$SHOTS/tavrin-$shot.png" 2>/dev/null && cp "$SHOTS/tavrin-$shot.png" "$SHOTS/latest.png"
        echo "screenshot: $SHOTS/tavrin-$shot.png"
    fi
done
