#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Zelvora and its data, then either
# starts the program (./dev.sh run), runs every test (./dev.sh test), makes
# the Debian package (./dev.sh package), runs the fuzz targets
# (./dev.sh fuzz SECONDS), the benchmarks (./dev.sh bench [REPETITIONS]) or a
# long random session checked against its model (./dev.sh soak [STEPS] [SEED]).
set -euo pipefail

cd "$(dirname "$0")"
BUILD_DIR=${ZELVORA_BUILD_DIR:-build}
PACKAGES=(cmake make g++ qt6-base-dev qt6-svg-dev fonts-liberation poppler-utils python3
          qt6-translations-l10n xvfb x11-utils dbus-daemon at-spi2-core
          dpkg-dev file desktop-file-utils appstream libsqlite3-dev
          libminizip-dev libxlsxwriter-dev)
# Only ./dev.sh fuzz needs these: clang (Debian 12: clang 14) with libFuzzer
# and the sanitizers' run-time libraries.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# Only ./dev.sh package needs this: Debian's package checker.
PACKAGE_PACKAGES=(lintian)

install_missing() {
    local missing=()
    for pkg in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

build() {
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$BUILD_DIR" -j "$(nproc)"
}

# The suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer
# in a folder of its own; any report ends the process and fails its test.
# Unoptimised, with line tables only: the build takes half the time it takes
# at -O1 with full debug information, the suite a few seconds more, and a
# report still names every function and line.
sanitized_tests() {
    local dir="$BUILD_DIR-sanitize"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1" \
          -DZELVORA_SANITIZE=ON -DZELVORA_BUILD_BENCH=OFF
    cmake --build "$dir" -j "$(nproc)"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
        ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
}

# Builds every fuzz target in its own folder with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, then runs each for SECONDS
# on its corpus: the seeds the data compiler makes, the inputs kept in
# tests/fuzz_corpus/<target>/ and what earlier runs found (build-fuzz/corpus).
# An input that makes a target fail is left in build-fuzz/findings/<target>/.
fuzz() {
    local seconds=$1
    # Absolute, as a target may change the current folder while it runs.
    local dir
    dir=$(realpath -m "$BUILD_DIR-fuzz")
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DZELVORA_FUZZ=ON
    cmake --build "$dir" -j "$(nproc)"
    "$dir/bin/fuzz_make_seeds" "$dir/seeds"
    local failed=() target
    for target in record_file locality_files prefix_index street_files house_evidence csv compile session window_session xlsx ods \
                  list address names streets; do
        mkdir -p "$dir/corpus/$target" "$dir/findings/$target" "tests/fuzz_corpus/$target"
        echo "== $target: $seconds s"
        if LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
            "$dir/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
                -dict="$PWD/fuzz/zelvora.dict" -artifact_prefix="$dir/findings/$target/" \
                "$dir/corpus/$target" "$dir/seeds/$target" "$PWD/tests/fuzz_corpus/$target" \
                > "$dir/findings/$target.log" 2>&1; then
            grep -aE '^#[0-9]+[[:space:]]+DONE|^Done ' "$dir/findings/$target.log" || true
        else
            failed+=("$target")
            tail -n 30 "$dir/findings/$target.log"
        fi
    done
    if [ ${#failed[@]} -gt 0 ]; then
        echo "Fuzz targets that found a fault: ${failed[*]} (inputs in $dir/findings/)" >&2
        return 1
    fi
}

# A release build in a folder of its own, then every benchmark: one table,
# also written to build-bench/bench.csv. Benchmarks are run by hand only.
bench() {
    local dir="$BUILD_DIR-bench"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$dir" -j "$(nproc)" --target bench_ratios bench_startup bench_bare_window bench_make_large_set bench_list_window zelvora_data zelvora-cerca
    python3 bench/run_bench.py "$dir" "$@"
}

# A long random session on the windows over the bundled data, checked after
# every step against the model; prints the steps done, the mismatches and the
# resident memory at the start, after the warm-up and at the end.
soak() {
    local steps=${1:-100000} seed=${2:-1}
    [[ "$steps" =~ ^[0-9]+$ && "$seed" =~ ^[0-9]+$ ]] || { echo "usage: $0 soak [STEPS] [SEED]" >&2; exit 2; }
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$BUILD_DIR" -j "$(nproc)" --target soak_session zelvora_data
    "$BUILD_DIR/tests/soak_session" "$steps" "$seed" "$BUILD_DIR/bin"
}

case "${1:-}" in
run)
    install_missing
    build
    exec "$BUILD_DIR/bin/zelvora"
    ;;
test)
    install_missing
    build
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
    sanitized_tests
    ;;
package)
    install_missing "${PACKAGE_PACKAGES[@]}"
    build
    (cd "$BUILD_DIR" && cpack -G DEB)
    ls "$BUILD_DIR"/zelvora_*.deb "$BUILD_DIR"/zelvora-data_*.deb
    # Every error and warning is a fault.
    lintian --fail-on error,warning "$BUILD_DIR"/zelvora_*.deb "$BUILD_DIR"/zelvora-data_*.deb
    ;;
fuzz)
    [[ "${2:-}" =~ ^[0-9]+$ ]] || { echo "usage: $0 fuzz SECONDS" >&2; exit 2; }
    install_missing "${FUZZ_PACKAGES[@]}"
    fuzz "$2"
    ;;
bench)
    install_missing
    shift
    bench "$@"
    ;;
soak)
    install_missing
    shift
    soak "$@"
    ;;
*)
    echo "usage: $0 run|test|package|fuzz SECONDS|bench [REPETITIONS]|soak [STEPS] [SEED]" >&2
    exit 2
    ;;
esac
