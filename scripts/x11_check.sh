#!/usr/bin/env bash
# Runs the display tests under a virtual X server; does nothing where xvfb-run is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
if ! command -v xvfb-run > /dev/null; then
  echo "xvfb-run not found: display tests skipped"
  exit 0
fi
cmake --build "$build" --target test_x11
xvfb-run -a -s "-screen 0 1024x768x24" env -u QJX_BACKEND "$build/tests/test_x11"
