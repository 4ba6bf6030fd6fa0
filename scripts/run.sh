#!/usr/bin/env bash
# Installs what is missing, builds, and starts the recorder.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/deps.sh"
bash "$here/scripts/build.sh"
exec "$here/build/bin/Videzeva" "$@"
