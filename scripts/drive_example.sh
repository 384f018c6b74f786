#!/usr/bin/env bash
# Drives an example host with real X input, on the display in DISPLAY:
#   drive_example.sh PROGRAM QJXVIEW WORK
# PROGRAM shows a viewer in a toolkit window and prints "area X Y W H" (where the viewer's
# pixels stand in its X window), "loaded FILE" and "submit METHOD ACTION PAIRS..." lines.
# A click on a link must load the target, whose pixels must match QJXVIEW's headless
# render at the same size; Alt+Left goes back; typing into a field and pressing Enter
# submits the typed text; Ctrl+C after a double click puts the word on the X clipboard.
set -euo pipefail
program=$1 qjxview=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
cp "$here/../examples/images/spinner.gif" "$work/"
cat > "$work/start.html" <<'PAGE'
<html><head><title>Start page</title></head>
<body marginwidth=0 marginheight=0 bgcolor=#ffffff>
<a href="next.html"><img src="spinner.gif" width=300 height=80 border=0></a><br>
<form action="send.cgi" method=get><input name=q size=30></form>
<p><font size=7>hello</font> world
</body></html>
PAGE
cat > "$work/next.html" <<'PAGE'
<html><head><title>Next page</title></head>
<body bgcolor=#f0f0ff><h1>Arrived</h1><p>A page of <b>text</b> and a <a href="start.html">link</a>.
</body></html>
PAGE
out=$work/output.txt
"$program" "$work/start.html" > "$out" 2> "$work/errors.txt" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

# Waits until the output holds a line matching the pattern (10 seconds at most).
expect() {
  for _ in $(seq 100); do
    grep -q -- "$1" "$out" && return 0
    sleep 0.1
  done
  echo "$(basename "$program"): no line matching '$1'; the output was:"; cat "$out" "$work/errors.txt"
  exit 1
}
expect '^loaded .*start.html'
expect '^area '
window=$(xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
[ -n "$window" ] || window=$(xdotool search --sync --onlyvisible --name 'Start page' | head -1)
sleep 0.5
read -r _ ax ay aw ah < <(grep '^area ' "$out" | tail -1)
at() { xdotool mousemove --window "$window" $((ax + $1)) $((ay + $2)); }

# A link click loads the target page, which shows as a headless render of it does.
at 150 40; sleep 0.2; xdotool click 1
expect '^loaded .*next.html'
at 5 $((ah - 5)); sleep 0.5  # the pointer away from the page's link
QJX_BACKEND=headless "$qjxview" "$work/next.html" --width "$aw" --height "$ah" --png "$work/expected.png"
# The viewer has the keyboard focus and frames itself: the frame's pixel is left out.
/usr/bin/python3 "$here/x11_window_pixels.py" "$window" "$ax" "$ay" "$aw" "$ah" "$work/expected.png" \
  "$work/shown.png" 1

# Back, then typing into the field and Enter submit the typed text.
xdotool key alt+Left
[ "$(grep -c '^loaded .*start.html' "$out")" -ge 2 ] || expect 'never'
at 100 90; sleep 0.2; xdotool click 1; sleep 0.2
xdotool type --delay 30 'typed words'
xdotool key Return
expect '^submit get send.cgi q=typed words$'

# A double click selects a word; Ctrl+C puts it on the clipboard.
at 40 145; sleep 0.2; xdotool click --repeat 2 --delay 60 1; sleep 0.2
# The viewer copies when C is let go with Ctrl still held.
xdotool keydown ctrl key c keyup ctrl; sleep 0.5
copied=$(xclip -o -selection clipboard)
[ "$copied" = hello ] || { echo "$(basename "$program"): the clipboard holds '$copied', not 'hello'"; exit 1; }
echo "$(basename "$program"): link, pixels, back, form and clipboard work"
