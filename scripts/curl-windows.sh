#!/usr/bin/env bash
# libcurl for 64-bit Windows, cross-built with MinGW-w64 from Debian's own source of the host's
# libcurl: a static library over Windows's own TLS (Schannel, with the system's certificate
# store), with zlib for compressed bodies, HTTP and HTTPS only. Installed into the cache beside Qt
# for Windows, so that every clone and every CI run reuse it. Prints the prefix on its last line.
#
#   scripts/curl-windows.sh          # builds when the cache lacks this libcurl, else only prints
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/deps.sh g++-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev ccache >&2

version=$(dpkg-query -W -f='${Version}' libcurl4-openssl-dev)
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
cache=${ORVANDEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvandel}
jobs=${ORVANDEL_JOBS:-$(nproc)}
zlib=/usr/x86_64-w64-mingw32

options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_WINDOWS_SSPI=ON
    -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DENABLE_UNIX_SOCKETS=OFF
    -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF
    -DCURL_ZLIB=ON -DZLIB_INCLUDE_DIR=$zlib/include -DZLIB_LIBRARY=$zlib/lib/libz.a
    -DENABLE_THREADED_RESOLVER=ON
)
compiler=$(x86_64-w64-mingw32-gcc-posix --version | head -n 1)
key=$(printf '%s\n' "$compiler" "${options[@]}" | sha256sum | cut -c1-12)
prefix="$cache/curl-$version-mingw64-$key"

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

echo "== libcurl $version for Windows into $prefix (about 2 minutes the first time)" >&2
work="$cache/work-curl-$version-$key"
rm -rf "$work" "$prefix"
source=$(scripts/apt-source.sh "curl=$version" "$work" | tail -n 1)

export CCACHE_DIR="$cache/ccache"
export CCACHE_BASEDIR="$work"
export CCACHE_DEPEND=1
cmake -S "$source" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 || { tail -n 60 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
printf '%s\n' "$version" "${options[@]}" >"$prefix/.complete"
rm -rf "$work"
echo "$prefix"
