#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it against the
# stand-in server loaded with the demo data. The program's settings for this
# run live in a temporary directory, so a real configuration is not touched.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" --parallel "$(nproc)" --target lomi standin-server

WORK="$(mktemp -d)"
SERVER_PID=""
cleanup() {
    [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

"$BUILD/StandInServer/standin-server" --data "$ROOT/StandInServer/data/demo" \
    > "$WORK/server.log" 2>&1 &
SERVER_PID=$!

ROOT_URL=""
for _ in $(seq 1 50); do
    ROOT_URL="$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$WORK/server.log" | head -n 1 || true)"
    [ -n "$ROOT_URL" ] && break
    sleep 0.1
done
if [ -z "$ROOT_URL" ]; then
    echo "The stand-in server did not start:" >&2
    cat "$WORK/server.log" >&2
    exit 1
fi

# Point the program at the server through its own settings store.
export XDG_CONFIG_HOME="$WORK/config"
mkdir -p "$XDG_CONFIG_HOME/LOMIInfr"
printf '[connection]\nroot_url=%s\n' "$ROOT_URL" > "$XDG_CONFIG_HOME/LOMIInfr/LOMI.conf"

cat "$WORK/server.log"
echo "Server: $ROOT_URL"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the program under Xvfb (nothing will be visible)."
    xvfb-run -a "$BUILD/Client/lomi"
else
    "$BUILD/Client/lomi"
fi
