# Shared environment of the project's scripts (sourced, not run).
export WINEPREFIX="${PAGORA_WINEPREFIX:-$HOME/.cache/pagora/wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
