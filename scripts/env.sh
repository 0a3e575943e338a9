# Shared environment of the project's scripts (sourced, not run).
pagora_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${PAGORA_WINEPREFIX:-$HOME/.cache/pagora/wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Runs a hand-made static i386 program that only calls exit(0), and says why
# it did not run when it does not. Architecture names tell nothing here: a
# 64-bit kernel may have its 32-bit emulation switched off, and then every
# i386 program (the 32-bit Wine loader among them) fails with "Exec format
# error". It is written into the checkout, which must allow programs anyway,
# rather than into a /tmp that may not.
pagora_probe_32bit() {
    local dir probe status=0
    dir=$(mktemp -d "$pagora_root/build-probe.XXXXXX" 2>/dev/null || mktemp -d) || return 2
    probe=$dir/exit0-i386
    # ELF header, one loadable segment at 0x08048000, then at 0x08048054:
    # xor ebx,ebx; xor eax,eax; inc eax; int 0x80 (exit with status 0).
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >>"$probe"
    printf '\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00' >>"$probe"
    printf '\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >>"$probe"
    chmod +x "$probe"
    PAGORA_32BIT_WHY=$("$probe" 2>&1) || status=$?
    rm -rf "$dir"
    if [ "$status" -ne 0 ]; then
        PAGORA_32BIT_WHY="a 32-bit test program fails here (exit $status: ${PAGORA_32BIT_WHY##*: })"
    fi
    return "$status"
}

# Whether the host runs 32-bit programs: yes or no in PAGORA_HOST_32BIT, the
# reason for a no in PAGORA_32BIT_WHY. Both are exported, so the scripts and
# the test runs they start ask once. PAGORA_NO_32BIT=1 answers no on any
# host, so that the way of a host without 32-bit programs can be tried here.
if [ "${PAGORA_NO_32BIT:-0}" != 0 ]; then
    PAGORA_HOST_32BIT=no
    PAGORA_32BIT_WHY="PAGORA_NO_32BIT=$PAGORA_NO_32BIT is set"
elif [ -z "${PAGORA_HOST_32BIT:-}" ]; then
    if pagora_probe_32bit; then PAGORA_HOST_32BIT=yes; else PAGORA_HOST_32BIT=no; fi
fi
export PAGORA_HOST_32BIT PAGORA_32BIT_WHY

pagora_runs_32bit() { [ "$PAGORA_HOST_32BIT" = yes ]; }

# The Wine loader for this host. Debian's /usr/bin/wine (and wineboot,
# winepath, ... through it) takes the 32-bit loader whenever that file is
# installed, runnable or not; without 32-bit programs the 64-bit loader is
# called directly, and WINELOADER makes Wine start its own children with it.
if pagora_runs_32bit; then
    PAGORA_WINE_LOADER=wine
else
    PAGORA_WINE_LOADER=/usr/lib/wine/wine64
    export WINELOADER=$PAGORA_WINE_LOADER
fi

# The Windows build whose programs scripts/run, bench and endurance use: the
# 32-bit one users get where it runs, else the 64-bit one.
if pagora_runs_32bit; then pagora_program_build=build-win; else pagora_program_build=build-win64; fi

pagora_say_program_build() {
    if pagora_runs_32bit; then
        echo "== using the 32-bit build ($pagora_program_build), as users run it"
    else
        echo "== using the 64-bit build ($pagora_program_build): $PAGORA_32BIT_WHY"
    fi
}

# Keeps a wineserver running for the project's prefix and starts Wine's own
# services (explorer, plugplay, winedevice) once, with nothing to write to:
# started by a test instead, they would inherit its output pipe and keep the
# test runner waiting for it to close long after the test has ended.
wine_warm() {
    wineserver -p 2>/dev/null || true
    "$pagora_root/scripts/wine" cmd /c exit </dev/null >/dev/null 2>&1 ||
        echo "wine_warm: Wine's services did not start here (exit $?)" >&2
}
