#!/usr/bin/env bash
# Plays a short demo session against the simulated DTU, headless, and saves
# one picture per tab into docs/ (Chinese) and docs/en/ (English).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" telvane-screenshot >/dev/null
for lang in zh en; do
  out=$root/docs
  [ "$lang" = zh ] || out=$root/docs/$lang
  mkdir -p "$out"
  work=$(mktemp -d)
  cp "$root/commands/cmds.json" "$work/"
  printf 'TabPicTransTest=true\nsize=@Size(900 760)\n' > "$work/Telvane.ini"
  (cd "$work" && "$root/build/tools/screenshot/telvane-screenshot" "$out" --demo --lang "$lang")
  rm -rf "$work"
done
echo "screenshots written to docs/ and docs/en/"
