#!/usr/bin/env bash
# Builds Orvandel for 64-bit Windows with MinGW-w64, the window included, runs every test under
# Wine, makes what a Windows user downloads (the installer and the zip) and tests the installer.
#
#   scripts/windows.sh [extra CMake arguments]
#
# Installs what is missing (g++-mingw-w64-x86-64-posix, wine, wine64, googletest, nsis, and
# Xvfb with xdotool for the installed window), has scripts/qt-windows.sh build Qt for Windows and
# scripts/curl-windows.sh libcurl for Windows once into their cache, builds GoogleTest for MinGW
# from Debian's /usr/src/googletest, cross-builds into build-windows/ (or ORVANDEL_WINDOWS_BUILD_DIR), runs CTest there with Wine's
# prefix inside the build folder, then `cpack` makes build-windows/orvandel-<version>-win64.exe
# and .zip, and tests/package/check-windows-installer.sh installs, uses and uninstalls it.
# ORVANDEL_WINDOWS_WINDOW=OFF builds and tests the engine and the command line alone (no Qt).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

window=${ORVANDEL_WINDOWS_WINDOW:-ON}
packages=(g++-mingw-w64-x86-64-posix wine wine64 googletest ccache libz-mingw-w64-dev python3 openssl)
[ "$window" = ON ] && packages+=(nsis xvfb xdotool x11-utils)
scripts/deps.sh "${packages[@]}"

build=${ORVANDEL_WINDOWS_BUILD_DIR:-build-windows}
mkdir -p "$build"
build=$(cd "$build" && pwd)
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs=${ORVANDEL_JOBS:-2}
# What outlives a clone (Qt for Windows, GoogleTest for MinGW, ccache's files) lives in the cache.
cache=${ORVANDEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvandel}
export CCACHE_DIR="$cache/ccache"
# Paths under the clone are hashed relative to it and the build folder not at all, so that clones
# in other places share objects.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
# Without the preprocessor (the compiler's own list of headers): a miss costs next to nothing.
export CCACHE_DEPEND="${CCACHE_DEPEND:-1}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# How long each part took, for the log.
took() { echo "-- $1 took $((SECONDS - started)) s"; started=$SECONDS; }
started=$SECONDS

# libcurl for Windows (over Schannel), built once into the cache, for --fetch.
curl=$(scripts/curl-windows.sh | tail -n 1)
took "libcurl for Windows"

qt_options=(-DORVANDEL_GUI=OFF)
if [ "$window" = ON ]; then
    qt=$(scripts/qt-windows.sh | tail -n 1)
    took "Qt for Windows"
    qt_options=(-DORVANDEL_GUI=ON -DORVANDEL_WINDOWS_QT="$qt"
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
fi

export WINEPREFIX="$build/wine"
# Wine's own errors are shown (a program it could not start says why); its notes and the Debian
# wrapper's hint about the missing 32-bit Wine are not.
export WINEDEBUG=-all,err+all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer dialogs
stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT

# GoogleTest for MinGW, built once per version of Debian's googletest into the cache.
gtest="$cache/googletest-$(dpkg-query -W -f='${Version}' googletest)-mingw64"
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== GoogleTest for MinGW"
    rm -rf "$gtest"
    cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$gtest/install" >/dev/null
    cmake --build "$gtest/build" -j"$jobs" >/dev/null
    cmake --install "$gtest/build" >/dev/null
    rm -rf "$gtest/build"
fi

echo "== Orvandel for Windows (window $window) in $build"
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
    "${qt_options[@]}" -DORVANDEL_WINDOWS_CURL="$curl" -DORVANDEL_WERROR=ON -DORVANDEL_BUILD_BENCHMARKS=OFF \
    -DGTest_DIR="$gtest/install/lib/cmake/GTest" "$@"
cmake --build "$build" -j"$jobs"
took "The build"

echo "== The tests under Wine"
# Debian's Wine has no preloader to keep the addresses Windows programs expect free, so with
# address space randomisation about one start in 3,000 fails before the program runs ("failed to
# map the shared user data"). Without randomisation every start finds the same layout, with
# those addresses free.
norandom=()
if setarch -R true 2>/dev/null; then
    norandom=(setarch -R)
else
    echo "Address space randomisation stays on (setarch -R refused): Wine may fail to start a test."
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "${norandom[@]}" wineboot --init >/dev/null 2>&1 || true
    wineserver -w
fi
# One Wine server for all the tests: each test is a program of its own, and a server started
# for each would take two seconds of every one.
wineserver -p || true
"${norandom[@]}" wine cmd /c exit >/dev/null 2>&1 || true
if [ "$window" = ON ]; then
    # Wine hands a variable WINE<NAME> to Windows programs as <NAME>, and no QT_* variable at all.
    # Qt's libraries come from Qt's own folder; the window's tests draw offscreen, in Liberation
    # Sans (Arial's metric twin), and Qt's messages go to stderr instead of the debugger.
    WINEPATH=$(winepath -w "$qt/bin")
    export WINEPATH
    export WINEQT_QPA_PLATFORM=offscreen
    export WINEQT_FORCE_STDERR_LOGGING=1
    WINEQT_QPA_FONTDIR=$(winepath -w /usr/share/fonts/truetype/liberation)
    export WINEQT_QPA_FONTDIR
fi
(cd "$build" && "${norandom[@]}" ctest -j"$jobs" --output-on-failure --timeout 600)
took "The tests"

if [ "$window" = ON ]; then
    echo "== The installer and the zip"
    (cd "$build" && cpack -G "NSIS;ZIP" >/dev/null)
    wineserver -k 2>/dev/null || true
    installer=$(ls "$build"/orvandel-*-win64.exe)
    ls -l "$installer" "${installer%.exe}.zip"
    "${norandom[@]}" tests/package/check-windows-installer.sh "$installer" "$build/installer-check"
    took "The installer and its check"
fi
