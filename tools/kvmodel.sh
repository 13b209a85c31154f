#!/bin/sh
# Runs the build's KVMODEL.EXE under Wine without Wine's chatter:
#   tools/kvmodel.sh [check] [--strict] [--verbose] FILE...
#   tools/kvmodel.sh dump FILE
# (check is assumed when no command is given). It uses the project's Wine
# prefix, build/wine, and creates it when missing; KVMODEL's exit code is
# passed through: 0 passed, 1 failed, 2 bad command line or unreadable file.
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD:-$root/build}
exe=$build/bin/KVMODEL.EXE
if [ ! -f "$exe" ]; then
    echo "kvmodel.sh: $exe is missing; build first (tools/run-tests.sh or cmake --build build)" >&2
    exit 2
fi

export WINEPREFIX="$build/wine"
export WINEDEBUG=-all
# No Mono or Gecko installers when the prefix is made, no debugger on a crash.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "kvmodel.sh: creating the Wine prefix $WINEPREFIX (once; a few seconds)" >&2
    # Without a display wineboot shows no progress window.
    env -u DISPLAY wineboot -u >/dev/null 2>&1
    wineserver -w
fi

case "${1:-}" in
    check|dump) ;;
    *) set -- check "$@" ;;
esac
exec wine "$exe" "$@"
