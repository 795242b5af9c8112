#!/usr/bin/env bash
# Renders the main window headless, one picture per tab, into docs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -f "$root/commands/cmds.json" ] && cp "$root/commands/cmds.json" "$work/"
printf 'TabPicTransTest=true\n' > "$work/Telvane.ini"
cd "$work"
for tab in 0 1 2 3; do
  "$root/build/tools/screenshot/telvane-screenshot" "$root/docs/telvane-tab$tab.png" --tab "$tab" "$@" 2>/dev/null
done
cp "$root/docs/telvane-tab0.png" "$root/docs/telvane.png"
echo "screenshots written to docs/"
