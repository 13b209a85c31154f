#!/usr/bin/env bash
# Reads every document KVTICKET.EXE prints with a second XML parser
# (libxml2's xmllint): each must be well-formed with namespaces, have the
# expected root with version="1", and declare every prefix it uses, also
# those inside attribute values (name="psk:ISOA4", xsi:type="xsd:integer").
#
#   kvticket_xml.sh BIN-DIR    (under ctest, in the test bed's Wine prefix)
set -uo pipefail
bin=$1
queue="Zentari TX-3390N"
command -v xmllint >/dev/null || { echo "xmllint is missing (package libxml2-utils)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A ticket choosing A5 landscape, for validate.
cat >"$work/a5.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<psf:PrintTicket xmlns:psf="http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework"
    xmlns:psk="http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords" version="1">
  <psf:Feature name="psk:PageMediaSize"><psf:Option name="psk:ISOA5"/></psf:Feature>
  <psf:Feature name="psk:PageOrientation"><psf:Option name="psk:Landscape"/></psf:Feature>
</psf:PrintTicket>
XML

check() {
    local what=$1 root=$2 doc=$3
    shift 3
    if ! wine "$bin/KVTICKET.EXE" "$@" >"$doc" 2>"$work/err"; then
        fail "$what: KVTICKET exited $?: $(cat "$work/err")"
        return
    fi
    if ! xmllint --noout "$doc" 2>"$work/lint"; then
        fail "$what: not well-formed: $(cat "$work/lint")"
        return
    fi
    # libxml2 reports an undeclared element or attribute prefix as a
    # namespace error without failing; any message at all is a fault.
    [ -s "$work/lint" ] && fail "$what: $(cat "$work/lint")"
    local got
    got=$(xmllint --xpath 'name(/*)' "$doc")
    [ "$got" = "$root" ] || fail "$what: root is '$got', not '$root'"
    got=$(xmllint --xpath 'string(/*/@version)' "$doc")
    [ "$got" = "1" ] || fail "$what: version is '$got', not '1'"
    # Prefixes in QName values: each must be in scope on its element.
    local n count sel value prefix declared
    count=$(xmllint --xpath 'count(//@*[(local-name()="name" or local-name()="type") and contains(., ":")])' "$doc")
    for ((n = 1; n <= count; n++)); do
        sel="(//@*[(local-name()=\"name\" or local-name()=\"type\") and contains(., \":\")])[$n]"
        value=$(xmllint --xpath "string($sel)" "$doc")
        prefix=${value%%:*}
        declared=$(xmllint --xpath "count($sel/../namespace::*[name()=\"$prefix\"])" "$doc")
        [ "$declared" = "0" ] && fail "$what: prefix '$prefix' of '$value' is not declared"
    done
    echo "ok: $what ($(wc -c <"$doc") bytes)"
}

check "caps" "psf:PrintCapabilities" "$work/caps.xml" caps "$queue"
check "ticket" "psf:PrintTicket" "$work/ticket.xml" ticket "$queue"
check "validate" "psf:PrintTicket" "$work/validated.xml" validate "$queue" "Z:$work/a5.xml"
# The ticket the tool printed goes back in as it is.
check "validate of the printed ticket" "psf:PrintTicket" "$work/revalidated.xml" \
    validate "$queue" "Z:$work/ticket.xml"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
