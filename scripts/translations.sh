#!/usr/bin/env bash
# Brings translations/telvane_en.ts up to date with the texts in the code, the
# forms and the bundled command file (translations already made are kept).
# With --check it changes nothing and fails when the file is not up to date or
# a text has no finished English translation: the build's test run uses this.
# Usage: scripts/translations.sh [--check]     (LUPDATE=path overrides lupdate)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lupdate=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)}
ts=$root/translations/telvane_en.ts
folders=(app commands imaging paths protocol serial terminal widgets)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake -DJSON="$root/commands/cmds.json" -DOUT="$tmp/commandtexts.cpp" -P "$root/cmake/CommandTexts.cmake"
out=$ts
if [ "${1:-}" = "--check" ]; then
  out=$tmp/telvane_en.ts
  cp "$ts" "$out"
fi
(cd "$root" && "$lupdate" -silent -locations none -no-obsolete -source-language zh_CN -target-language en \
   "${folders[@]}" "$tmp/commandtexts.cpp" -ts "$out")
# The command-file texts are named by their temporary file otherwise.
sed -i 's|<location filename="[^"]*commandtexts.cpp"/>||' "$out"

[ "${1:-}" = "--check" ] || exit 0
status=0
if ! cmp -s "$ts" "$out"; then
  echo "translations: translations/telvane_en.ts is not up to date with the code; run scripts/translations.sh" >&2
  diff -u "$ts" "$out" | head -n 40 >&2 || true
  status=1
fi
unfinished=$(grep -c 'type="unfinished"' "$out" || true)
if [ "$unfinished" -gt 0 ]; then
  echo "translations: $unfinished texts have no finished English translation:" >&2
  grep -B2 'type="unfinished"' "$out" | sed -n 's|.*<source>\(.*\)</source>.*|  \1|p' >&2
  status=1
fi
if grep '<translation' "$out" | grep -qP '[\x{3000}-\x{303f}\x{4e00}-\x{9fff}\x{ff00}-\x{ffef}]'; then
  echo "translations: English translations with Chinese characters:" >&2
  grep '<translation' "$out" | grep -P '[\x{3000}-\x{303f}\x{4e00}-\x{9fff}\x{ff00}-\x{ffef}]' >&2
  status=1
fi
exit $status
