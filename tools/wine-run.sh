#!/bin/sh
# Runs a Windows program of the build under Wine, in the test prefix that
# tools/testbed.sh prepared (CMake uses this as the cross-compiling emulator).
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run.sh: WINEPREFIX is not set; run the tests through tools/run-tests.sh" >&2
    exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
