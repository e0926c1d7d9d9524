#!/usr/bin/env bash
# Builds the Debian package with cpack in a scratch folder, unpacks it into a temporary root
# with dpkg -x, and checks what a user gets: the control fields and dependencies, the files and
# their owners and modes, the program running from there on its own samples, the desktop
# entry, the metainfo, the manual page and the changelog.
# Usage: check-package.sh CPACK BUILD_DIR PROGRAM VERSION SCRATCH
set -euo pipefail

cpack=$1
build_dir=$2
program=$3
version=$4
scratch=$5

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch"
# A group-writable umask must not reach the package's folders.
umask 002

if ! "$cpack" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    echo "FAIL: cpack -G DEB" >&2
    exit 1
fi
deb="$scratch/orvandel_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    echo "FAIL: no $(basename "$deb"); cpack made: $(cd "$scratch" && ls ./*.deb 2>/dev/null)" >&2
    exit 1
fi

# The control fields, the dependencies among them as dpkg-shlibdeps found them.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = orvandel ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = graphics ] || fail "Section: $(field Section)"
[ "$(field Maintainer)" = "Quorvane <support@quorvane.example>" ] || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Homepage)" ] || fail "no Homepage"
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    [[ ", $depends," == *", $library ("* ]] || fail "Depends lacks $library with a version: $depends"
done
description=$(field Description)
[[ $description == *$'\n'* ]] || fail "the description has no extended part"
dpkg-deb --info "$deb" >/dev/null || fail "dpkg-deb --info"

# Every file root's, every folder drwxr-xr-x, and what the package holds.
contents=$(dpkg-deb --contents "$deb")
while read -r mode owner _ _ _ path _; do
    [ "$owner" = root/root ] || fail "$path belongs to $owner"
    case $mode in
        d*) [ "$mode" = drwxr-xr-x ] || fail "folder $path is $mode" ;;
        l*) ;;
        *) [ "$mode" = -rw-r--r-- ] || [ "$mode" = -rwxr-xr-x ] || fail "file $path is $mode" ;;
    esac
done <<<"$contents"
for path in \
    ./usr/bin/orvandel \
    ./usr/lib/orvandel/orvandel \
    ./usr/lib/orvandel/modules/orvandel-window.so \
    ./usr/lib/orvandel/Samples/ada-lindqvist.vcf \
    ./usr/share/applications/orvandel.desktop \
    ./usr/share/icons/hicolor/256x256/apps/orvandel.png \
    ./usr/share/metainfo/example.quorvane.orvandel.metainfo.xml \
    ./usr/share/man/man1/orvandel.1.gz \
    ./usr/share/bash-completion/completions/orvandel \
    ./usr/share/doc/orvandel/copyright \
    ./usr/share/doc/orvandel/changelog.gz; do
    grep -q " $path\( \|$\)" <<<"$contents" || fail "the package lacks $path"
done
grep -q '^-rwxr-xr-x .* ./usr/lib/orvandel/orvandel$' <<<"$contents" || fail "the program is not executable"
grep -q '^-rw-r--r-- .* ./usr/lib/orvandel/modules/orvandel-window.so$' <<<"$contents" ||
    fail "the window's module is not a plain readable file"
grep -q ' ./usr/bin/orvandel -> ../lib/orvandel/orvandel$' <<<"$contents" ||
    fail "bin/orvandel is not a link to ../lib/orvandel/orvandel"

root="$scratch/root"
dpkg -x "$deb" "$root"

# The program from the unpacked root: its version, and the samples beside it taken out into
# exactly the images the built program writes from the source's samples.
out=$("$root/usr/bin/orvandel" --version) || fail "orvandel --version exited with $?"
[ "$out" = "orvandel $version" ] || fail "orvandel --version says: $out"
if readelf -S "$root/usr/lib/orvandel/orvandel" | grep -q '\.symtab\|\.debug_info'; then
    fail "the program is not stripped"
fi

mkdir "$scratch/photos" "$scratch/expected"
samples="$root/usr/lib/orvandel/Samples"
if ! "$root/usr/bin/orvandel" extract -o "$scratch/photos" "$samples" >"$scratch/extract.txt"; then
    fail "extract from the package's samples failed"
fi
"$program" extract -o "$scratch/expected" "$build_dir/Samples" >/dev/null
written=$(grep -c '^written' "$scratch/extract.txt" || true)
[ "$written" -ge 6 ] || fail "only $written images written: $(cat "$scratch/extract.txt")"
diff -r "$scratch/expected" "$scratch/photos" >&2 || fail "the package's images differ from the build's"
for image in "$scratch"/photos/*.jpg; do
    [ "$(head -c 3 "$image" | od -An -tx1 | tr -d ' ')" = ffd8ff ] || fail "$(basename "$image") is no JPEG"
done
for image in "$scratch"/photos/*.gif; do
    [ "$(head -c 6 "$image")" = GIF89a ] || [ "$(head -c 6 "$image")" = GIF87a ] ||
        fail "$(basename "$image") is no GIF"
done

# The desktop entry and the metainfo, as a software centre reads them; nothing at all to say
# about the desktop entry, not even a hint.
report=$(desktop-file-validate "$root/usr/share/applications/orvandel.desktop" 2>&1) ||
    fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.quorvane.orvandel.metainfo.xml" >&2 ||
    fail "appstreamcli validate"
# The tree: the metainfo's launchable names the desktop entry that is there.
appstreamcli validate-tree --no-net "$root" >&2 || fail "appstreamcli validate-tree"

# The manual page renders without a warning; the changelog, the metainfo and the manual page
# name this version.
manual="$root/usr/share/man/man1/orvandel.1.gz"
warnings=$(zcat "$manual" | groff -man -Tutf8 -ww -z 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
MANWIDTH=80 man -l "$manual" 2>/dev/null | grep -q '^NAME' || fail "man -l does not render the manual page"
zcat "$manual" | grep -q "^\.TH ORVANDEL 1 [0-9-]* \"orvandel $version\"" ||
    fail "the manual page's .TH names another version"
changelog=$(zcat "$root/usr/share/doc/orvandel/changelog.gz" | head -1)
[[ $changelog == "orvandel ($version) "* ]] || fail "the changelog starts with: $changelog"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/example.quorvane.orvandel.metainfo.xml" ||
    fail "the metainfo has no release $version"

# lintian, where it is installed: no error and no warning.
if command -v lintian >/dev/null; then
    tags=$(lintian --fail-on none "$deb" 2>&1 | grep -E '^[EW]: ' || true)
    [ -z "$tags" ] || fail "lintian: $tags"
else
    echo "lintian is not installed: the package was not checked by it"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed; the scratch folder stays: $scratch" >&2
    exit 1
fi
rm -rf "$scratch"
echo "orvandel_${version} package checked"
