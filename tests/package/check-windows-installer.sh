#!/usr/bin/env bash
# Installs the Windows installer silently into a fresh Wine prefix and uses what it installed as
# a Windows user would: the command line on the installed samples (images byte for byte those of
# the Linux build), the window with Windows's own platform under Xvfb, the Start menu entry and
# the file types. While the window runs, the uninstaller and the installer refuse to go on (in
# silent mode with the status 3) and remove nothing. Then it installs into a second folder over
# the first, which leaves one copy, and uninstalls silently: nothing of the installation is left,
# not even the registry key that the installation made.
#
#   tests/package/check-windows-installer.sh INSTALLER SCRATCH
#
# The Linux build's images come from ORVANDEL_LINUX_PROGRAM (build/orvandel unless told; a
# program without Qt is built into SCRATCH when there is none).
set -euo pipefail
installer=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
scratch=$2
root=$(cd "$(dirname "$0")/../.." && pwd)

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    "$@" || fail "$what"
}

rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
export WINEPREFIX="$scratch/wine"
export WINEDEBUG=-all,err+all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH WINEQT_QPA_PLATFORM WINEQT_QPA_FONTDIR
xvfb_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# One X server for the whole check: Wine's desktop process, started with the prefix, draws there.
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done

wineboot --init >/dev/null 2>&1 || true
wineserver -w
drive_c="$WINEPREFIX/drive_c"
install_dir="$drive_c/Program Files/Orvandel"
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvandel"
classes='HKLM\Software\Classes'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvandel'

