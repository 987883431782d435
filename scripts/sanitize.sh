#!/bin/sh
# Builds and runs the tests under the sanitizers: AddressSanitizer + UBSan (core and GUI tests) in
# build-asan, ThreadSanitizer (core tests; the web engine is not instrumented) in build-tsan.
# The folders can be chosen with TAVRIN_ASAN_DIR and TAVRIN_TSAN_DIR; extra arguments go to CMake.
# TAVRIN_SANITIZE_GUI=0 leaves the GUI tests out of the AddressSanitizer run too (what CI does).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ASAN_DIR=${TAVRIN_ASAN_DIR:-$ROOT/build-asan}
TSAN_DIR=${TAVRIN_TSAN_DIR:-$ROOT/build-tsan}
JOBS=$(nproc)
LAUNCHER=""
command -v ccache >/dev/null 2>&1 && LAUNCHER="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
# The test programs install their own sanitizer settings and suppression files (tests/main/*/main.cpp).
status=0

# Configures DIR with the sanitizer option and runs the core tests built there (chained: the caller's
# "|| status=1" turns off set -e inside).
core_tests() {
    dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=${TAVRIN_BUILD_TYPE:-RelWithDebInfo} $LAUNCHER \
        -DTAVRIN_WERROR=ON -DTAVRIN_BENCH=OFF "$@" &&
        cmake --build "$dir" --parallel "$JOBS" --target tavrin_core_tests &&
        (cd "$dir" && ctest --output-on-failure --parallel "$JOBS" --timeout 300 -E '^tavrin_gui_tests')
}

echo "== AddressSanitizer + UndefinedBehaviorSanitizer: $ASAN_DIR"
if [ "${TAVRIN_SANITIZE_GUI:-1}" = 0 ]; then
    core_tests "$ASAN_DIR" -DTAVRIN_ASAN=ON "$@" || status=1
else
    TAVRIN_BUILD_DIR="$ASAN_DIR" "$ROOT/scripts/build.sh" -DTAVRIN_ASAN=ON -DTAVRIN_WERROR=ON -DTAVRIN_BENCH=OFF "$@"
    (cd "$ASAN_DIR" && ctest --output-on-failure --parallel "$JOBS" --timeout 300) || status=1
fi

echo "== ThreadSanitizer (core tests): $TSAN_DIR"
core_tests "$TSAN_DIR" -DTAVRIN_TSAN=ON "$@" || status=1

[ "$status" -eq 0 ] && echo "sanitizers: all tests passed" || echo "sanitizers: failures above"
exit "$status"
