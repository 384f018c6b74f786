#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test: the C++ suites,
# then the Python package's tests against the library just built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
BUILD_DIR=${BUILD_DIR:-$root/build} "$root/scripts/build.sh" "$@"
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure -j2

echo "== Python package"
build=${BUILD_DIR:-$root/build}
# Debian's pytest serves the system's interpreter, which may not be the first on PATH.
python=python3
/usr/bin/python3 -c "import pytest" 2>/dev/null && python=/usr/bin/python3
QJXHTML_LIBRARY="$build/libqjxhtml.so.0" QJXVIEW="$build/apps/qjxview/qjxview" PYTHONDONTWRITEBYTECODE=1 \
  "$python" -m pytest -q -p no:cacheprovider "$root/python/tests"
