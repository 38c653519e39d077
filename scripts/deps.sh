#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing. Run as root.
set -euo pipefail
packages=(cmake ninja-build g++ clang pkg-config qt6-base-dev libgl-dev libenet-dev libgtest-dev
          libgmock-dev libbenchmark-dev xvfb xauth nlohmann-json3-dev libpugixml-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "These Debian packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi
