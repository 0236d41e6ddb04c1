#!/bin/sh
# Installs the Debian packages that building and testing need, those of
# them that are missing, with apt-get (through sudo when not run as root).
# Says what it installs; does nothing when all is there. This is the one
# list of the packages: the README's commands and .ci/run use it.
#
#   tools/setup.sh [--check] [GROUP...]      (default group: build)
#
#   build    the compiler, CMake, make and the PNG decoder: zelcomp and zelsim
#   test     build, GoogleTest, FreeType (zelfont), the fonts and the font tool
#            its tests use, man for the manual page check: every test
#   package  the Debian package and its check with lintian
#   fuzz     clang for the fuzz targets
#   windows  the mingw-w64 cross compiler, Wine and GoogleTest's sources
#   all      every group
#
# --check installs nothing: it names the missing packages and fails when
# there are any.
set -eu

packages() {
    case $1 in
    build)   echo g++ cmake make libstb-dev ;;
    test)    packages build
             echo libgtest-dev libfreetype-dev fonts-dejavu-core xfonts-utils man-db ;;
    package) packages build
             echo libfreetype-dev dpkg-dev file lintian ;;
    fuzz)    echo clang-14 libclang-rt-14-dev libstb-dev ;;
    windows) echo g++-mingw-w64-x86-64-posix wine googletest libstb-dev ;;
    all)     for g in build test package fuzz windows; do packages $g; done ;;
    *)       echo "tools/setup.sh: unknown group $1 (build, test, package, fuzz, windows, all)" >&2
             return 1 ;;
    esac
}

check=0
if [ "${1:-}" = --check ]; then
    check=1
    shift
fi
[ $# -gt 0 ] || set -- build

wanted=
for g in "$@"; do
    list=$(packages "$g") || exit 64
    wanted="$wanted $list"
done

missing=
for p in $(printf '%s\n' $wanted | sort -u); do
    # Installed means dpkg's state says so, not merely that a file remains.
    case $(dpkg-query -W -f '${db:Status-Status}' "$p" 2>/dev/null) in
    installed) ;;
    *) missing="$missing $p" ;;
    esac
done
[ -n "$missing" ] || exit 0

if [ $check = 1 ]; then
    echo "missing:$missing"
    exit 1
fi

echo "tools/setup.sh: installing$missing"
sudo=
if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || {
        echo "tools/setup.sh: run this as root, or install sudo" >&2
        exit 1
    }
    sudo=sudo
fi
$sudo apt-get -q update
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends $missing
