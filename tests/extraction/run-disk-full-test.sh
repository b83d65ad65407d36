#!/usr/bin/env bash
# Runs the cabinet engine's disk-full tests against a real full disk: a 1 MB tmpfs, mapped as a
# free drive letter of the Wine prefix. Both are removed again however the run ends. When the
# file system cannot be mounted (no rights, no tmpfs) the test is reported as skipped.
#   run-disk-full-test.sh WINE_RUN TEST_PROGRAM MOUNT_POINT
set -u
wine_run=$1
program=$2
mount_point=$3

. "$(dirname "$wine_run")/wine-bench"
dosdevices="$WINEPREFIX/dosdevices"

skip() {
    echo "[  SKIPPED ] disk-full test: $*"
    exit 0
}

drive=""
cleanup() {
    if [ -n "$drive" ]; then
        rm -f "$dosdevices/$drive"
    fi
    if mountpoint -q "$mount_point"; then
        umount "$mount_point"
    fi
    rmdir "$mount_point" 2>/dev/null || true
}

# A run that was killed may have left its mount and drive behind.
for link in "$dosdevices"/?:; do
    [ "$(readlink "$link" 2>/dev/null)" = "$mount_point" ] && rm -f "$link"
done
mountpoint -q "$mount_point" 2>/dev/null && umount "$mount_point"

mkdir -p "$mount_point" "$dosdevices" || skip "cannot create $mount_point"
if ! error=$(mount -t tmpfs -o size=1m,mode=0777 quentry-disk-full "$mount_point" 2>&1); then
    rmdir "$mount_point" 2>/dev/null
    skip "cannot mount a 1 MB tmpfs at $mount_point (${error%%$'\n'*}; mounting needs root)"
fi
trap cleanup EXIT

# The first drive letter nobody uses; creating the link is what claims it.
for letter in q r s t u v w x y; do
    if ln -s "$mount_point" "$dosdevices/$letter:" 2>/dev/null; then
        drive="$letter:"
        break
    fi
done
[ -n "$drive" ] || skip "no free drive letter in $dosdevices"

QUENTRY_FULL_DRIVE="$drive" "$wine_run" "$program" --gtest_filter='CabinetDiskFull*'
