#!/usr/bin/env bash
# make_zip.sh OUT FILE...: the zip OUT holding the FILEs at its top, in this
# order, every one dated SOURCE_DATE_EPOCH (the changelog's date when not
# set) and with no owner or extra fields, so that the same files give the same zip.
set -euo pipefail
out=${1:?usage: $0 OUT FILE...}
shift
here=$(cd "$(dirname "$0")" && pwd)
epoch=$(bash "$here/source_date.sh")
work=$(mktemp -d "$(dirname "$out")/.make_zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
names=()
for file in "$@"; do
    cp "$file" "$work/" && names+=("$(basename "$file")")
done
# zip stores local times: UTC keeps them the same on every machine.
(cd "$work" && chmod 644 "${names[@]}" && TZ=UTC touch -d "@$epoch" "${names[@]}" \
    && TZ=UTC zip -q -X -9 package.zip "${names[@]}")
mv "$work/package.zip" "$out"
