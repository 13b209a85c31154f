#!/usr/bin/env bash
# Builds the driver, installs it as a printer in a fresh Wine prefix and
# shows what the spooler and applications see of it.
set -euo pipefail
source "$(dirname "$0")/testbed.sh"
kv_ensure_packages
kv_build
kv_testbed_start
kv_log "what the spooler reports"
wine "$KV_BUILD/bin/kvprinterinfo.exe" "$KV_QUEUE"
# The installer sends the queue's initialisation event, as the spooler does:
# the model's values, the custom papers and the forms it registered.
kv_log "what the printer initialisation left on the queue"
wine "$KV_BUILD/bin/kvprinterinfo.exe" --initialisation "$KV_QUEUE"
# A queue keeps the default DEVMODE the driver made when it was added, and
# the driver picks A4 or Letter by the user's locale (LC_ALL sets it under
# Wine): the same driver added by an A4-locale user.
kv_log "the default DEVMODE of a queue added in an A4 locale (LC_ALL=en_GB.UTF-8)"
LC_ALL=en_GB.UTF-8 wine "$KV_BUILD/bin/kvinstall.exe" "$(winepath -w "$KV_PACKAGE")" \
    "$KV_QUEUE (A4)" >/dev/null
LC_ALL=en_GB.UTF-8 wine "$KV_BUILD/bin/kvprinterinfo.exe" --devmode "$KV_QUEUE (A4)"
# What the PrintTicket services get from the driver's provider for the
# queue: its PrintCapabilities document, then a line per feature.
kv_log "the PrintCapabilities document of \"$KV_QUEUE\" (KVTICKET caps)"
wine "$KV_BUILD/bin/KVTICKET.EXE" caps "$KV_QUEUE"
kv_log "its features and their options (KVTICKET features)"
wine "$KV_BUILD/bin/KVTICKET.EXE" features "$KV_QUEUE"
# A ticket the printer cannot print as written (A3 at full size, a booklet
# at four pages per sheet, a poster over N-up), as the driver corrects it.
kv_log "a conflicting ticket corrected (KVTICKET validate tools/kvticket/samples/conflicting-ticket.xml)"
wine "$KV_BUILD/bin/KVTICKET.EXE" validate "$KV_QUEUE" \
    "$(winepath -w "$KV_ROOT/tools/kvticket/samples/conflicting-ticket.xml")"
