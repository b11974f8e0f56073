#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Exits non-zero on any failure.
#
#   scripts/test.sh              the plain build, in build/ (or $BUILD_DIR)
#   scripts/test.sh --sanitize   built with AddressSanitizer, LeakSanitizer and
#                                UBSan, in build-sanitize/ (or $SANITIZE_BUILD_DIR);
#                                any finding fails the run
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

SANITIZE=0
for arg in "$@"; do
    case "$arg" in
        --sanitize) SANITIZE=1 ;;
        *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
    esac
done

CONFIGURE=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
# Under CI a new warning fails the build: the project builds warning-free.
if [ -n "${LOMI_CI:-}" ]; then
    CONFIGURE+=(-DLOMI_WERROR=ON)
fi
if [ "$SANITIZE" -eq 1 ]; then
    BUILD="${SANITIZE_BUILD_DIR:-$ROOT/build-sanitize}"
    # The benchmarks measure nothing useful under the sanitizers.
    CONFIGURE+=(-DLOMI_SANITIZE=ON -DLOMI_BUILD_BENCHMARKS=OFF)
else
    BUILD="${BUILD_DIR:-$ROOT/build}"
    # CI's plain build keeps line tables only: about a third less compile time.
    # Its log shows no backtrace either way (the tests run without Qt's
    # crash handler), a core file still gives one with files and lines,
    # and the sanitized run, whose reports print the stacks, keeps full
    # debug information.
    if [ -n "${LOMI_CI:-}" ]; then
        CONFIGURE+=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
    fi
fi

"$ROOT/scripts/install-deps.sh"

cmake -S "$ROOT" -B "$BUILD" "${CONFIGURE[@]}"
cmake --build "$BUILD" --parallel "$(nproc)"

# Offscreen GUI tests want a private runtime directory.
RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$RUNTIME_DIR"
cleanup() { rm -rf "$RUNTIME_DIR"; [ -n "${PG_CLEANUP:-}" ] && eval "$PG_CLEANUP" || true; }
trap cleanup EXIT

# The legacy import is tested against a real PostgreSQL server.
if [ -x "$ROOT/scripts/start-postgres.sh" ]; then
    # shellcheck disable=SC1090
    source "$ROOT/scripts/start-postgres.sh"
fi

if [ "$SANITIZE" -eq 1 ]; then
    export ASAN_OPTIONS="detect_leaks=1"
    export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1"
fi

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$RUNTIME_DIR"
cd "$BUILD"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
