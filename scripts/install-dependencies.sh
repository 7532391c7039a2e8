#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# Runs as root (or through sudo); does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache
    juce-modules-source libkissfft-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth fonts-dejavu-core
    xdotool imagemagick
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
