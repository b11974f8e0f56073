#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its tests and benchmarks need.
# Idempotent: installs only what is missing; retries apt a couple of times.
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    qt6-httpserver-dev qt6-websockets-dev
    libqt6sql6-psql libqt6sql6-sqlite libpq-dev
    postgresql
    fonts-dejavu-core fonts-liberation2 poppler-utils
    xvfb xauth
    libgtest-dev libbenchmark-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "All packages are installed."
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
for attempt in 1 2 3; do
    if $SUDO apt-get update -q && \
       $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; then
        exit 0
    fi
    echo "apt-get failed (attempt $attempt), retrying in 10 s..." >&2
    sleep 10
done
echo "Could not install the packages." >&2
exit 1
