#!/bin/sh
# The installed library as an outside project meets it: installs the library component of the
# build into a temporary prefix, then builds tests/library/c_consumer.c against it twice, with
# nothing but `cc prog.c $(pkg-config --cflags --libs ridgeview-wsq)` and with a CMake project
# using find_package(RidgeviewWsq), and runs both over the reference vectors. The prefix is
# moved before use: both package files must find it from where they lie.
# Usage: installed_library_test.sh BUILD_DIR SOURCE_DIR VECTORS_DIR
# CC and EXTRA_CFLAGS (a sanitizer build's flags) may be set; CC defaults to cc.
set -eu
build=$1 src=$2 vectors=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$tmp/staged" --component library >/dev/null
mv "$tmp/staged" "$tmp/prefix"
prefix=$tmp/prefix
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"

# What is installed, with the SONAME links.
[ -f "$prefix/include/ridgeview/wsq.h" ] || fail "header not installed"
[ "$(readlink "$prefix/lib/libridgeview-wsq.so")" = libridgeview-wsq.so.1 ] || fail "dev link"
[ "$(readlink "$prefix/lib/libridgeview-wsq.so.1")" = libridgeview-wsq.so.1.0.0 ] || fail "SONAME link"
[ -f "$prefix/lib/cmake/RidgeviewWsq/RidgeviewWsqConfig.cmake" ] || fail "CMake package"
[ -f "$prefix/lib/cmake/RidgeviewWsq/RidgeviewWsqConfigVersion.cmake" ] || fail "CMake version file"
[ "$(pkg-config --modversion ridgeview-wsq)" = 1.0.0 ] || fail "pkg-config version"
libdir=$(pkg-config --variable=libdir ridgeview-wsq)
[ "$(cd "$libdir" && pwd -P)" = "$(cd "$prefix/lib" && pwd -P)" ] || fail "pkg-config libdir $libdir"

# pkg-config.
# shellcheck disable=SC2046
${CC:-cc} ${EXTRA_CFLAGS:-} "$src/tests/library/c_consumer.c" \
  $(pkg-config --cflags --libs ridgeview-wsq) -o "$tmp/consumer" || fail "pkg-config build"
LD_LIBRARY_PATH="$libdir" "$tmp/consumer" "$vectors" || fail "pkg-config program"

# find_package(); the imported target carries the library's path, so no LD_LIBRARY_PATH.
configure() {
  cmake -S "$src/tests/library/cmake_consumer" -B "$tmp/$1" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_COMPILER="${CC:-cc}" -DCMAKE_C_FLAGS="${EXTRA_CFLAGS:-}" \
    -DCMAKE_EXE_LINKER_FLAGS="${EXTRA_CFLAGS:-}" -DWANT_VERSION="$2" >"$tmp/$1.log" 2>&1
}
configure cmake-build 1.0 || { cat "$tmp/cmake-build.log"; fail "find_package(RidgeviewWsq 1.0)"; }
cmake --build "$tmp/cmake-build" >"$tmp/build.log" 2>&1 || { cat "$tmp/build.log"; fail "CMake build"; }
"$tmp/cmake-build/consumer" "$vectors" || fail "CMake program"
# Another major version is another ABI: not found.
if configure cmake-v2 2; then fail "find_package(RidgeviewWsq 2) found version 1"; fi
echo "installed library: pkg-config and find_package both work"
