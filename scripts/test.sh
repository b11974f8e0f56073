#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Exits non-zero on any failure.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/install-deps.sh"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
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

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$RUNTIME_DIR"
cd "$BUILD"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900
