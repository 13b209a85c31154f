#!/usr/bin/env bash
# Our queue against Wine's PostScript driver, through the calls applications
# make, with the wineserver requests of each call:
#
#   tools/bench/spooler-compare.sh [KVBENCH-OPTIONS...]
#
# Builds, sets up a fresh test bed and runs "kvbench spooler-compare". The
# wineserver writes its request trace to its own standard error, never to the
# client's, and once any client starts with WINEDEBUG=+server it traces every
# process until it exits. So the test bed's server is replaced by one whose
# standard error goes to a file that kvbench reads; kvbench starts its traced
# children only after all timing is done. The trace stays in build/ for
# inspection.
set -euo pipefail
source "$(dirname "$0")/../testbed.sh"
kv_ensure_packages
kv_build
kv_testbed_start

trace=$KV_BUILD/spooler-compare-trace.log
wineserver -k
wineserver -w
wineserver -p >/dev/null 2>"$trace"
kv_log "kvbench spooler-compare (server trace in $trace)"
# Its standard error joins standard output: a Wine process whose standard
# error is /dev/null never asks the server to trace it, and kvbench's traced
# children inherit it.
wine "$KV_BUILD/bin/kvbench.exe" spooler-compare --server-trace "$(winepath -w "$trace")" "$@" 2>&1
