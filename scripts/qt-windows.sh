#!/usr/bin/env bash
# Qt for 64-bit Windows, cross-built with MinGW-w64 from Debian's own source of the host's Qt,
# installed into a cache outside the clone so that every clone and every CI run reuse it.
# Prints the Qt prefix on its last line of stdout (everything else goes to stderr).
#
#   scripts/qt-windows.sh            # builds when the cache lacks this Qt, else only prints
#
# The cache lives in ${ORVANDEL_CACHE:-${XDG_CACHE_HOME:-~/.cache}/orvandel}: one folder per Qt
# version and configuration (qt-6.4.2+dfsg-10-mingw64-<hash of the options below>), and ccache's
# files in ccache/, so that a configuration changed by one option builds again in minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/deps.sh g++-mingw-w64-x86-64-posix ccache dpkg-dev perl >&2

version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
cache=${ORVANDEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvandel}
jobs=${ORVANDEL_JOBS:-$(nproc)}

# Only what the window uses: Core, Gui, Widgets, Test, the windows and offscreen platforms, the
# windowsvista style and the image formats Qt carries itself. The libraries Qt needs are its own
# bundled copies, so nothing of MinGW's or Debian's is looked for; the compiler's run-time is
# linked into every DLL, so no MinGW DLL has to travel with them.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
    -DFEATURE_pkg_config=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_md4c=OFF
    # The Debian source leaves out the wintab header that tablet events need on Windows.
    -DFEATURE_tabletevent=OFF
    "-DCMAKE_SHARED_LINKER_FLAGS=-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic"
    "-DCMAKE_MODULE_LINKER_FLAGS=-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic"
)
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -n 1)
key=$(printf '%s\n' "$compiler" "${options[@]}" | sha256sum | cut -c1-12)
prefix="$cache/qt-$version-mingw64-$key"

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

echo "== Qt $version for Windows into $prefix (about 13 minutes on 2 cores the first time)" >&2
work="$cache/work-$version-$key"
rm -rf "$work" "$prefix"
# Debian's source of the host's Qt.
source=$(scripts/apt-source.sh "qt6-base=$version" "$work" | tail -n 1)

export CCACHE_DIR="$cache/ccache"
# Qt's precompiled headers are reused only when ccache overlooks what they carry of their build.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
export CCACHE_BASEDIR="$work"
# Without the preprocessor (the compiler's own list of headers): a miss costs next to nothing.
export CCACHE_DEPEND=1
cmake -S "$source" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 || { tail -n 60 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" --strip >/dev/null
printf '%s\n' "$version" "${options[@]}" >"$prefix/.complete"
rm -rf "$work"
echo "$prefix"
