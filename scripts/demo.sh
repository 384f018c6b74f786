#!/usr/bin/env bash
# The main job: installs what is missing, builds, and shows the tour document.
# With a display it opens a window; without one it renders the document to tour.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
# Only the library and the two programs the demo may run: the tests build in scripts/test.sh.
BUILD_TARGETS="qjxdemo qjxview" "$root/scripts/build.sh"
build=${BUILD_DIR:-$root/build}
if [ -x "$build/apps/qjxdemo/qjxdemo" ]; then
  # Without a display the demo host writes tour.png into the current folder.
  cd "$root"
  exec "$build/apps/qjxdemo/qjxdemo" "$root/examples/tour.html"
fi
"$build/apps/qjxview/qjxview" "$root/examples/tour.html" --width 800 --height 600 --png "$root/tour.png"
echo "wrote $root/tour.png"
