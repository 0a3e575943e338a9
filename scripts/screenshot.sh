#!/usr/bin/env bash
# Takes a picture of pagora as it starts: the window on a Wine desktop under a
# private X server, saved as docs/screenshot-start.png.
# Usage: scripts/screenshot.sh [path/to/pagora.exe] [output.png]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/env.sh"
exe=${1:-$here/$pagora_program_build/bin/pagora.exe}
out=${2:-$here/docs/screenshot-start.png}

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1

# A Wine desktop gives the window its caption and frame; without a window
# manager top-level windows would have none.
"$here/scripts/wine" explorer /desktop=shot,800x600 "$exe" >/dev/null 2>&1 &
app=$!
sleep "${PAGORA_SHOT_WAIT:-6}"
mkdir -p "$(dirname "$out")"
import -display "$display" -window root "$out"
echo "saved $out"
