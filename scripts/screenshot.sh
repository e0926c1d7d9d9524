#!/usr/bin/env bash
# Takes the README's pictures of the window: the program under Xvfb with a window manager, the
# sample cards listed from an ordinary home folder (~/Contacts), and then the results of a run.
# Needs xvfb, openbox, xdotool and imagemagick.
# Usage: scripts/screenshot.sh [window.png [results.png]]
# The home folder is SCREENSHOT_HOME (default /home/ada); one made here is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/window.png}")
results=$(realpath -m "${2:-docs/results.png}")
home=${SCREENSHOT_HOME:-/home/ada}
made=""
if [ ! -e "$home" ]; then
    mkdir -p "$home"
    made=$home
fi
cleanup() { [ -n "$made" ] && rm -rf "$made"; }
trap cleanup EXIT
mkdir -p "$home/Desktop" "$home/.config" "$home/Contacts" "$home/Pictures/Contacts"
cp Samples/*.vcf "$home/Contacts/"
printf '[Orvandel]\nText1=%s/Pictures/Contacts/\n' "$home" > "$home/.config/Quorvane.ini"
program=$(realpath build/orvandel)
HOME=$home xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -u
    openbox >/dev/null 2>&1 &
    sleep 1
    cd "$HOME"
    "'"$program"'" Contacts >/dev/null 2>&1 &
    for i in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^Orvandel$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.2
    done
    sleep 1
    # -frame takes the title bar and border that openbox draws around the window.
    import -frame -window "$id" "'"$out"'"
    # The run, and its results box over the window.
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove --window "$id" 268 312 click 1
    sleep 2
    xdotool mousemove --window "$id" 100 100
    sleep 1
    import -window root -crop 538x391+$((X - 3))+$((Y - 40)) +repage "'"$results"'"
    xdotool key Return
    sleep 0.5
    kill %2 %1 2>/dev/null || true
'
echo "wrote $out and $results"
