#!/usr/bin/env bash
# scripts/common.sh's choose_wine: a 32-bit loader that cannot execute sends every Wine call to the
# 64-bit loader; one that runs leaves Debian's wine as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '\x7fELF\x01\x01\x01' >"$work/broken"  # the start of a 32-bit program, nothing more
printf '#!/bin/sh\necho wine-8.0\n' >"$work/working"
chmod +x "$work/broken" "$work/working"

decide() {  # prints the decision, the loader asked for and the wine that PATH gives
    env -u QUORVANE_WINE32 -u WINELOADER QUORVANE_WINE32_LOADER="$work/$1" PATH=/usr/bin:/bin \
        bash -c 'source "$0/scripts/common.sh"; choose_wine
                 echo "$QUORVANE_WINE32 ${WINELOADER:-none} $(command -v wine || echo none)"' "$root"
}
expect() {
    [ "$1" = "$2" ] || { echo "FAILED: $3: got '$1', expected '$2'"; exit 1; }
}
expect "$(decide broken)" "no /usr/lib/wine/wine64 $root/cmake/wine64/wine" "a loader that cannot run"
expect "$(decide missing)" "no /usr/lib/wine/wine64 $root/cmake/wine64/wine" "no loader"
expect "$(decide working)" "yes none $(PATH=/usr/bin:/bin command -v wine || echo none)" "a loader that runs"
# Decided once: what the caller decided is kept by what it starts.
expect "$(env QUORVANE_WINE32=yes PATH=/usr/bin:/bin bash -c \
    'source "$0/scripts/common.sh"; QUORVANE_WINE32_LOADER=/nothing choose_wine; echo $QUORVANE_WINE32' "$root")" \
    yes "a decision passed on"
echo "choose_wine: all cases passed"
