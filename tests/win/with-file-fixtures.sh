#!/bin/bash
# Runs a command (the Windows tests) with two folders that only root can make
# honestly: a tiny file system that fills up after 64 KiB, and a folder made
# immutable, in which not even root may create a file. Their Windows paths
# are handed over in PAGORA_TEST_SMALL_DIR and PAGORA_TEST_LOCKED_DIR; the
# tests that need them skip themselves when they are not set.
#   usage: tests/win/with-file-fixtures.sh <command> [args...]
set -u

root=$(mktemp -d /tmp/pagora-fixtures.XXXXXX)
small="$root/small"
locked="$root/locked"
mkdir -p "$small" "$locked"

cleanup() {
    chattr -i "$locked" 2>/dev/null
    umount "$small" 2>/dev/null
    rm -rf "$root"
}
trap cleanup EXIT

windows_path() { local p="$1"; echo "Z:${p//\//\\}"; }

if mount -t tmpfs -o size=64k pagora-small "$small" 2>/dev/null; then
    export PAGORA_TEST_SMALL_DIR=$(windows_path "$small")
else
    echo "with-file-fixtures: cannot mount a small file system; the full-disk test will skip" >&2
fi
if chattr +i "$locked" 2>/dev/null; then
    export PAGORA_TEST_LOCKED_DIR=$(windows_path "$locked")
else
    echo "with-file-fixtures: cannot make a folder immutable; its test will skip" >&2
fi

"$@"
