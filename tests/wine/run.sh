#!/usr/bin/env bash
# Cross-builds zelcomp for Windows and runs, in a throw-away Wine prefix,
# every unit-test program of that build and then tests/wine/e2e.sh, which
# compares the Windows program's results with the Linux build's.
#
#   tests/wine/run.sh LINUX-BUILD WINDOWS-BUILD
#
# LINUX-BUILD must hold a built zelcomp, zelsim and genbench.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
lin=$(cd "${1:?usage: tests/wine/run.sh LINUX-BUILD WINDOWS-BUILD}" && pwd)
win=${2:?usage: tests/wine/run.sh LINUX-BUILD WINDOWS-BUILD}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DZEL_LINUX_BUILD="$lin" "${launcher[@]}" >/dev/null
cmake --build "$win" -j2

export WINEDEBUG=-all
WINEPREFIX=$(mktemp -d)
export WINEPREFIX
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
wineboot -i >/dev/null 2>&1
ctest --test-dir "$win" --output-on-failure
(cd "$win" && cpack >/dev/null && echo "package: $win/zelcomp-win64.zip")
