#!/usr/bin/env bash
# Plays a short demo session against the simulated DTU, headless, and saves
# one picture per tab into docs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" telvane-screenshot >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/commands/cmds.json" "$work/"
printf 'TabPicTransTest=true\nsize=@Size(900 760)\n' > "$work/Telvane.ini"
cd "$work"
"$root/build/tools/screenshot/telvane-screenshot" "$root/docs" --demo "$@"
echo "screenshots written to docs/"
