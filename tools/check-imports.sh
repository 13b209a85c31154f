#!/bin/sh
# Fails when a module imports anything but Windows system DLLs: the driver
# package must run on a bare Windows installation.
#   check-imports.sh OBJDUMP MODULE...
objdump=$1; shift
status=0
for module in "$@"; do
    imports=$("$objdump" -p "$module" | sed -n 's/^\s*DLL Name: //p')
    for dll in $imports; do
        case $(echo "$dll" | tr 'A-Z' 'a-z') in
            kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|winspool.drv|ole32.dll|\
            oleaut32.dll|shell32.dll|comctl32.dll|comdlg32.dll|version.dll|msvcrt.dll|\
            shlwapi.dll|wtsapi32.dll|userenv.dll|api-ms-win-*) ;;
            *) echo "$(basename "$module") imports $dll, which Windows does not provide"; status=1 ;;
        esac
    done
    echo "$(basename "$module"): ${imports:-no imports}" | tr '\n' ' '; echo
done
exit $status
