#!/usr/bin/env bash
# Builds the Qt-free Orvandel for 64-bit Windows with MinGW-w64 and runs every test under Wine.
# Installs what is missing (g++-mingw-w64-x86-64-posix, wine, wine64, googletest), builds
# GoogleTest for MinGW from Debian's /usr/src/googletest, cross-builds into build-windows/
# (or ORVANDEL_WINDOWS_BUILD_DIR) and runs CTest there, Wine's prefix inside the build folder.
# Usage: scripts/windows.sh [extra CMake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/deps.sh g++-mingw-w64-x86-64-posix wine wine64 googletest

build=${ORVANDEL_WINDOWS_BUILD_DIR:-build-windows}
mkdir -p "$build"
build=$(cd "$build" && pwd)
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs=${ORVANDEL_JOBS:-2}

export WINEPREFIX="$build/wine"
# Wine's own errors are shown (a program it could not start says why); its notes and the Debian
# wrapper's hint about the missing 32-bit Wine are not.
export WINEDEBUG=-all,err+all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer dialogs
stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT

# GoogleTest for MinGW, built once into the build folder.
gtest="$build/googletest"
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== GoogleTest for MinGW"
    cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$gtest/install" >/dev/null
    cmake --build "$gtest/build" -j"$jobs" >/dev/null
    cmake --install "$gtest/build" >/dev/null
fi

echo "== Orvandel for Windows (no window) in $build"
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANDEL_GUI=OFF -DORVANDEL_WERROR=ON -DORVANDEL_BUILD_BENCHMARKS=OFF \
    -DGTest_DIR="$gtest/install/lib/cmake/GTest" "$@"
cmake --build "$build" -j"$jobs"

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
(cd "$build" && "${norandom[@]}" ctest -j"$jobs" --output-on-failure --timeout 600)
