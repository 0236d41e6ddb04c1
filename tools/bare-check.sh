#!/bin/bash
# Runs the two commands of the README's Quick start on a bare Debian 12, as
# a new user would, and times each. Needs root, debootstrap and the network;
# not part of CI.
#
#   tools/bare-check.sh [DIR]          (default: /var/tmp/zel-bare)
#
# DIR.base is a minimal root made once with debootstrap --variant=minbase
# bookworm and never changed; each run copies it to DIR, puts the committed
# files of this repository (git archive HEAD, as a download of the sources
# would be) in /root/zelcomp there, and runs each command with chroot in a
# mount namespace of its own, with /proc, /sys, /dev (and its pseudo-
# terminals) and the host's resolv.conf. DIR stays for a look afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

bare=${1:-/var/tmp/zel-bare}
[ "$(id -u)" = 0 ] || { echo "tools/bare-check.sh: run it as root" >&2; exit 64; }

if [ ! -d "$bare.base" ]; then
    debootstrap --variant=minbase bookworm "$bare.base.tmp" http://deb.debian.org/debian
    mv "$bare.base.tmp" "$bare.base"
fi
rm -rf "$bare"
cp -a "$bare.base" "$bare"
mkdir "$bare/root/zelcomp"
git archive HEAD | tar -x -C "$bare/root/zelcomp"

# The commands: the two lines of the first sh block under "## Quick start".
mapfile -t cmds < <(awk '/^## Quick start/ { q = 1 } q && /^```sh/ { b = 1; next }
                         b && /^```/ { exit } b { print }' README.md)
[ ${#cmds[@]} -eq 2 ] || { echo "README's Quick start holds ${#cmds[@]} commands, not 2" >&2; exit 1; }

# One command in the bare root, as root with a clean environment.
run() {
    unshare -m /bin/bash -c '
        set -e
        r=$1
        # The root a mount of its own, so that unshare -m works inside too.
        mount --bind "$r" "$r"
        mount -t proc proc "$r/proc"
        mount -t sysfs sys "$r/sys"
        mount --rbind /dev "$r/dev"
        touch "$r/etc/resolv.conf"
        mount --bind /etc/resolv.conf "$r/etc/resolv.conf"
        exec chroot "$r" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            /bin/bash -c "cd /root/zelcomp && $2"' run "$bare" "$1"
}

times=()
for i in 0 1; do
    echo "== command $((i + 1)): ${cmds[$i]}"
    start=$(date +%s.%N)
    run "${cmds[$i]}"
    times+=("$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')")
done
echo "== first command ${times[0]} s, second command ${times[1]} s ($(nproc) cores)"
