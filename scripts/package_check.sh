#!/usr/bin/env bash
# Builds the Debian packages, unpacks them into a fresh staging root and checks them as a
# user of the library would: the packages' contents and dependencies, the installed tools,
# and two host programs built against the installed files only, one in C through
# pkg-config and one in C++ through CMake's find_package, each rendering a document to PNG.
# `cmake --install --prefix` into a second root is checked the same way through pkg-config.
# lintian must find no errors in the packages, and the Python package, installed with pip
# into a fresh virtual environment without a network, runs its example against the staged
# library.
# BUILD_DIR (default build/) is configured for the Debian layout, with the prefix /usr.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
work=$build/package-check
rm -rf "$work"
mkdir -p "$work/stage" "$work/prefix"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB -B "$work/debs" >/dev/null)

echo "== packages"
for deb in "$work"/debs/*.deb; do
  echo "-- $(basename "$deb")"
  dpkg-deb -f "$deb" Package Version Depends Recommends
  dpkg-deb -c "$deb" | awk '{print "   " $6 ($7 ? " " $7 " " $8 : "")}'
  dpkg -x "$deb" "$work/stage"
done
depends=$(dpkg-deb -f "$work"/debs/libqjxhtml0_*.deb Depends)
for lib in libc6 libcairo2 libfontconfig1 libfreetype6 libjpeg62-turbo zlib1g; do
  [[ $depends == *"$lib "* ]] || { echo "libqjxhtml0 does not depend on $lib: $depends"; exit 1; }
done

echo "== lintian"
lintian --fail-on error "$work"/debs/*.deb | tee "$work/lintian.txt"

stage=$work/stage
pcdir=$(dirname "$(find "$stage" -name qjxhtml.pc)")
libdir=$(dirname "$pcdir")
png_size() { "$stage/usr/bin/qjximage" "$1" | sed -n 's/^size //p'; }

echo "== installed tools"
export QJX_BACKEND=headless
"$stage/usr/bin/qjxview" --version
"$stage/usr/bin/qjxview" "$root/examples/tour.html" --width 640 --height 480 --png "$work/qjxview.png"
(cd "$work" && "$stage/usr/bin/qjxdemo" "$root/examples/tour.html" --width 640 --height 480 --png qjxdemo.png)
[ "$(png_size "$work/qjxview.png")" = "640 x 480" ]

echo "== C host through pkg-config (staged packages)"
cflags_libs=$(PKG_CONFIG_SYSROOT_DIR=$stage PKG_CONFIG_LIBDIR=$pcdir pkg-config --cflags --libs qjxhtml)
echo "pkg-config: $cflags_libs"
cc -Wall -Werror "$root/examples/hosts/c-pkgconfig/render.c" $cflags_libs -o "$work/c-host"
LD_LIBRARY_PATH=$libdir "$work/c-host" "$root/examples/tour.html" "$work/c-host.png"

echo "== C++ host through find_package (staged packages)"
cmake -S "$root/examples/hosts/cmake" -B "$work/cmake-host" -G Ninja -DCMAKE_PREFIX_PATH="$stage/usr" >/dev/null
grep -q "^qjxhtml_DIR:PATH=$stage/" "$work/cmake-host/CMakeCache.txt"
cmake --build "$work/cmake-host" >/dev/null
"$work/cmake-host/render" "$root/examples/tour.html" "$work/cmake-host.png"

echo "== C host through pkg-config (cmake --install --prefix)"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
prefix_pc=$(dirname "$(find "$work/prefix" -name qjxhtml.pc)")
cc "$root/examples/hosts/c-pkgconfig/render.c" $(PKG_CONFIG_LIBDIR=$prefix_pc pkg-config --cflags --libs qjxhtml) \
  -o "$work/c-host-prefix"
LD_LIBRARY_PATH=$(dirname "$prefix_pc") "$work/c-host-prefix" "$root/examples/tour.html" "$work/c-host-prefix.png"

echo "== Python package in a fresh virtual environment (staged packages)"
/usr/bin/python3 -m venv "$work/venv"
"$work/venv/bin/pip" install -q --no-index "$root/python"
mkdir -p "$work/python-example"
(cd "$work/python-example" && LD_LIBRARY_PATH=$libdir "$work/venv/bin/python" "$root/examples/python/hello.py")
[ "$(png_size "$work/python-example/hello.png" | cut -d' ' -f1)" = 640 ]
pdftotext "$work/python-example/hello.pdf" - | grep -q "from Python"

for png in c-host cmake-host c-host-prefix; do
  [ "$(png_size "$work/$png.png")" = "640 x 480" ] || { echo "$png.png is not a 640 x 480 picture"; exit 1; }
  cmp -s "$work/c-host.png" "$work/$png.png" || { echo "$png.png differs from c-host.png"; exit 1; }
done
echo "packages, tools and both external hosts work: pictures in $work"
