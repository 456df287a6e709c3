#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Zelvora and its data, then either
# starts the program (./dev.sh run), runs every test (./dev.sh test) or makes
# the Debian package (./dev.sh package).
set -euo pipefail

cd "$(dirname "$0")"
BUILD_DIR=${ZELVORA_BUILD_DIR:-build}
PACKAGES=(cmake make g++ qt6-base-dev qt6-svg-dev fonts-liberation poppler-utils python3
          qt6-translations-l10n xvfb x11-utils dbus-daemon at-spi2-core
          dpkg-dev file desktop-file-utils appstream)

install_missing() {
    local missing=()
    for pkg in "${PACKAGES[@]}"; do
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
sanitized_tests() {
    local dir="$BUILD_DIR-sanitize"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
          -DZELVORA_SANITIZE=ON -DZELVORA_BUILD_BENCH=OFF
    cmake --build "$dir" -j "$(nproc)"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
        ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
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
    install_missing
    build
    (cd "$BUILD_DIR" && cpack -G DEB)
    ls "$BUILD_DIR"/zelvora_*.deb
    ;;
*)
    echo "usage: $0 run|test|package" >&2
    exit 2
    ;;
esac
