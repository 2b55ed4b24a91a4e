#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only those that
# are missing), then configures and builds into ./build. With --packages-only
# as the first argument it stops after the packages.
set -euo pipefail
cd "$(dirname "$0")/.."
packages_only=0
if [ "${1:-}" = "--packages-only" ]; then
    packages_only=1
    shift
fi

packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev libbenchmark-dev fonts-dejavu-core pasmo
          fuse-emulator-utils zmakebas opense-basic fuse-emulator-sdl libz80ex-dev libspectrum-dev
          pkg-config qt6-multimedia-dev libpng-dev nlohmann-json3-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

((packages_only)) && exit 0

cmake -S . -B build -G Ninja "$@"
cmake --build build
