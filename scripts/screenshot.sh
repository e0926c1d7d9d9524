#!/usr/bin/env bash
# Takes the README's picture of the window: the program under Xvfb with a window manager,
# the sample cards listed. Needs xvfb, openbox, xdotool and imagemagick.
# Usage: scripts/screenshot.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/window.png}
home=$(mktemp -d)
mkdir -p "$home/Desktop" "$home/.config"
printf '[Orvandel]\nText1=/home/ada/Pictures/Contacts/\n' > "$home/.config/Quorvane.ini"
HOME=$home xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    build/orvandel build/Samples >/dev/null 2>&1 &
    for i in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^Orvandel$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.2
    done
    sleep 1
    # -frame takes the title bar and border that openbox draws around the window.
    import -frame -window "$id" "'"$out"'"
    kill %2 %1 2>/dev/null || true
'
rm -rf "$home"
echo "wrote $out"