reg_has() { # reg_has KEY [VALUE]: the key (or its value) exists
    if [ $# -eq 2 ]; then
        wine reg query "$1" /v "$2" >/dev/null 2>&1
    else
        wine reg query "$1" >/dev/null 2>&1
    fi
}
reg_value() { # the text of a value (the key's own with "(Default)"), as `reg query` prints it
    local which=(/v "$2")
    [ "$2" = "(Default)" ] && which=(/ve)
    wine reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# The user's own default program for .vcf, which the installer must leave as it is.
wine reg add "$classes\\.vcf" /ve /d Contacts.vCard /f >/dev/null 2>&1
associations_before=no
reg_has "$classes\\SystemFileAssociations" && associations_before=yes

echo "== Installing $(basename "$installer") silently"
wine "$installer" /S
wineserver -w
for file in orvandel.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll imageformats/qico.dll Samples/ada-lindqvist.vcf Uninstall.exe LICENSE.txt; do
    check "installed: $file" test -f "$install_dir/$file"
done
check "a Start menu entry" test -f "$start_menu/Orvandel.lnk"
check "registered for Apps and features" reg_has "$uninstall_key" UninstallString
check "offered in the .vcf Open with list" reg_has "$classes\\.vcf\\OpenWithProgids" Orvandel.vCard
check "offered in the .vcard Open with list" reg_has "$classes\\.vcard\\OpenWithProgids" Orvandel.vCard
check "Open with Orvandel on .vcf" reg_has "$classes\\SystemFileAssociations\\.vcf\\shell\\Orvandel\\command"
check "the user's default program for .vcf kept" test "$(reg_value "$classes\\.vcf" '(Default)')" = Contacts.vCard
# No MinGW run-time library needs to travel with the program.
if command -v x86_64-w64-mingw32-objdump >/dev/null; then
    for binary in "$install_dir"/*.exe "$install_dir"/*.dll "$install_dir"/*/*.dll; do
        for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/.*DLL Name: //p'); do
            case "${dll,,}" in
            libgcc* | libstdc++* | libwinpthread*) fail "$(basename "$binary") needs $dll" ;;
            esac
        done
    done
fi

echo "== The installed command line on the installed samples"
linux_program=${ORVANDEL_LINUX_PROGRAM:-$root/build/orvandel}
if [ ! -x "$linux_program" ]; then
    cmake -S "$root" -B "$scratch/linux" -G Ninja -DORVANDEL_GUI=OFF -DORVANDEL_BUILD_TESTS=OFF \
        -DORVANDEL_BUILD_BENCHMARKS=OFF >/dev/null
    cmake --build "$scratch/linux" --target orvandel >/dev/null
    linux_program="$scratch/linux/orvandel"
fi
for mode in classic thorough; do
    options=()
    [ "$mode" = thorough ] && options=(--thorough)
    mkdir -p "$scratch/linux-$mode" "$drive_c/$mode"
    "$linux_program" extract "${options[@]}" -o "$scratch/linux-$mode" "$root/Samples" >/dev/null || true
    wine "$install_dir/orvandel.exe" extract "${options[@]}" -o "C:\\$mode" \
        'C:\Program Files\Orvandel\Samples' >"$scratch/extract-$mode.txt" 2>&1 || true
    check "the installed command line wrote images ($mode)" test -n "$(ls "$drive_c/$mode")"
    check "the installed command line's images are the Linux build's ($mode)" \
        diff -r "$scratch/linux-$mode" "$drive_c/$mode"
done

echo "== The installed window under Xvfb"
wine "$install_dir/orvandel.exe" >"$scratch/window.txt" 2>&1 &
shown=""
for _ in $(seq 120); do
    shown=$(xdotool search --onlyvisible --name '^Orvandel$' 2>/dev/null | head -n 1 || true)
    [ -n "$shown" ] && break
    sleep 0.5
done
check "the installed window shows" test -n "$shown"
if [ -n "$shown" ]; then
    sleep 2
    if command -v import >/dev/null; then
        import -window root "$scratch/installed-window.png" 2>/dev/null || true
    fi
    # Its first start remembers the desktop folder as the output folder, in the registry.
    check "the first start stored the desktop folder" \
        test "$(reg_value 'HKCU\Software\Quorvane\Orvandel' Text1)" = 'C:\users\'"$(id -un)"'\Desktop\'
    xdotool windowclose "$shown" 2>/dev/null || true
fi
wineserver -k 2>/dev/null || true

echo "== Installing into a second folder over the first"
second_dir="$drive_c/Tools/Orvandel2"
wine "$installer" /S '/D=C:\Tools\Orvandel2'
wineserver -w
check "the second folder holds the program" test -f "$second_dir/orvandel.exe" -a -f "$second_dir/Uninstall.exe"
check "the first copy is gone" test ! -e "$install_dir"
check "one entry in Apps and features, for the second folder" \
    test "$(reg_value "$uninstall_key" InstallLocation)" = 'C:\Tools\Orvandel2'
check "one Start menu entry" test -f "$start_menu/Orvandel.lnk"
install_dir=$second_dir

echo "== Uninstalling and installing while Orvandel runs"
wine "$install_dir/orvandel.exe" >"$scratch/window2.txt" 2>&1 &
running=""
for _ in $(seq 120); do
    running=$(xdotool search --onlyvisible --name '^Orvandel$' 2>/dev/null | head -n 1 || true)
    [ -n "$running" ] && break
    sleep 0.5
done
check "the window of the second copy shows" test -n "$running"
# Neither goes on: silent, they end with 3. The uninstaller runs in its own folder (_?=, which
# takes no quotes), so that its status is its own.
status=0
wine "$install_dir/Uninstall.exe" /S '_?=C:\Tools\Orvandel2' || status=$?
check "the uninstaller refuses while Orvandel runs (status $status)" test "$status" -eq 3
status=0
wine "$installer" /S || status=$?
check "the installer refuses while Orvandel runs (status $status)" test "$status" -eq 3
check "nothing was removed while Orvandel runs" test -f "$install_dir/orvandel.exe" -a -f "$install_dir/Qt6Core.dll"
check "still in Apps and features" reg_has "$uninstall_key" UninstallString
[ -n "$running" ] && xdotool windowclose "$running" 2>/dev/null || true
wineserver -k 2>/dev/null || true

echo "== Uninstalling silently"
wine "$install_dir/Uninstall.exe" /S
wineserver -w
check "the installation folder is gone" test ! -e "$install_dir"
check "the Start menu entry is gone" test ! -e "$start_menu"
check "gone from Apps and features" sh -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
for key in 'Orvandel.vCard' 'Applications\orvandel.exe' 'SystemFileAssociations\.vcf' 'SystemFileAssociations\.vcard' \
    '.vcard'; do
    check "registry: $key is gone" sh -c "! wine reg query '$classes\\$key' >/dev/null 2>&1"
done
check "no Open with entry left for .vcf" sh -c "! wine reg query '$classes\\.vcf\\OpenWithProgids' >/dev/null 2>&1"
if [ "$associations_before" = no ]; then
    check "the SystemFileAssociations key the installation made is gone" \
        sh -c "! wine reg query '$classes\\SystemFileAssociations' >/dev/null 2>&1"
fi
check "the user's default program for .vcf is still there" test "$(reg_value "$classes\\.vcf" '(Default)')" = Contacts.vCard

if [ "$failures" -gt 0 ]; then
    echo "The Windows installer: $failures check(s) failed (see $scratch)." >&2
    exit 1
fi
echo "The Windows installer: installed, used, and uninstalled without a trace."
