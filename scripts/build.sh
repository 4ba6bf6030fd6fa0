#!/usr/bin/env bash
# Configures and builds the whole tree into ./build.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
