#!/usr/bin/env bash
# Shows the driver's property sheets for demonstration: installs the driver
# in a fresh Wine prefix under Xvfb, opens Printing Preferences and the
# printer's properties through the host stand-in (tests/support/compstui)
# and saves a PNG of every page and dialog into docs/sheets. Prints how
# long each opening took from the first call into the driver to the first
# page painted.
set -euo pipefail
source "$(dirname "$0")/testbed.sh"
KV_SCREENSHOTS=1 kv_ensure_packages
kv_build
kv_testbed_start

shots=$KV_ROOT/docs/sheets
tour=$(mktemp -d)
mkdir -p "$shots"
export KV_SHEET_TOUR=$(winepath -w "$tour")

# Takes each screenshot the tour asks for: "name x y width height".
watch_tour() {
    while kill -0 "$1" 2>/dev/null; do
        if [ -f "$tour/request" ]; then
            read -r name x y w h < "$tour/request"
            import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$name.png"
            kv_log "saved ${shots#$KV_ROOT/}/$name.png"
            rm -f "$tour/request"
        fi
        sleep 0.1
    done
}

run_sheets() {
    wine "$KV_BUILD/bin/kvsheets.exe" "$@" &
    local pid=$!
    watch_tour $pid
    wait $pid
}

kv_log "Printing Preferences and printer properties of \"$KV_QUEUE\""
run_sheets "$KV_QUEUE" 5

# Models without a tray page show the About page in the printer's sheet:
# the same package with that capability bit, as a second queue.
about=$KV_BUILD/package-about
rm -rf "$about" && cp -r "$KV_PACKAGE" "$about"
sed -i 's/^\*PrinterCaps: "4096"/*PrinterCaps: "4198400"/' "$about/KV3390N.PPD"
wine "$KV_BUILD/bin/kvinstall.exe" "$(winepath -w "$about")" "$KV_QUEUE (About)"
# The binary cache beside the description was made from the first one, and
# the driver keeps using it here; without it the changed one is read.
rm -f "$WINEPREFIX/drive_c/windows/system32/spool/drivers/x64/3/KV3390N.BDD"
kv_log "printer properties of a model without a tray page"
run_sheets "$KV_QUEUE (About)" 0 printer

# The same pages at 120 DPI: nothing may be clipped when the font grows.
kv_log "Printing Preferences at 120 DPI"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f >/dev/null 2>&1
shots=$KV_ROOT/docs/sheets/120dpi
mkdir -p "$shots"
run_sheets "$KV_QUEUE" 1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
rm -rf "$tour"
