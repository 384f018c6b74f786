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

# The example hosts that embed a viewer in GTK 4 and in Qt 6, built against the installed
# library only and driven with real X input: GTK through its X11 backend, Qt through xcb.
if ! command -v xdotool > /dev/null || ! pkg-config --exists gtk4 Qt6Widgets; then
  echo "xdotool, GTK 4 or Qt 6 not found: embedding examples skipped"
  exit 0
fi
hosts=$build/embed-hosts
rm -rf "$hosts"
cmake --build "$build" --target qjxhtml qjxview qjxdemo qjximage
cmake --install "$build" --prefix "$hosts/prefix" > /dev/null
pcdir=$(dirname "$(find "$hosts/prefix" -name qjxhtml.pc)")
libdir=$(dirname "$pcdir")
cc -Wall -Werror "$root/examples/hosts/gtk4/qjxgtk.c" \
  $(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs gtk4 qjxhtml) -o "$hosts/qjxgtk"
cmake -S "$root/examples/hosts/qt6" -B "$hosts/qt6" -G Ninja -DCMAKE_PREFIX_PATH="$hosts/prefix" > /dev/null
cmake --build "$hosts/qt6" > /dev/null
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
xvfb-run -a -s "-screen 0 1024x768x24" env -u QJX_BACKEND GDK_BACKEND=x11 \
  "$root/scripts/drive_example.sh" "$hosts/qjxgtk" "$build/apps/qjxview/qjxview" "$hosts/gtk4-run"
xvfb-run -a -s "-screen 0 1024x768x24" env -u QJX_BACKEND QT_QPA_PLATFORM=xcb \
  "$root/scripts/drive_example.sh" "$hosts/qt6/qjxqt" "$build/apps/qjxview/qjxview" "$hosts/qt6-run"
