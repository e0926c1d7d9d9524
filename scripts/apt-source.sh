#!/usr/bin/env bash
# Fetches Debian's source of a package into a folder, through a deb-src entry for the suites the
# machine already uses that is there only while the source is fetched.
#
#   scripts/apt-source.sh PACKAGE=VERSION FOLDER
#
# Prints the unpacked source folder on its last line of stdout (the rest goes to stderr).
set -euo pipefail

package=$1
work=$2
mkdir -p "$work"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
srclist=/etc/apt/sources.list.d/orvandel-source.sources
remove_srclist() {
    if [ -f "$srclist" ]; then
        $sudo rm -f "$srclist"
        $sudo apt-get update -qq >&2 || true
    fi
}
trap remove_srclist EXIT
{
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && [ "$f" != "$srclist" ] || continue
        # deb822 stanzas: the same URIs, suites and components, as source.
        sed -n -e 's/^Types:.*\bdeb\b.*/Types: deb-src/p' -e '/^\(URIs\|Suites\|Components\|Signed-By\):/p' \
            -e 's/^[[:space:]]*$//p' "$f"
        echo
    done
    if [ -f /etc/apt/sources.list ]; then
        # One-line entries, turned into stanzas.
        grep -E '^deb[[:space:]]' /etc/apt/sources.list | while read -r _ rest; do
            opts=""
            if [[ $rest == \[* ]]; then
                opts=${rest%%]*}; rest=${rest#*] }
            fi
            read -r uri suite components <<<"$rest"
            printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n' "$uri" "$suite" "$components"
            [[ $opts == *signed-by=* ]] && printf 'Signed-By: %s\n' "$(sed 's/.*signed-by=\([^ ]*\).*/\1/' <<<"$opts")"
            echo
        done
    fi
} | $sudo tee "$srclist" >/dev/null
$sudo apt-get update -qq >&2
# As root the download cannot be handed to apt's own user, whose rights stop at the cache.
sandbox=()
[ "$(id -u)" -eq 0 ] && sandbox=(-o APT::Sandbox::User=root)
(cd "$work" && apt-get source -qq "${sandbox[@]}" "$package" >&2)
remove_srclist
trap - EXIT
name=${package%%=*}
source=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name "$name-*" | head -n 1)
[ -n "$source" ] || { echo "apt-source.sh: apt-get source gave no $name folder" >&2; exit 1; }
echo "$source"
