#!/usr/bin/env bash
# Every translation source of the lab is complete and up to date: lupdate run
# over the code into a copy adds no text, drops none, and leaves no entry
# unfinished.
# Usage: translation_complete.sh LUPDATE LAB_SOURCE_DIR TS_FILE...
set -euo pipefail
lupdate=${1:?usage: translation_complete.sh LUPDATE LAB_SOURCE_DIR TS_FILE...}
sources=${2:?usage: translation_complete.sh LUPDATE LAB_SOURCE_DIR TS_FILE...}
shift 2
. "$(dirname "$0")/../support/shell.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for ts in "$@"; do
  copy=$work/$(basename "$ts")
  cp "$ts" "$copy"
  "$lupdate" -silent -locations none "$sources" -ts "$copy" >"$work/lupdate.log" 2>&1 ||
    fail "lupdate failed: $(cat "$work/lupdate.log")"
  if grep -n 'type="unfinished"\|type="vanished"\|type="obsolete"' "$copy"; then
    fail "$(basename "$ts") has texts that are unfinished or no longer in the code (cmake --build BUILD --target diffrascope_lab_lupdate)"
  fi
  [[ $(grep -c '<message>' "$copy") -eq $(grep -c '<message>' "$ts") ]] || fail "$(basename "$ts") lacks texts of the code"
  grep -q '<translation>.' "$copy" || fail "$(basename "$ts") translates nothing"
done
echo PASS
