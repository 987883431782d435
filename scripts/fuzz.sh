#!/bin/sh
# Builds the libFuzzer targets with clang (folder build-fuzz, or TAVRIN_FUZZ_DIR) and runs each for
# SECONDS (default 45), starting from the test documents; a crash, leak or sanitizer report fails it.
# Findings and the inputs that crashed stay in the folder's fuzz-work/ for a look.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${1:-45}
DIR=${TAVRIN_FUZZ_DIR:-$ROOT/build-fuzz}
LAUNCHER=""
command -v ccache >/dev/null 2>&1 && LAUNCHER="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $LAUNCHER \
    -DTAVRIN_FUZZ=ON -DTAVRIN_TESTS=OFF -DTAVRIN_BENCH=OFF -DTAVRIN_TOOLS=OFF
cmake --build "$DIR" --parallel "$(nproc)" --target config_fuzz gzip_fuzz news_fuzz template_fuzz xml_fuzz

status=0
for target in config gzip news template xml; do
    work="$DIR/fuzz-work/$target"
    rm -rf "$work/corpus" && mkdir -p "$work/corpus"
    # Seeds: the documents the tests read, so the fuzzer starts from well-formed input.
    case "$target" in
    config | xml) cp "$ROOT"/tests/data/config/*.xml "$work/corpus/" ;;
    news) cp "$ROOT"/tests/data/news/*.xml "$work/corpus/" ;;
    *) ;;
    esac
    echo "== fuzz $target: ${SECONDS_EACH}s"
    if (cd "$work" && "$DIR/fuzz/${target}_fuzz" -max_total_time="$SECONDS_EACH" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 corpus >"$work/log" 2>&1); then
        grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$work/log" | tail -2
    else
        echo "fuzz $target: FAILED (see $work/log)"
        tail -30 "$work/log"
        status=1
    fi
done
exit "$status"
