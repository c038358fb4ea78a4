#!/usr/bin/env bash
# Fails when a text the user reads has no Chinese translation:
#   check_translations.sh LUPDATE TS_FILE SOURCE_DIR...
# Reads the sources' tr() and translate() texts into a copy of TS_FILE as
# lupdate does, then lists every text whose translation is missing or
# unfinished, and every translation whose text the sources no longer have.
set -euo pipefail
lupdate=$1 ts=$2; shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/check.ts"
"$lupdate" -silent -locations none "$@" -ts "$work/check.ts" >/dev/null
# One line per problem: the context, the source text and what is wrong.
awk '
  /<name>/      { sub(/.*<name>/, ""); sub(/<\/name>.*/, ""); context = $0 }
  /<source>/    { text = $0; sub(/.*<source>/, "", text); sub(/<\/source>.*/, "", text) }
  /<translation type="unfinished"/ { print "  untranslated [" context "] " text; bad = 1 }
  /<translation type="(vanished|obsolete)"/ { print "  no longer in the sources [" context "] " text; bad = 1 }
  /<translation><\/translation>/ { print "  empty translation [" context "] " text; bad = 1 }
  END { exit bad }
' "$work/check.ts" > "$work/problems" || {
  echo "check_translations: $(basename "$ts") is not complete (edit it, or run lupdate on it and fill in the new texts):" >&2
  cat "$work/problems" >&2
  exit 1
}
echo "check_translations: every text of $(basename "$ts") has its translation"
