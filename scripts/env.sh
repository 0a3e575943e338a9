# Shared environment of the project's scripts (sourced, not run).
export WINEPREFIX="${PAGORA_WINEPREFIX:-$HOME/.cache/pagora/wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Keeps a wineserver running for the project's prefix and starts Wine's own
# services (explorer, plugplay, winedevice) once, with nothing to write to:
# started by a test instead, they would inherit its output pipe and keep the
# test runner waiting for it to close long after the test has ended.
wine_warm() {
  wineserver -p 2>/dev/null || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
