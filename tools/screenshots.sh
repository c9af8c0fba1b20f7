#!/usr/bin/env bash
# Remakes the README's screenshots: Harbrow on a fresh profile under xvfb-run, the
# "Favorites" tab with the first-run collection and the "Browser" tab on a local page.
# Needs xvfb-run, xdotool, ImageMagick's import and python3; run after `make build`.
set -euo pipefail
cd "$(dirname "$0")/.."
binary=${1:-build/harbrow}
out=docs/screenshots
mkdir -p "$out"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export QTWEBENGINE_DISABLE_SANDBOX=1
mkdir -p "$work/site"
cat >"$work/site/index.html" <<'HTML'
<!doctype html><html><head><meta charset="utf-8"><title>Field notes</title>
<style>body{font-family:sans-serif;margin:2em 3em;color:#223}h1{color:#1d4f8a}
p{max-width:40em;line-height:1.5}</style></head><body>
<h1>Field notes</h1><p>A page served from this computer for the screenshot. Add it to
your favourites with "Add Favourites" or Ctrl+D, rate it, and find it again on the
Home tab.</p></body></html>
HTML
port=18765
python3 -m http.server --bind 127.0.0.1 "$port" --directory "$work/site" >/dev/null 2>&1 &

xvfb-run -a -s '-screen 0 900x640x24' bash -s "$binary" "$out" "$port" <<'SCRIPT'
binary=$1 out=$2 port=$3
"$binary" & app=$!
sleep 6
xdotool key Return                       # the welcome dialog of a first run
sleep 2
grab() { import -window root -crop 700x510+10+10 +repage "$1"; }
xdotool key alt+3; sleep 1
xdotool mousemove 110 207 click 1; sleep 1  # "Software", a folder of the first-run collection
grab "$out/favorites.png"
xdotool key alt+2; sleep 1
xdotool key ctrl+l; sleep 0.5
xdotool type --delay 20 "http://127.0.0.1:$port/"; xdotool key Return
sleep 4
grab "$out/browser.png"
kill $app; wait $app 2>/dev/null || true
SCRIPT
echo "Screenshots written to $out"
