#!/bin/bash
# Rebuilds Doc.doc from Doc.fodt with LibreOffice.
# Runs headless on a throw-away profile so that an office window the user
# has open is neither used nor disturbed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
soffice=${SOFFICE:-soffice}
command -v "$soffice" >/dev/null || { echo "soffice not found" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/profile/user" "$work/tmp" "$work/out"

. "$here/../../../scripts/office-profile.sh"
hb_seed_office_profile "$soffice" "$work/profile"

TMPDIR="$work/tmp" timeout 180 "$soffice" --headless --norestore --nolockcheck \
    "-env:UserInstallation=file://$work/profile" \
    --convert-to 'doc:MS Word 97' --outdir "$work/out" "$here/Doc.fodt" >/dev/null 2>"$work/err" ||
    { cat "$work/err" >&2; exit 1; }
grep -v javaldx "$work/err" >&2 || true

[ -s "$work/out/Doc.doc" ] || { echo "conversion failed: Doc.doc" >&2; exit 1; }
mv "$work/out/Doc.doc" "$here/Doc.doc"
echo "Doc.doc: $(stat -c %s "$here/Doc.doc") bytes"
