#!/usr/bin/env bash
# source_date.sh: the time every file a build makes is dated by, in seconds
# since 1970: SOURCE_DATE_EPOCH when set, else the date of the newest entry
# of changelog.in, the release's date, as Debian dates a package by its
# changelog. Nothing of it comes from git or the clock, so a build from a
# source tarball is the same, byte for byte, as one from the checkout.
set -euo pipefail
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "$SOURCE_DATE_EPOCH"
    exit 0
fi
changelog=$(dirname "$0")/changelog.in
date=$(sed -n 's/^ -- .*  \([A-Z][a-z][a-z], .*\)$/\1/p' "$changelog" | head -n 1)
[ -n "$date" ] || { echo "$0: no dated entry in $changelog" >&2; exit 1; }
TZ=UTC date -d "$date" +%s
