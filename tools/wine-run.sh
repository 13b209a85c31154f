#!/bin/sh
# Runs a Windows program of the build under Wine, in the test prefix that
# tools/testbed.sh prepared (CMake uses this as the cross-compiling emulator).
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run.sh: WINEPREFIX is not set; run the tests through tools/run-tests.sh" >&2
    exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"

# Under load, Wine has rarely ended a program before its first line of
# output (a failure within 10 ms, no output, not reproducible on rerun).
# A program that failed without writing anything is started once more, and
# the first failure is reported; a program that wrote anything keeps its
# result.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
wine "$@" > "$out"
rc=$?
cat "$out"
if [ "$rc" -ne 0 ] && [ ! -s "$out" ]; then
    echo "wine-run.sh: $1 ended with $rc before writing anything; starting it once more" >&2
    wine "$@"
    rc=$?
fi
exit "$rc"
