#!/usr/bin/env bash
# Renders every CSS1 reference test (a test that names a reference rendering with
# rel="match") and its reference with qjxview, and counts the pairs whose pixels are equal.
# Usage: scripts/css1_sweep.sh [BUILD_DIR] [OUT_DIR]; needs ImageMagick's compare.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=${2:-$(mktemp -d)}
mkdir -p "$out"
suite=$root/../shared/corpus/html/conformance/css1
if [ ! -d "$suite" ]; then echo "css1 sweep skipped: $suite is absent"; exit 0; fi
command -v compare >/dev/null || { echo "css1 sweep needs ImageMagick (compare)"; exit 1; }
view=$build/apps/qjxview/qjxview
render() { "$view" "$1" --width 800 --height 600 --png "$2" >/dev/null 2>&1; }
pass=0; fail=0; : >"$out/results.txt"
for test in "$suite"/*.htm; do
  ref=$(grep -o 'rel="match" href="[^"]*"' "$test" | head -1 | sed 's/.*href="\(.*\)"/\1/')
  [ -n "$ref" ] || continue
  name=$(basename "$test" .htm)
  render "$test" "$out/$name.png"
  render "$suite/$ref" "$out/$name.ref.png"
  diff=$(compare -metric AE "$out/$name.png" "$out/$name.ref.png" null: 2>&1 || true)
  if [ "$diff" = 0 ]; then pass=$((pass + 1)); echo "match $name" >>"$out/results.txt"
  else fail=$((fail + 1)); echo "differ $name $diff" >>"$out/results.txt"; fi
done
echo "css1 reference tests: $pass match, $fail differ (renders and list in $out)"
